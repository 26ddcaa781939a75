// The main of the tests of real windows: a private X server (Xvfb) with the
// openbox window manager on it, so that minimising, frames, sizes and
// places behave as on a desktop. When either cannot start, the tests skip.
#include "wm_server.h"
#include "tests/x_server.h"

#include <QApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>

bool WindowManagerReady = false;

int main(int argc, char **argv)
{
    const bool listing = test::ListingTests(argc, argv);
    qputenv("QT_MEDIA_BACKEND", "gstreamer");  // as the program itself chooses
    QTemporaryDir runtime;
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR") && runtime.isValid())
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    QProcess server, manager;
    WindowManagerReady = !listing && test::StartXServer(server, QStringLiteral("1600x1200x24"))
                         && test::StartWindowManager(manager);
    if (!WindowManagerReady) {
        if (!listing)
            std::fprintf(stderr, "window tests: the private X server or its window manager did not start\n");
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    int status = 0;
    {
        QApplication app(argc, argv);
        ::testing::InitGoogleTest(&argc, argv);
        status = RUN_ALL_TESTS();
    }
    test::StopServer(manager);
    test::StopServer(server);
    return status;
}
