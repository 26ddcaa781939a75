// The development environment as it runs: a program's write to a pipe whose
// reader leaves finds the environment ignoring the pipe's signal, so that
// the write fails with its statement's error and the environment, with the
// user's unsaved editors, lives on.
#include "child_process.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>
#include <sys/stat.h>

namespace {

// The signals a process ignores, from the kernel's account of it.
unsigned long long IgnoredSignals(pid_t pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("SigIgn:"))
            return line.mid(7).trimmed().toULongLong(nullptr, 16);
    }
    return 0;
}

TEST(Environment, AProgramsWriteToAClosingPipeDoesNotEndIt)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString fifo = dir.filePath(QStringLiteral("pipe"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QFile program(dir.filePath(QStringLiteral("p.ovt")));
    ASSERT_TRUE(program.open(QIODevice::WriteOnly));
    program.write(QStringLiteral("A$ = \"x\"\r\nFOR I = 1 TO 20\r\nA$ = A$ + A$\r\nNEXT I\r\nWRITEALLTEXT(\"%1\", A$)\r\n")
                      .arg(fifo)
                      .toUtf8());
    program.close();
    const int reader = ::open(QFile::encodeName(fifo).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(reader, 0);
    // Its own home: the settings and documents of the test's folder.
    const QString home = dir.path();
    test::Child child = test::Start({QStringLiteral(ORVANE_PATH), QStringLiteral("-R"), program.fileName()}, home, false,
                                    {QStringLiteral("QT_QPA_PLATFORM=offscreen"), QStringLiteral("HOME=") + home,
                                     QStringLiteral("XDG_CONFIG_HOME=%1/config").arg(home),
                                     QStringLiteral("XDG_DATA_HOME=%1/data").arg(home),
                                     QStringLiteral("XDG_RUNTIME_DIR=") + home});
    // The program runs and writes: the environment is up.
    char byte = 0;
    ASSERT_TRUE(test::Readable(reader) && ::read(reader, &byte, 1) == 1);
    EXPECT_NE(IgnoredSignals(child.Pid) & (1ULL << (SIGPIPE - 1)), 0u);
    ::close(reader);
    ::kill(child.Pid, SIGKILL);
    child.Wait();
}

} // namespace
