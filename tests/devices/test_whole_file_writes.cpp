// The statements that write a whole file (WRITEALLTEXT, WRITEALLLINES,
// APPENDALLTEXT, SAVEPICTURE, FILECOPY) run in programs: into a folder that
// takes no new file, at a loop of symbolic links, under a umask, onto a
// file the user may not write, into a pipe with no reader (with OPEN too),
// at the file the kernel opens by the name (through linked folders and
// "..", in folders whose names are not UTF-8, under the kernel's link
// protections), and beside other files of the folder.
#include "graph_test_helpers.h"

#include "executor/OVHeadlessHost.h"
#include "tests/file_conditions.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <fcntl.h>
#include <functional>
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

    // Runs `check` as this user and, for the superuser, as an ordinary one
    // too, in a subfolder of its own each time.
    void AsEachUser(const std::function<void(const QString &folder)> &check)
    {
        ASSERT_TRUE(QDir(dir_.path()).mkpath(QStringLiteral("mine")));
        check(QStringLiteral("mine"));
        if (::geteuid() != 0)
            return;
        const ::test::OrdinaryUser user(dir_.path());
        ASSERT_TRUE(user.Acting());
        ASSERT_TRUE(QDir(dir_.path()).mkpath(QStringLiteral("theirs")));
        check(QStringLiteral("theirs"));
    }

    QTemporaryDir dir_;
    HeadlessHost host_;
    RunController runs_;
};

// The kernel's protections of links and files in sticky folders that all
// may write to (following another user's link, opening another user's
// file to create it), switched on while this lives where the superuser may.
class LinkProtections {
public:
    LinkProtections() : symlinks_(Swap("protected_symlinks", "1")), regular_(Swap("protected_regular", "2")) {}
    ~LinkProtections()
    {
        Swap("protected_symlinks", symlinks_);
        Swap("protected_regular", regular_);
    }
    LinkProtections(const LinkProtections &) = delete;
    LinkProtections &operator=(const LinkProtections &) = delete;

    bool On() const { return !symlinks_.isEmpty() && !regular_.isEmpty(); }

private:
    // Sets the switch; its value before, empty where it could not be set.
    static QByteArray Swap(const char *name, const QByteArray &value)
    {
        if (value.isEmpty())
            return {};
        QFile file(QStringLiteral("/proc/sys/fs/") + QLatin1StringView(name));
        if (!file.open(QIODevice::ReadWrite))
            return {};
        const QByteArray before = file.readAll().trimmed();
        return file.seek(0) && file.write(value + '\n') > 0 && file.flush() ? before : QByteArray();
    }

    QByteArray symlinks_;
    QByteArray regular_;
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

// Each statement writes the file the kernel opens by the name: through a
// linked folder and "..", and through a link whose target holds ".."; the
// picture's backup lies beside that file. The unrelated file the name's
// text would suggest is left alone.
TEST_F(WholeFileWrites, TheFileWrittenIsTheOneTheKernelOpens)
{
    AsEachUser([this](const QString &folder) {
        const QString at = folder + u'/';
        ASSERT_TRUE(QDir(dir_.path()).mkpath(at + QStringLiteral("real/deep")));
        ASSERT_TRUE(QFile::link(QStringLiteral("real/deep"), Path(at + QStringLiteral("dirlink"))));
        ASSERT_TRUE(QFile::link(QStringLiteral("dirlink/../t.txt"), Path(at + QStringLiteral("tlink.txt"))));
        ASSERT_TRUE(QFile::link(QStringLiteral("dirlink/../p.bmp"), Path(at + QStringLiteral("plink.bmp"))));
        Put(at + QStringLiteral("src.txt"), "copied");
        const struct {
            const char *statement;
            const char *written;
        } cases[] = {
            {"WRITEALLTEXT(\"@/%1dirlink/../t.txt\", \"new\")", "new"},
            {"DIM L$(1)\nL$(1) = \"new\"\nWRITEALLLINES(\"@/%1dirlink/../t.txt\", L$())", "new\r\n"},
            {"WRITEALLTEXT(\"@/%1tlink.txt\", \"new\")", "new"},
            {"FILECOPY \"@/%1src.txt\", \"@/%1dirlink/../t.txt\"", "copied"},
            {"FILECOPY \"@/%1src.txt\", \"@/%1tlink.txt\"", "copied"},
            {"GSCREEN(4, 4)\nSAVEPICTURE(\"@/%1dirlink/../p.bmp\")", "BM"},
            {"GSCREEN(4, 4)\nSAVEPICTURE(\"@/%1plink.bmp\")", "BM"},
        };
        for (const auto &c : cases) {
            for (const char *name : {"t.txt", "p.bmp", "real/t.txt", "real/p.bmp"})
                Put(at + QString::fromLatin1(name), "old");
            EXPECT_EQ(Run(QString::fromUtf8(c.statement).arg(at)), 0) << c.statement;
            const bool picture = QByteArray(c.statement).contains("SAVEPICTURE");
            const QString written = at + (picture ? QStringLiteral("real/p.bmp") : QStringLiteral("real/t.txt"));
            EXPECT_EQ(Bytes(written).left(qstrlen(c.written)), c.written) << c.statement;
            EXPECT_EQ(Bytes(at + QStringLiteral("t.txt")) + Bytes(at + QStringLiteral("p.bmp")), "oldold") << c.statement;
            if (picture) {
                EXPECT_EQ(Bytes(at + QStringLiteral("real/p.bak")), "old") << c.statement;
            }
        }
        EXPECT_EQ(QDir(Path(folder)).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot).size(), 7);
    });
}

