#include "tests/x_server.h"

#include <QByteArray>
#include <QStringList>
#include <unistd.h>

// Xlib's macros clash with Qt's names: its headers come last.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace test {

namespace {

constexpr int kStartWaitMs = 10000;

// Waits until the server on `display` takes connections; false when it
// ends first (another server holds that display).
bool WaitForXServer(QProcess &server, const QByteArray &display)
{
    for (int waited = 0; waited < kStartWaitMs; waited += 50) {
        if (Display *connection = XOpenDisplay(display.constData())) {
            XCloseDisplay(connection);
            // a server without a lock file may answer there while ours ends
            return !server.waitForFinished(100);
        }
        if (server.waitForFinished(50))
            return false;
    }
    return false;
}

// The value of a 32-bit property of `window` of type `type`, or -1.
long CardinalProperty(Display *connection, Window window, Atom property, Atom type)
{
    Atom actual = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char *data = nullptr;
    long value = -1;
    if (XGetWindowProperty(connection, window, property, 0, 1, False, type, &actual, &format, &count, &after,
                           &data) == Success
        && actual == type && format == 32 && count == 1)
        value = reinterpret_cast<const long *>(data)[0];
    if (data != nullptr)
        XFree(data);
    return value;
}

// The work area is among the last things the manager sets at its start,
// after it has begun to manage windows.
bool WindowManagerRunning(Display *connection)
{
    const Atom workArea = XInternAtom(connection, "_NET_WORKAREA", False);
    return CardinalProperty(connection, DefaultRootWindow(connection), workArea, XA_CARDINAL) >= 0;
}

} // namespace

// The server's lock file keeps other servers off its display, and a server
// that finds the display taken ends at once, so the next number is tried.
bool StartXServer(QProcess &server, const QString &size)
{
    EndWithParent(server);
    for (int attempt = 0; attempt < 20; ++attempt) {
        const QByteArray display = ":" + QByteArray::number(300 + (::getpid() + 37 * attempt) % 600);
        // -noreset: the probe's connection ending must not reset the server under Qt
        server.start(QStringLiteral("Xvfb"),
                     {QString::fromLatin1(display), QStringLiteral("-noreset"), QStringLiteral("-nolisten"),
                      QStringLiteral("tcp"), QStringLiteral("-screen"), QStringLiteral("0"), size});
        if (!server.waitForStarted(kStartWaitMs))
            return false;
        if (WaitForXServer(server, display)) {
            qputenv("DISPLAY", display);
            qputenv("QT_QPA_PLATFORM", "xcb");
            return true;
        }
        StopServer(server);
    }
    return false;
}

bool StartWindowManager(QProcess &manager)
{
    EndWithParent(manager);
    manager.setStandardErrorFile(QProcess::nullDevice());  // it misses a menu file it does not need
    manager.start(QStringLiteral("openbox"), {QStringLiteral("--sm-disable")});
    if (!manager.waitForStarted(kStartWaitMs))
        return false;
    Display *connection = XOpenDisplay(nullptr);
    if (connection == nullptr)
        return false;
    bool running = false;
    for (int waited = 0; waited < kStartWaitMs && !running; waited += 50) {
        running = WindowManagerRunning(connection);
        if (!running && manager.waitForFinished(50))
            break;
    }
    XCloseDisplay(connection);
    return running;
}

int XWindowManagerState(WId window)
{
    Display *connection = XOpenDisplay(nullptr);
    if (connection == nullptr)
        return -1;
    const Atom wmState = XInternAtom(connection, "WM_STATE", False);
    const long state = CardinalProperty(connection, Window(window), wmState, wmState);
    XCloseDisplay(connection);
    return int(state);
}

QList<long> XCardinals(WId window, const char *property)
{
    QList<long> values;
    Display *connection = XOpenDisplay(nullptr);
    if (connection == nullptr)
        return values;
    Atom actual = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char *data = nullptr;
    if (XGetWindowProperty(connection, Window(window), XInternAtom(connection, property, False), 0, 64, False,
                           XA_CARDINAL, &actual, &format, &count, &after, &data) == Success
        && actual == XA_CARDINAL && format == 32)
        for (unsigned long i = 0; i < count; ++i)
            values.append(reinterpret_cast<const long *>(data)[i]);
    if (data != nullptr)
        XFree(data);
    XCloseDisplay(connection);
    return values;
}

QRect XFrameGeometry(WId window)
{
    Display *display = XOpenDisplay(nullptr);
    if (display == nullptr)
        return QRect();
    Window current = Window(window), root = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    while (XQueryTree(display, current, &root, &parent, &children, &count) != 0) {
        if (children != nullptr)
            XFree(children);
        if (parent == root || parent == 0)
            break;
        current = parent;
    }
    XWindowAttributes attributes{};
    XGetWindowAttributes(display, current, &attributes);
    XCloseDisplay(display);
    return QRect(attributes.x, attributes.y, attributes.width + 2 * attributes.border_width,
                 attributes.height + 2 * attributes.border_width);
}

} // namespace test
