// The main of the sound tests: a private sound server with a null sink, so
// that the tests play and change volumes without touching the machine's
// own. When the server cannot start, the tests skip.
#include "sound_server.h"
#include "tests/private_server.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>

bool SoundServerRunning = false;

namespace {

// The running server and its runtime folder, for the tests that kill it
// and start it again.
QProcess *Server = nullptr;
QString RuntimeDir;

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
    Server = &server;
    RuntimeDir = dir;
    server.setProcessChannelMode(QProcess::MergedChannels);
    test::EndWithParent(server);
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

} // namespace

bool KillSoundServer()
{
    if (Server == nullptr || Server->state() == QProcess::NotRunning)
        return false;
    Server->kill();
    return Server->waitForFinished(kStartWaitMs);
}

// The killed server's socket stays behind: it goes first, so that the new
// one's appearing says the server listens.
bool RestartSoundServer()
{
    if (Server == nullptr || Server->state() != QProcess::NotRunning)
        return false;
    QFile::remove(RuntimeDir + QStringLiteral("/pulse/native"));
    return StartServer(*Server, RuntimeDir);
}

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_MEDIA_BACKEND", "gstreamer");
    const bool listing = test::ListingTests(argc, argv);
    QTemporaryDir runtime;
    QProcess server;
    SoundServerRunning = !listing && runtime.isValid() && StartServer(server, runtime.path());
    if (!SoundServerRunning && !listing) {
        std::fprintf(stderr, "sound tests: the private sound server did not start: %s\n",
                     server.readAll().constData());
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    }
    return test::RunTestsThenStop(argc, argv, server);
}