// In a folder whose name is not UTF-8 (here in Shift-JIS), named relative to
// it or through a link into it, the statements write their files.
TEST_F(WholeFileWrites, FoldersWhoseNamesAreNotUtf8)
{
    const QByteArray sjis("\x93\xfa\x96\x7b");
    AsEachUser([&](const QString &folder) {
        const QByteArray top = QFile::encodeName(Path(folder));
        const QByteArray inside = top + '/' + sjis;
        ASSERT_EQ(::mkdir(inside.constData(), 0755), 0);
        ASSERT_EQ(::symlink(sjis.constData(), (top + "/jp").constData()), 0);
        ASSERT_EQ(::symlink((sjis + "/l.txt").constData(), (top + "/l.txt").constData()), 0);
        const QString program = QStringLiteral("DIM L$(1)\nL$(1) = \"lines\"\n"
                                               "WRITEALLTEXT(\"%1t.txt\", \"text\")\n"
                                               "WRITEALLLINES(\"%1w.txt\", L$())\n"
                                               "APPENDALLTEXT(\"%1a.txt\", \"appended\")\n"
                                               "FILECOPY \"%1t.txt\", \"%1c.txt\"\n"
                                               "WRITEALLTEXT(\"%2\", \"through a link\")\n"
                                               "GSCREEN(4, 4)\nSAVEPICTURE(\"%1p.bmp\")\n");
        EXPECT_EQ(Run(program.arg(Path(folder) + QStringLiteral("/jp/"), Path(folder) + QStringLiteral("/l.txt"))), 0);
        const QByteArray here = QFile::encodeName(QDir::currentPath());
        ASSERT_EQ(::chdir(inside.constData()), 0);
        const int relative = Run(program.arg(QString(), QStringLiteral("l2.txt")));
        ASSERT_EQ(::chdir(here.constData()), 0);
        EXPECT_EQ(relative, 0);
        const auto bytesIn = [&](const char *name) { return ::test::BytesAt(inside + '/' + name); };
        EXPECT_EQ(bytesIn("t.txt"), "text");
        EXPECT_EQ(bytesIn("w.txt"), "lines\r\n");
        EXPECT_EQ(bytesIn("a.txt"), "appendedappended");
        EXPECT_EQ(bytesIn("c.txt"), "text");
        EXPECT_EQ(bytesIn("l.txt"), "through a link");
        EXPECT_EQ(bytesIn("l2.txt"), "through a link");
        EXPECT_EQ(bytesIn("p.bmp").left(2), "BM");
        EXPECT_EQ(bytesIn("p.bak").left(2), "BM");
        for (const char *name : {"t.txt", "w.txt", "a.txt", "c.txt", "l.txt", "l2.txt", "p.bmp", "p.bak"})
            ::unlink((inside + '/' + name).constData());
        ASSERT_EQ(::rmdir(inside.constData()), 0);  // a name the folder's removal could not spell
    });
}

