// The headless runner as a command-line program: its options, its output
// written as the program prints it, the INPUT prompt before the reply, and
// pipes that close under it (its own output, or a file a program writes).
#include "child_process.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>
#include <sys/stat.h>

namespace {

class Runner : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir_.isValid()); }

    QString Path(const QString &name) const { return dir_.filePath(name); }
    // A program file in the test's folder.
    QString Program(const QString &name, const QString &text) const
    {
        QFile file(Path(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text.toUtf8());
        return Path(name);
    }
    // The runner with its arguments; its input ends at once (no replies, no
    // scripted events) unless the test gives it.
    test::Child Start(const QStringList &arguments, bool input = false, bool terminal = false) const
    {
        test::Child child = test::Start(QStringList{QStringLiteral(OVRUN_PATH)} + arguments, dir_.path(), terminal);
        if (!input)
            child.CloseIn();
        return child;
    }

    QTemporaryDir dir_;
};

// Makes a text of 2^20 characters in A$, more than a pipe holds.
const QString BigText = QStringLiteral("A$ = \"x\"\nFOR I = 1 TO 20\nA$ = A$ + A$\nNEXT I\n");

TEST_F(Runner, HelpPrintsTheUsageAndUnknownOptionsAreRefused)
{
    for (const char *help : {"--help", "-h"}) {
        test::Child child = Start({QString::fromLatin1(help)});
        const QByteArray out = test::ReadAll(child.Out);
        const QByteArray err = test::ReadAll(child.Err);
        const int status = child.Wait();
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << help;
        EXPECT_TRUE(out.startsWith("usage: ovrun [--save-graphics OUT.png] FILE\n")) << out.toStdString();
        EXPECT_TRUE(out.contains("--list-mixers")) << help;
        EXPECT_EQ(err.toStdString(), "") << help;
    }
    const QString program = Program(QStringLiteral("p.ovt"), QStringLiteral("PRINT 1\n"));
    for (const QStringList &arguments : {QStringList{QStringLiteral("--bogus")}, QStringList{QStringLiteral("-x")},
                                         QStringList{QStringLiteral("--bogus"), QStringLiteral("a"), program},
                                         QStringList{QStringLiteral("--save-graphics"), QStringLiteral("o.png"),
                                                     QStringLiteral("-x")}}) {
        test::Child child = Start(arguments);
        const QByteArray out = test::ReadAll(child.Out);
        const QByteArray err = test::ReadAll(child.Err);
        const int status = child.Wait();
        const QString shown = arguments.join(u' ');
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 2) << shown.toStdString();
        EXPECT_TRUE(err.startsWith("ovrun: unknown option -")) << err.toStdString();
        EXPECT_TRUE(err.contains("usage: ovrun")) << err.toStdString();
        EXPECT_EQ(out.toStdString(), "") << shown.toStdString();
    }
    // The options it has always had still work.
    test::Child child = Start({QStringLiteral("--save-graphics"), Path(QStringLiteral("o.png")), program});
    EXPECT_EQ(test::ReadAll(child.Out).toStdString(), " 1\nOK\n\n");
    EXPECT_EQ(child.Wait(), 0);
}

// A program killed while it runs has shown every line it printed.
TEST_F(Runner, EachLineIsWrittenWhenItIsPrinted)
{
    test::Child child = Start({Program(QStringLiteral("p.ovt"), QStringLiteral("PRINT \"first\"\nPRINT 2\nDO\nLOOP\n"))});
    EXPECT_EQ(test::ReadUntil(child.Out, " 2\n").toStdString(), "first\n 2\n");
    ::kill(child.Pid, SIGKILL);
    child.Wait();
}

// The prompt is there to be read before the reply is written; the reply
// then completes the echo line, so that the output is the same whether the
// replies come one by one or all at once.
TEST_F(Runner, ThePromptComesBeforeTheReplyIsRead)
{
    test::Child child = Start({Program(QStringLiteral("p.ovt"),
                                       QStringLiteral("PRINT \"Hi\"\nPRINT \"Before\";\nINPUT \"Name\"; N$\n"
                                                      "LINE INPUT \"Line\"; L$\nPRINT N$; L$\n"))},
                              true);
    EXPECT_EQ(test::ReadUntil(child.Out, "?").toStdString(), "Hi\nBeforeInput Name?");
    ASSERT_TRUE(test::WriteAll(child.In, "Bob\n"));
    EXPECT_EQ(test::ReadUntil(child.Out, "Line").toStdString(), " Bob\nLine");
    EXPECT_EQ(test::ReadUntil(child.Out, "Input Line").toStdString(), " Input Line");
    ASSERT_TRUE(test::WriteAll(child.In, "x y\n"));
    child.CloseIn();
    EXPECT_EQ(test::ReadAll(child.Out).toStdString(), " x y\nBobx y\nOK\n\n");
    EXPECT_EQ(child.Wait(), 0);
}

