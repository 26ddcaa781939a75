// The main of the sound tests: a private sound server with a null sink, so
// that the tests play and change volumes without touching the machine's
// own. When the server cannot start, the tests skip.
#include "sound_server.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <cstdio>
#include <csignal>
#include <cstring>
#include <sys/prctl.h>

bool SoundServerRunning = false;

namespace {

constexpr int kStartWaitMs = 10000;

// Waits until the server's socket appears or the server exits.
bool WaitForSocket(QProcess &server, const QString &socket)
{
    for (int waited = 0; waited < kStartWaitMs; waited += 50) {
        if (QFileInfo::exists(socket))
            return true;
        if (server.waitForFinished(50))
            return false;
    }
    return QFileInfo::exists(socket);
}

bool StartServer(QProcess &server, const QString &dir)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir);
    env.insert(QStringLiteral("HOME"), dir);
    server.setProcessEnvironment(env);
    server.setProcessChannelMode(QProcess::MergedChannels);
    // The server must not outlive a test that crashes: it never exits by itself.
    server.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
    server.start(QStringLiteral("pulseaudio"),
                 {QStringLiteral("-n"), QStringLiteral("--daemonize=no"), QStringLiteral("--exit-idle-time=-1"),
                  QStringLiteral("-L"), QStringLiteral("module-null-sink sink_name=nullsink"), QStringLiteral("-L"),
                  QStringLiteral("module-native-protocol-unix auth-anonymous=1")});
    if (!server.waitForStarted(kStartWaitMs))
        return false;
    const QString socket = dir + QStringLiteral("/pulse/native");
    if (!WaitForSocket(server, socket))
        return false;
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(dir));
    qputenv("PULSE_SERVER", QFile::encodeName(QStringLiteral("unix:") + socket));
    return true;
}

void StopServer(QProcess &server)
{
    if (server.state() == QProcess::NotRunning)
        return;
    server.terminate();  // SIGTERM to the server's own process id
    if (!server.waitForFinished(5000)) {
        server.kill();
        server.waitForFinished(5000);
    }
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_MEDIA_BACKEND", "gstreamer");
    bool listing = false;  // the test discovery needs no server
    for (int i = 1; i < argc; ++i)
        listing = listing || std::strcmp(argv[i], "--gtest_list_tests") == 0;
    QTemporaryDir runtime;
    QProcess server;
    SoundServerRunning = !listing && runtime.isValid() && StartServer(server, runtime.path());
    if (!SoundServerRunning && !listing) {
        std::fprintf(stderr, "sound tests: the private sound server did not start: %s\n",
                     server.readAll().constData());
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    }
    int status = 0;
    {
        QApplication app(argc, argv);
        ::testing::InitGoogleTest(&argc, argv);
        status = RUN_ALL_TESTS();
    }
    StopServer(server);
    return status;
}
