// For the test mains that run a private server (a sound server, an X
// server) as a child process while their tests run.
#pragma once

#include <QApplication>
#include <QProcess>
#include <gtest/gtest.h>
#include <csignal>
#include <cstring>
#include <sys/prctl.h>

namespace test {

// True when the tests are only listed: the test discovery needs no server.
inline bool ListingTests(int argc, char **argv)
{
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--gtest_list_tests") == 0)
            return true;
    return false;
}

// The server must not outlive a test that crashes: it never exits by itself.
inline void EndWithParent(QProcess &server)
{
    server.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
}

inline void StopServer(QProcess &server)
{
    if (server.state() == QProcess::NotRunning)
        return;
    server.terminate();  // SIGTERM to the server's own process id
    if (!server.waitForFinished(5000)) {
        server.kill();
        server.waitForFinished(5000);
    }
}

// Runs the tests in an application of their own, then stops the server.
inline int RunTestsThenStop(int argc, char **argv, QProcess &server)
{
    int status = 0;
    {
        QApplication app(argc, argv);
        ::testing::InitGoogleTest(&argc, argv);
        status = RUN_ALL_TESTS();
    }
    StopServer(server);
    return status;
}

} // namespace test
