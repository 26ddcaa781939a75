// The main of the keyboard tests: a private X server (Xvfb) with its usual
// keyboard map, so that key events arrive as the X server delivers them.
// When the server cannot start, the application runs offscreen and the
// tests that need the server skip.
#include "keyboard_server.h"
#include "tests/private_server.h"

#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>
#include <unistd.h>

#include <X11/Xlib.h>

bool XServerRunning = false;

namespace {

constexpr int kStartWaitMs = 10000;

// Waits until the server on `display` takes connections; false when it
// ends first (another server holds that display).
bool WaitForServer(QProcess &server, const QByteArray &display)
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

// Starts the server on a display of its own: the server's lock file keeps
// other servers off it, and a server that finds the display taken ends at
// once, so the next number is tried.
bool StartServer(QProcess &server)
{
    test::EndWithParent(server);
    for (int attempt = 0; attempt < 20; ++attempt) {
        const QByteArray display = ":" + QByteArray::number(300 + (::getpid() + 37 * attempt) % 600);
        // -noreset: the probe's connection ending must not reset the server under Qt
        server.start(QStringLiteral("Xvfb"),
                     {QString::fromLatin1(display), QStringLiteral("-noreset"), QStringLiteral("-nolisten"),
                      QStringLiteral("tcp"), QStringLiteral("-screen"), QStringLiteral("0"), QStringLiteral("640x480x24")});
        if (!server.waitForStarted(kStartWaitMs))
            return false;
        if (WaitForServer(server, display)) {
            qputenv("DISPLAY", display);
            qputenv("QT_QPA_PLATFORM", "xcb");
            return true;
        }
        test::StopServer(server);
    }
    return false;
}

} // namespace

int main(int argc, char **argv)
{
    const bool listing = test::ListingTests(argc, argv);
    QTemporaryDir runtime;
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR") && runtime.isValid())
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    QProcess server;
    XServerRunning = !listing && StartServer(server);
    if (!XServerRunning) {
        if (!listing)
            std::fprintf(stderr, "keyboard tests: the private X server did not start\n");
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    return test::RunTestsThenStop(argc, argv, server);
}
