// Times the console under a flood of output in real windows, on a private X
// server with openbox:
//   stop   from a click on the console's Stop button (sent through the X
//          server) to the click acting, and to the run's end, while a loop
//          prints as fast as it can;
//   menu   from a click on the frame's Window menu to the menu opening,
//          during the same flood;
//   lines  from the start of a run that prints 100,000 lines to its end,
//          when every line is in the console;
//   close  from closing the main window of the program itself (started
//          with -R on the flood, and on a busy loop without PRINT) to the
//          program's exit.
// Usage: console_flood_bench [rounds]   (3 rounds by default)
#include "devices/OVKeySetting.h"
#include "environment/MyRichEdit.h"
#include "environment/OVEdit.h"
#include "environment/OVFrame.h"
#include "environment/OVQtHost.h"
#include "environment/OVRunFrame.h"
#include "environment/OVRunWindows.h"
#include "executor/OVInterpreter.h"
#include "executor/OVMThread.h"
#include "executor/OVRunCommands.h"
#include "tests/x_server.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QThread>
#include <cstdio>
#include <functional>
#include <memory>

// Xlib's macros clash with Qt's names: its headers come last.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

using namespace ov;

namespace {

const char *const kFlood = "I = 0\n"
                           "DO\n"
                           "  PRINT I; \"abcdefghijklmnopqrstuvwxyz0123456789abcdefghijklmnopqrstuvwxyz\"\n"
                           "  I = I + 1\n"
                           "LOOP\n";
const char *const kBusy = "I = 0\nDO\n  I = I + 1\nLOOP\n";
const char *const kHundredThousand = "FOR I = 1 TO 100000\n  PRINT I\nNEXT I\n";

// Processes events until `done` holds or `ms` have passed; the time it took,
// or -1.
qint64 Until(const std::function<bool()> &done, int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > ms)
            return -1;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(1);
    }
    return clock.elapsed();
}

void Idle(int ms)
{
    Until([] { return false; }, ms);
}

// A click of the first mouse button at a widget's point, through the X
// server, as a person's click arrives.
void Click(QWidget &widget, const QPoint &local)
{
    static Display *display = XOpenDisplay(nullptr);
    const QPoint at = widget.mapToGlobal(local);
    XTestFakeMotionEvent(display, -1, at.x(), at.y(), CurrentTime);
    XTestFakeButtonEvent(display, 1, True, CurrentTime);
    XTestFakeButtonEvent(display, 1, False, CurrentTime);
    XFlush(display);
}

struct Windows {
    RunController runs;
    TOvFrameForm frame{runs};
    TRunForm console{runs};
    TOVRunWindows windows{console, &frame};
    TOVQtHost host{windows};

    Windows()
    {
        frame.SetRunForm(&console);
        SetRunHost(&host);
        frame.setGeometry(700, 60, 800, 600);
        console.setGeometry(10, 60, 640, 480);
        frame.show();
        console.show();
        Idle(500);
    }
    ~Windows()
    {
        StopRequested = 1;
        Until([] { return RunThreadActive.load() == 0; }, 60000);
        runs.Join();
        SetRunHost(nullptr);
    }
    void Run(const char *program)
    {
        TOVEditForm *editor = frame.NewEditor();
        editor->Editor->setPlainText(QString::fromUtf8(program));
        editor->OVEMenuRunOVClick();
    }
};

void StopAndMenuRound(Windows &w, int round)
{
    QElapsedTimer clock;
    qint64 menuShown = -1, stopActed = -1;
    const QMetaObject::Connection menu =
        QObject::connect(w.frame.OVMMenuWindow, &QMenu::aboutToShow, [&] { menuShown = clock.elapsed(); });
    const QMetaObject::Connection stop =
        QObject::connect(w.console.StopBtn, &QPushButton::clicked, [&] { stopActed = clock.elapsed(); });
    w.Run(kFlood);
    Idle(1000);

    QMenuBar *bar = w.frame.menuBar();
    clock.start();
    Click(*bar, bar->actionGeometry(w.frame.OVMMenuWindow->menuAction()).center());
    Until([&] { return menuShown >= 0; }, 60000);
    w.frame.OVMMenuWindow->close();
    Idle(300);

    clock.start();
    Click(*w.console.StopBtn, w.console.StopBtn->rect().center());
    Until([&] { return stopActed >= 0; }, 60000);
    const qint64 ended = Until([] { return RunThreadActive.load() == 0; }, 120000);
    w.runs.Join();
    QObject::disconnect(menu);
    QObject::disconnect(stop);
    std::printf("flood %d: menu opens %lld ms; Stop acts %lld ms, the run ends %lld ms after the click; "
                "%d lines in the console\n",
                round, menuShown, stopActed, ended < 0 ? -1 : clock.elapsed(), w.console.Memo1->LineCount());
}

