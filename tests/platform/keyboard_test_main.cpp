// The main of the keyboard tests: a private X server (Xvfb) with its usual
// keyboard map, so that key events arrive as the X server delivers them.
// When the server cannot start, the application runs offscreen and the
// tests that need the server skip.
#include "keyboard_server.h"
#include "tests/x_server.h"

#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>

bool XServerRunning = false;

int main(int argc, char **argv)
{
    const bool listing = test::ListingTests(argc, argv);
    QTemporaryDir runtime;
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR") && runtime.isValid())
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    QProcess server;
    XServerRunning = !listing && test::StartXServer(server, QStringLiteral("640x480x24"));
    if (!XServerRunning) {
        if (!listing)
            std::fprintf(stderr, "keyboard tests: the private X server did not start\n");
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    return test::RunTestsThenStop(argc, argv, server);
}