// With the kernel's link protections on, a statement refuses, as a plain
// write does, to follow another user's link planted in a sticky folder
// that all may write to, or to replace another user's file there: the
// statement's error, and the file linked to and the other user's file keep
// their text.
TEST_F(WholeFileWrites, TheKernelsLinkProtectionsHold)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "only the superuser can plant other users' links and switch the protections";
    const LinkProtections protections;
    if (!protections.On())
        GTEST_SKIP() << "the kernel's link protections cannot be switched on here";
    const QByteArray sticky = QFile::encodeName(Path(QStringLiteral("sticky")));
    ASSERT_EQ(::mkdir(sticky.constData(), 0777), 0);
    ASSERT_EQ(::chmod(sticky.constData(), 01777), 0);
    ASSERT_EQ(::chown(sticky.constData(), ::test::OrdinaryId + 1, ::test::OrdinaryId + 1), 0);  // a third user's
    Put(QStringLiteral("victim.txt"), "victim");
    Put(QStringLiteral("src.txt"), "copied");
    const auto plant = [&](const char *name, const char *target, uid_t owner) {
        const QByteArray link = sticky + '/' + name;
        ASSERT_EQ(::symlink(target, link.constData()), 0);
        ASSERT_EQ(::lchown(link.constData(), owner, owner), 0);
    };
    plant("link.txt", "../victim.txt", ::test::OrdinaryId);
    plant("link.bmp", "../victim.txt", ::test::OrdinaryId);
    plant("roots.txt", "../victim.txt", 0);
    Put(QStringLiteral("sticky/theirs.txt"), "theirs");
    ASSERT_EQ(::chown(QFile::encodeName(Path(QStringLiteral("sticky/theirs.txt"))).constData(), ::test::OrdinaryId,
                      ::test::OrdinaryId), 0);
    Put(QStringLiteral("sticky/roots-own.txt"), "root's");
    for (const char *name : {"sticky/theirs.txt", "sticky/roots-own.txt", "victim.txt"})
        ASSERT_EQ(::chmod(QFile::encodeName(Path(QString::fromLatin1(name))).constData(), 0666), 0);

    const struct {
        const char *statement;
        int error;
        int subject;
    } cases[] = {
        {"WRITEALLTEXT(\"@/sticky/%1\", \"new\")", 50026, stWRITEALLTEXT},
        {"DIM L$(1)\nL$(1) = \"new\"\nWRITEALLLINES(\"@/sticky/%1\", L$())", 50026, stWRITEALLLINES},
        {"APPENDALLTEXT(\"@/sticky/%1\", \"new\")", 50026, stAPPENDALLTEXT},
        {"FILECOPY \"@/src.txt\", \"@/sticky/%1\"", 2112, 0},
    };
    const auto check = [&](const char *who, const QStringList &names) {
        for (const QString &name : names) {
            for (const auto &c : cases) {
                EXPECT_EQ(Run(QString::fromUtf8(c.statement).arg(name)), c.error) << who << c.statement << name.toStdString();
                EXPECT_EQ(ErrorSubject, c.subject) << who << c.statement << name.toStdString();
            }
        }
        EXPECT_EQ(Bytes(QStringLiteral("victim.txt")), "victim") << who;
        EXPECT_EQ(Bytes(QStringLiteral("sticky/theirs.txt")), "theirs") << who;
        EXPECT_EQ(Bytes(QStringLiteral("sticky/roots-own.txt")), "root's") << who;
    };
    check("the superuser", {QStringLiteral("link.txt"), QStringLiteral("theirs.txt")});
    EXPECT_EQ(Run(QStringLiteral("GSCREEN(4, 4)\nSAVEPICTURE(\"@/sticky/link.bmp\")")), 2112);
    {
        const ::test::OrdinaryUser user(dir_.path());
        ASSERT_TRUE(user.Acting());
        check("an ordinary user", {QStringLiteral("roots.txt"), QStringLiteral("roots-own.txt")});
    }
    EXPECT_EQ(Bytes(QStringLiteral("victim.txt")), "victim");
    EXPECT_EQ(QDir(Path(QStringLiteral("sticky"))).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot).size(), 5);
}

// A save removes no file it did not make: a user's file named as the
// picture's backup with an extension added, and another user's old file
// named like a save's helper, stay with their text.
TEST_F(WholeFileWrites, TheFoldersOtherFilesStay)
{
    AsEachUser([this](const QString &folder) {
        const QString at = folder + u'/';
        const QStringList others = {at + QStringLiteral("c.bak.ovtmp"), at + QStringLiteral(".ovsave-x"),
                                    at + QStringLiteral(".ovsave-1-0a1b2c3d-AbCdEf")};
        for (const QString &name : others) {
            Put(name, "someone's");
            QFile old(Path(name));
            ASSERT_TRUE(old.open(QIODevice::ReadWrite));
            ASSERT_TRUE(old.setFileTime(QDateTime::currentDateTime().addDays(-2), QFileDevice::FileModificationTime));
        }
        Put(at + QStringLiteral("c.bmp"), "old");
        const QString program = QStringLiteral("GSCREEN(4, 4)\nSAVEPICTURE(\"@/%1c.bmp\")\nSAVEPICTURE(\"@/%1c.bmp\")\n"
                                               "WRITEALLTEXT(\"@/%1t.txt\", \"new\")\nWRITEALLTEXT(\"@/%1t.txt\", \"new\")\n");
        EXPECT_EQ(Run(program.arg(at)), 0);
        for (const QString &name : others)
            EXPECT_EQ(Bytes(name), "someone's") << name.toStdString();
        EXPECT_EQ(Bytes(at + QStringLiteral("c.bak")).left(2), "BM");
        EXPECT_EQ(QDir(Path(folder)).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot).size(), 6);
    });
}