// On a terminal the prompt ends in the blank before the reply, and the
// terminal's echo of the reply completes the line: it is not written twice.
TEST_F(Runner, OnATerminalThePromptWaitsAndTheReplyShowsOnce)
{
    test::Child child = Start({Program(QStringLiteral("p.ovt"), QStringLiteral("INPUT \"Name\"; N$\nPRINT N$\n"))},
                              true, true);
    EXPECT_EQ(test::ReadUntil(child.Out, "? ").toStdString(), "Input Name? ");
    ASSERT_TRUE(test::WriteAll(child.In, "Bob\n\x04"));  // the reply, then the end of the input
    EXPECT_EQ(test::ReadAll(child.Out).toStdString(), "Bob\r\nBob\r\nOK\r\n\r\n");
    EXPECT_EQ(child.Wait(), 0);
}

// `ovrun p.ovt | head -1`: once the reader has gone the run stops, and the
// runner ends as command-line programs do, by the pipe's signal and without
// a message; the rest of the program does not run.
TEST_F(Runner, AnOutputPipeThatClosesStopsTheRunQuietly)
{
    test::Child child = Start({Program(QStringLiteral("p.ovt"), QStringLiteral("FOR I = 1 TO 1000000\nPRINT I\nNEXT I\n"
                                                                              "WRITEALLTEXT(\"ran_on.txt\", \"x\")\n"))});
    EXPECT_EQ(test::ReadUntil(child.Out, "\n").toStdString(), " 1\n");
    child.CloseOut();
    const QByteArray err = test::ReadAll(child.Err);
    const int status = child.Wait();
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGPIPE) << status;
    EXPECT_EQ(err.toStdString(), "");
    EXPECT_FALSE(QFile::exists(Path(QStringLiteral("ran_on.txt"))));

    // An output that fails otherwise (a full disk) stops the run too, and says so.
    child = test::Start({QStringLiteral("/bin/sh"), QStringLiteral("-c"),
                         QStringLiteral("exec \"$0\" p.ovt >/dev/full"), QStringLiteral(OVRUN_PATH)},
                        dir_.path());
    child.CloseIn();
    const QByteArray said = test::ReadAll(child.Err);
    EXPECT_TRUE(said.startsWith("ovrun: cannot write the output: ")) << said.toStdString();
    const int full = child.Wait();
    EXPECT_TRUE(WIFEXITED(full) && WEXITSTATUS(full) == 2) << full;
    EXPECT_FALSE(QFile::exists(Path(QStringLiteral("ran_on.txt"))));
}

// A program's write to a pipe whose reader leaves after one byte fails with
// its statement's error, as a pipe without a reader does, rather than end
// the runner.
TEST_F(Runner, AWriteToAPipeWhoseReaderLeavesIsTheStatementsError)
{
    const QByteArray fifo = QFile::encodeName(Path(QStringLiteral("pipe")));
    ASSERT_EQ(::mkfifo(fifo.constData(), 0600), 0);
    const struct {
        const char *Program;
        const char *Statement;
    } cases[] = {
        {"WRITEALLTEXT(\"pipe\", A$)", "WRITEALLTEXT"},
        {"APPENDALLTEXT(\"pipe\", A$)", "APPENDALLTEXT"},
        {"DIM L$(2)\nL$(1) = A$\nL$(2) = A$\nWRITEALLLINES(\"pipe\", L$())", "WRITEALLLINES"},
        {"OPEN \"pipe\" FOR OUTPUT AS #1\nFOR I = 1 TO 200000\nPRINT #1, \"abcdefghij\"\nNEXT I", "PRINT#"},
    };
    for (const auto &c : cases) {
        // The reader is there before the program opens the pipe, which it
        // would otherwise refuse at once.
        const int reader = ::open(fifo.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        ASSERT_GE(reader, 0);
        test::Child child =
            Start({Program(QStringLiteral("p.ovt"), BigText + QString::fromLatin1(c.Program) + QStringLiteral("\nPRINT \"after\"\n"))});
        char byte = 0;
        EXPECT_TRUE(test::Readable(reader) && ::read(reader, &byte, 1) == 1) << c.Statement;
        ::close(reader);
        const QByteArray out = test::ReadAll(child.Out);
        const int status = child.Wait();
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << c.Statement << " ended with " << status;
        EXPECT_TRUE(out.startsWith(QByteArray("エラー:コマンド ") + c.Statement + " の実行中にエラーが起きました"))
            << out.toStdString();
    }
}

// Commands a program starts get the pipe's signal back: they end by it as
// they would started from a shell.
TEST_F(Runner, CommandsAProgramStartsHaveTheBrokenPipeSignal)
{
    const QByteArray fifo = QFile::encodeName(Path(QStringLiteral("status")));
    ASSERT_EQ(::mkfifo(fifo.constData(), 0600), 0);
    const int reader = ::open(fifo.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(reader, 0);
    test::Child child =
        Start({Program(QStringLiteral("p.ovt"), QStringLiteral("SYSCMD \"grep SigIgn /proc/self/status > status\"\n"))});
    EXPECT_EQ(child.Wait(), 0);
    const QByteArray line = test::ReadUntil(reader, "\n");
    ::close(reader);
    ASSERT_TRUE(line.startsWith("SigIgn:")) << line.toStdString();
    bool ok = false;
    const qulonglong ignored = line.mid(7).trimmed().toULongLong(&ok, 16);
    ASSERT_TRUE(ok) << line.toStdString();
    EXPECT_EQ(ignored & (1ULL << (SIGPIPE - 1)), 0u);
}

} // namespace
