// The statements that write a whole file (WRITEALLTEXT, WRITEALLLINES,
// APPENDALLTEXT, SAVEPICTURE) run in programs: into a folder that takes no
// new file, at a loop of symbolic links, under a umask, onto a file the
// user may not write, and into a pipe with no reader (with OPEN too).
#include "graph_test_helpers.h"

#include "executor/OVHeadlessHost.h"
#include "tests/file_conditions.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace ov;

namespace {

class WholeFileWrites : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir_.isValid());
        ov::test::AttachGraphics(&host_);
    }
    void TearDown() override
    {
        runs_.Join();
        ov::test::AttachGraphics(nullptr);
    }

    // Runs the program, in which "@" stands for the test's folder; the
    // error it ended with.
    int Run(const QString &program)
    {
        ov::test::LoadProgram(QString(program).replace(u'@', dir_.path()));
        EXPECT_TRUE(runs_.Start());
        runs_.Join();
        return ErrorNumber;
    }

    QString Path(const QString &name) const { return dir_.filePath(name); }
    void Put(const QString &name, const QByteArray &bytes) const
    {
        QFile file(Path(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    QByteArray Bytes(const QString &name) const
    {
        QFile file(Path(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }

    // Runs the program, whose writes meet the pipe `fifo` without a reader.
    // Should one wait for a reader all the same, a reader comes after a long
    // while, so that the test fails rather than hangs.
    int RunAtPipe(const QString &program, const QString &fifo)
    {
        std::mutex mutex;
        std::condition_variable ended;
        bool done = false;
        std::thread rescue([&] {
            std::unique_lock lock(mutex);
            if (ended.wait_for(lock, std::chrono::seconds(60), [&] { return done; }))
                return;
            const int reader = ::open(QFile::encodeName(Path(fifo)).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
            ended.wait(lock, [&] { return done; });
            ::close(reader);
        });
        const int error = Run(program);
        {
            const std::lock_guard lock(mutex);
            done = true;
        }
        ended.notify_all();
        rescue.join();
        return error;
    }

    QTemporaryDir dir_;
    HeadlessHost host_;
    RunController runs_;
};

// The writes of the statements, each to a file of the name given.
QString WritingStatements(const char *text, const char *lines, const char *picture, const char *appended)
{
    return QStringLiteral("GSCREEN(4, 4)\n"
                          "WRITEALLTEXT(\"@/%1\", \"new\")\n"
                          "DIM L$(1)\nL$(1) = \"new\"\n"
                          "WRITEALLLINES(\"@/%2\", L$())\n"
                          "SAVEPICTURE(\"@/%3\")\n"
                          "APPENDALLTEXT(\"@/%4\", \"new\")\n")
        .arg(QString::fromLatin1(text), QString::fromLatin1(lines), QString::fromLatin1(picture),
             QString::fromLatin1(appended));
}

} // namespace

// The files are rewritten where they stand; the picture's old contents go
// to its existing backup file.
TEST_F(WholeFileWrites, AFolderThatTakesNoNewFileHasItsFilesRewritten)
{
    ASSERT_TRUE(QDir(dir_.path()).mkpath(QStringLiteral("locked")));
    Put(QStringLiteral("locked/a.txt"), "old text, longer than the new");
    Put(QStringLiteral("locked/b.txt"), "old");
    Put(QStringLiteral("locked/c.bmp"), "A1");
    Put(QStringLiteral("locked/c.bak"), "B2");
    ::test::RefusingFolder locked(Path(QStringLiteral("locked")));
    if (!locked.Refuses())
        GTEST_SKIP() << "no folder here can be made to refuse new files";

    EXPECT_EQ(Run(QStringLiteral("GSCREEN(4, 4)\n"
                                 "WRITEALLTEXT(\"@/locked/a.txt\", \"new text\")\n"
                                 "DIM L$(2)\nL$(1) = \"one\"\nL$(2) = \"two\"\n"
                                 "WRITEALLLINES(\"@/locked/b.txt\", L$())\n"
                                 "SAVEPICTURE(\"@/locked/c.bmp\")\n")),
              0);
    EXPECT_EQ(Bytes(QStringLiteral("locked/a.txt")), "new text");
    EXPECT_EQ(Bytes(QStringLiteral("locked/b.txt")), "one\r\ntwo\r\n");
    EXPECT_EQ(Bytes(QStringLiteral("locked/c.bmp")).left(2), "BM");
    EXPECT_EQ(Bytes(QStringLiteral("locked/c.bak")), "A1");
    EXPECT_EQ(QDir(Path(QStringLiteral("locked"))).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              (QStringList{QStringLiteral("a.txt"), QStringLiteral("b.txt"), QStringLiteral("c.bak"),
                           QStringLiteral("c.bmp")}));
}

// Each write reports its error and leaves both links as they are.
TEST_F(WholeFileWrites, ALoopOfLinksIsAnErrorAndStays)
{
    for (const char *name : {"loop.txt", "loop.bmp"}) {
        const QString other = QString::fromLatin1(name) + QStringLiteral(".other");
        ASSERT_TRUE(QFile::link(other, Path(QString::fromLatin1(name))));
        ASSERT_TRUE(QFile::link(QString::fromLatin1(name), Path(other)));
    }
    const struct {
        const char *statement;
        int error;
    } cases[] = {
        {"WRITEALLTEXT(\"@/loop.txt\", \"new\")", 50026},
        {"DIM L$(1)\nL$(1) = \"new\"\nWRITEALLLINES(\"@/loop.txt\", L$())", 50026},
        {"APPENDALLTEXT(\"@/loop.txt\", \"new\")", 50026},
        {"GSCREEN(4, 4)\nSAVEPICTURE(\"@/loop.bmp\")", 2112},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(Run(QString::fromUtf8(c.statement)), c.error) << c.statement;
        for (const char *name : {"loop.txt", "loop.txt.other", "loop.bmp", "loop.bmp.other"})
            EXPECT_TRUE(QFileInfo(Path(QString::fromLatin1(name))).isSymLink()) << c.statement << ": " << name;
    }
    EXPECT_EQ(QDir(dir_.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot).size(),
              4);
}

// New files have the permissions the umask leaves, as any program's.
TEST_F(WholeFileWrites, NewFilesFollowTheUmask)
{
    for (const mode_t mask : {mode_t(022), mode_t(077)}) {
        for (const char *name : {"t.txt", "l.txt", "p.bmp", "a.txt"})
            QFile::remove(Path(QString::fromLatin1(name)));
        const ::test::Umask umask(mask);
        EXPECT_EQ(Run(WritingStatements("t.txt", "l.txt", "p.bmp", "a.txt")), 0);
        for (const char *name : {"t.txt", "l.txt", "p.bmp", "a.txt"})
            EXPECT_EQ(::test::ModeOf(Path(QString::fromLatin1(name))), 0666 & ~mask) << name << " under " << mask;
    }
}

// A file the user may not write is an error of its statement (50026 named
// with the statement; 2112 for the picture) and keeps its text, as does the
// picture's backup.
TEST_F(WholeFileWrites, AFileTheUserMayNotWriteIsAnErrorAndKeepsItsText)
{
    const ::test::OrdinaryUser user(dir_.path());
    ASSERT_TRUE(user.Acting());
    for (const char *name : {"r.txt", "r.bmp", "r.bak"}) {
        Put(QString::fromLatin1(name), "old");
        ASSERT_EQ(::chmod(QFile::encodeName(Path(QString::fromLatin1(name))).constData(), 0444), 0);
    }
    const struct {
        const char *statement;
        int error;
        int subject;
    } cases[] = {
        {"WRITEALLTEXT(\"@/r.txt\", \"new\")", 50026, stWRITEALLTEXT},
        {"WRITEALLTEXT(\"@/r.txt\", \"new\", 65001)", 50026, stWRITEALLTEXT},
        {"DIM L$(1)\nL$(1) = \"new\"\nWRITEALLLINES(\"@/r.txt\", L$())", 50026, stWRITEALLLINES},
        {"APPENDALLTEXT(\"@/r.txt\", \"new\")", 50026, stAPPENDALLTEXT},
        {"GSCREEN(4, 4)\nSAVEPICTURE(\"@/r.bmp\")", 2112, 0},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(Run(QString::fromUtf8(c.statement)), c.error) << c.statement;
        EXPECT_EQ(ErrorSubject, c.subject) << c.statement;
    }
    for (const char *name : {"r.txt", "r.bmp", "r.bak"})
        EXPECT_EQ(Bytes(QString::fromLatin1(name)), "old") << name;
    EXPECT_EQ(QDir(dir_.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).size(), 3);
}

// A pipe without a reader is an error at once, never a wait for one.
TEST_F(WholeFileWrites, APipeWithoutAReaderIsAnErrorAtOnce)
{
    ASSERT_EQ(::mkfifo(QFile::encodeName(Path(QStringLiteral("pipe"))).constData(), 0600), 0);
    const struct {
        const char *statement;
        int error;
    } cases[] = {
        {"APPENDALLTEXT(\"@/pipe\", \"new\")", 50026},
        {"OPEN \"@/pipe\" FOR OUTPUT AS #1\nPRINT #1, \"new\"\nCLOSE #1", 50026},
        {"OPEN \"@/pipe\" FOR APPEND AS #1\nPRINT #1, \"new\"\nCLOSE #1", 2101},
        {"WRITEALLTEXT(\"@/pipe\", \"new\")", 50026},
        {"GSCREEN(4, 4)\nSAVEPICTURE(\"@/pipe.bmp\")", 2112},
    };
    ASSERT_TRUE(QFile::link(QStringLiteral("pipe"), Path(QStringLiteral("pipe.bmp"))));
    for (const auto &c : cases)
        EXPECT_EQ(RunAtPipe(QString::fromUtf8(c.statement), QStringLiteral("pipe")), c.error) << c.statement;
}