void LinesRound(Windows &w, int round)
{
    w.console.Memo1->Clear();
    QElapsedTimer clock;
    clock.start();
    w.Run(kHundredThousand);
    const qint64 ended = Until([] { return RunThreadActive.load() == 0; }, 120000);
    w.runs.Join();
    const QTextDocument *doc = w.console.Memo1->document();
    std::printf("100,000 lines %d: shown %lld ms after the start; last lines \"%s\", \"%s\"\n", round, ended,
                qPrintable(doc->findBlockByNumber(doc->blockCount() - 4).text()),
                qPrintable(doc->findBlockByNumber(doc->blockCount() - 3).text()));
}

// The program's own main window: a client of the window manager with the
// program's process id, titled "Orvane".
Window MainWindowOf(Display *display, qint64 pid)
{
    const Atom clients = XInternAtom(display, "_NET_CLIENT_LIST", False);
    const Atom pidAtom = XInternAtom(display, "_NET_WM_PID", False);
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char *data = nullptr;
    Window found = 0;
    if (XGetWindowProperty(display, DefaultRootWindow(display), clients, 0, 1024, False, XA_WINDOW, &type, &format,
                           &count, &after, &data)
            == Success
        && data != nullptr) {
        const auto *windows = reinterpret_cast<const Window *>(data);
        for (unsigned long i = 0; i < count && found == 0; ++i) {
            unsigned char *pidData = nullptr;
            unsigned long n = 0;
            if (XGetWindowProperty(display, windows[i], pidAtom, 0, 1, False, XA_CARDINAL, &type, &format, &n,
                                   &after, &pidData)
                    == Success
                && pidData != nullptr && n == 1 && reinterpret_cast<const long *>(pidData)[0] == pid) {
                char *name = nullptr;
                if (XFetchName(display, windows[i], &name) && name != nullptr) {
                    if (QByteArray(name) == "Orvane")
                        found = windows[i];
                    XFree(name);
                }
            }
            if (pidData != nullptr)
                XFree(pidData);
        }
    }
    if (data != nullptr)
        XFree(data);
    return found;
}

void CloseRound(const char *what, const char *program, int round)
{
    QTemporaryDir home;
    QDir(home.path()).mkpath(QStringLiteral(".config/Orvane"));
    QFile settings(home.filePath(QStringLiteral(".config/Orvane/Orvane.conf")));
    settings.open(QIODevice::WriteOnly);
    settings.write("[Configuration]\nExitMSG Check=OFF\n");
    settings.close();
    QFile file(home.filePath(QStringLiteral("flood.ovt")));
    file.open(QIODevice::WriteOnly);
    file.write(program);
    file.close();

    QProcess app;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), home.path());
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral(".config")));
    app.setProcessEnvironment(env);
    app.setStandardOutputFile(QProcess::nullDevice());
    app.setStandardErrorFile(QProcess::nullDevice());
    app.start(QStringLiteral(ORVANE_PATH), {QStringLiteral("-R"), file.fileName()});
    app.waitForStarted();
    app.waitForFinished(2000);  // the run goes on meanwhile

    Display *display = XOpenDisplay(nullptr);
    const Window frame = MainWindowOf(display, app.processId());
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = frame;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = long(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    QElapsedTimer clock;
    clock.start();
    XSendEvent(display, frame, False, NoEventMask, &event);
    XFlush(display);
    const bool exited = frame != 0 && app.waitForFinished(60000);
    const qint64 took = clock.elapsed();
    XCloseDisplay(display);
    if (!exited) {
        app.kill();
        app.waitForFinished();
    }
    std::printf("close %s %d: %s %lld ms after the close\n", what, round,
                frame == 0 ? "no main window found;" : exited ? "exits" : "still running", took);
}

} // namespace

int main(int argc, char **argv)
{
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    QProcess server, manager;
    if (!test::StartXServer(server, QStringLiteral("1600x1200x24")) || !test::StartWindowManager(manager)) {
        std::fprintf(stderr, "the private X server or openbox did not start\n");
        return 1;
    }
    {
        QTemporaryDir settings;
        SetSettingsLocations(settings.filePath(QStringLiteral("Orvane.conf")), settings.path());
        QApplication app(argc, argv);
        InitializeInterpreterUnits();
        LoadSettings();
        InitInterpreter();
        ChkMsgOn = 0;
        {
            Windows w;
            for (int round = 1; round <= rounds; ++round)
                StopAndMenuRound(w, round);
            for (int round = 1; round <= rounds; ++round)
                LinesRound(w, round);
        }
        for (int round = 1; round <= rounds; ++round)
            CloseRound("during the flood", kFlood, round);
        CloseRound("during a busy loop", kBusy, 1);
    }
    test::StopServer(manager);
    test::StopServer(server);
    return 0;
}
