#include "executor/OVConsoleOut.h"
#include "executor/OVHeadlessHost.h"
#include "executor/OVInterpreter.h"
#include "executor/OVMThread.h"
#include "executor/OVRunCommands.h"
#include "executor/OVStack.h"
#include "platform/OVSafeSave.h"
#include "tests/file_conditions.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

using namespace ov;

namespace {

// Every file statement runs inside a fresh temporary folder, which is also
// the current folder meanwhile.
class FileStatements : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir_.isValid());
        InitializeInterpreterUnits();
        ResetOutputLine();
        SetRunHost(&host_);
        ClearError();
        TagStackTop = StrStackTop = NumStackTop = 0;
        saved_ = QDir::currentPath();
        ASSERT_TRUE(QDir::setCurrent(dir_.path()));
    }
    void TearDown() override
    {
        QDir::setCurrent(saved_);
        SetRunHost(nullptr);
    }

    // Runs the statement with string arguments (the last on top); its error.
    static int32_t Run(int32_t statement, const QStringList &arguments)
    {
        for (const QString &argument : arguments)
            PushString(argument);
        EXPECT_TRUE(DispatchFileStatement(statement));
        const int32_t error = ErrorNumber;
        EXPECT_EQ(ErrorSubject, error == 50022 ? statement : 0);
        ClearError();
        TagStackTop = StrStackTop = NumStackTop = 0;
        return error;
    }
    static void Write(const QString &name, const QByteArray &bytes)
    {
        QFile file(name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    static QByteArray Read(const QString &name)
    {
        QFile file(name);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<none>");
    }

    QTemporaryDir dir_;
    QString saved_;
    HeadlessHost host_;
};

} // namespace

TEST_F(FileStatements, ChdirLoadAndList)
{
    ASSERT_TRUE(QDir().mkdir("sub"));
    Write("sub/prog.txt", "PRINT 1\nPRINT \"\xE3\x81\x82\"\n");
    EXPECT_EQ(Run(stCHDIR, {"sub"}), 0);
    EXPECT_EQ(Run(stCHDIR, {"..\\missing"}), 2121);
    EXPECT_EQ(Run(stCHDIR, {"C:\\"}), 2121);
    EXPECT_EQ(Run(stLOAD, {"..\\sub\\prog.txt"}), 0);
    const QString program = QStringLiteral(u"PRINT 1\r\nPRINT \"あ\"");
    EXPECT_EQ(SourceText, program);
    AppendPrintText(u"pending");
    EXPECT_EQ(Run(stLIST, {}), 0);
    EXPECT_EQ(host_.Console().Lines(), program.split("\r\n"));
    EXPECT_EQ(OutputLine, "pending");

    for (const char *missing : {"missing.txt", "..\\sub", "C:\\sub\\prog.txt"})
        EXPECT_EQ(Run(stLOAD, {missing}), 2101) << missing;
    PushNumber(1);
    EXPECT_EQ(Run(stLOAD, {}), 50022);
    EXPECT_EQ(SourceText, program);
}

TEST_F(FileStatements, KillMovesTheFileToItsBackup)
{
    Write("a.txt", "new");
    Write("a.bak", "old");
    Write("b", "x");
    EXPECT_EQ(Run(stKILL, {"a.txt"}), 0);
    EXPECT_EQ(Run(stKILL, {"a.bak"}), 0);  // a backup is not deleted by killing it again
    EXPECT_EQ(Run(stKILL, {".\\b"}), 0);
    EXPECT_EQ(QDir().entryList(QDir::Files), (QStringList{"a.bak", "b.bak"}));
    EXPECT_EQ(Read("a.bak") + Read("b.bak"), "newx");

    EXPECT_EQ(Run(stKILL, {"a.txt"}), 2141);
    ASSERT_TRUE(QDir().mkpath("c.bak/inside"));
    EXPECT_EQ(Run(stKILL, {"c.bak"}), 2141);  // a folder is no file
    Write("c.txt", "kept");
    EXPECT_EQ(Run(stKILL, {"c.txt"}), 2142);   // its backup name is taken by a folder
    EXPECT_EQ(Read("c.txt"), "kept");
}

TEST_F(FileStatements, NameMovesOnlyToAFreeName)
{
    Write("a.txt", "a");
    Write("b.txt", "b");
    EXPECT_EQ(Run(stNAME, {"a.txt", "b.txt"}), 2132);
    EXPECT_EQ(Read("a.txt") + Read("b.txt"), "ab");
    EXPECT_EQ(Run(stNAME, {"a.txt", "c.txt"}), 0);
    EXPECT_EQ(QDir().entryList(QDir::Files), (QStringList{"b.txt", "c.txt"}));
    EXPECT_EQ(Run(stNAME, {"a.txt", "d.txt"}), 2131);
    EXPECT_EQ(Run(stNAME, {"c.txt", "none\\d.txt"}), 2133);
    EXPECT_EQ(Run(stNAME, {"c.txt", "D:\\d.txt"}), 2133);
    EXPECT_EQ(Read("c.txt"), "a");
}

// A copy onto a loop of links fails and leaves the links; into a folder that
// takes no new file, an existing file is rewritten in place.
TEST_F(FileStatements, FileCopyOntoALoopOfLinksOrIntoAFolderThatTakesNoNewFile)
{
    Write("a.txt", "A");
    ASSERT_TRUE(QFile::link("loop2", "loop1"));
    ASSERT_TRUE(QFile::link("loop1", "loop2"));
    host_.SetYesNoAnswer(true);
    EXPECT_EQ(Run(stFILECOPY, {"a.txt", "loop1"}), 2112);
    EXPECT_EQ(QFileInfo("loop1").symLinkTarget(), QFileInfo("loop2").absoluteFilePath());
    EXPECT_EQ(QFileInfo("loop2").symLinkTarget(), QFileInfo("loop1").absoluteFilePath());

    ASSERT_TRUE(QDir().mkdir("shut"));
    Write("shut/b.txt", "old");
    test::RefusingFolder shut(dir_.filePath("shut"));
    if (!shut.Refuses())
        GTEST_SKIP() << "no folder here refuses new files";
    EXPECT_EQ(Run(stFILECOPY, {"a.txt", "shut/b.txt"}), 0);
    EXPECT_EQ(Read("shut/b.txt"), "A");
    EXPECT_EQ(Run(stFILECOPY, {"a.txt", "shut/new.txt"}), 2112);
}

// The copy has its source's permissions, less what the umask takes from a
// new file, whether it is new or replaces a file; its temporary file has
// them before any of the source is in it.
TEST_F(FileStatements, FileCopyGivesTheCopyItsSourcesPermissions)
{
    Write("a.txt", "A");
    QList<mode_t> seen;
    SetSaveFaultHook([&](SaveStep, int newFile) {
        struct stat status {};
        if (newFile >= 0 && ::fstat(newFile, &status) == 0)
            seen << (status.st_mode & 07777);
        return true;
    });
    host_.SetYesNoAnswer(true);
    const struct {
        mode_t umask;
        mode_t source;
        const char *target;
        mode_t result;
    } cases[] = {
        {022, 0750, "new.txt", 0750}, {077, 0750, "new2.txt", 0700}, {022, 0600, "new3.txt", 0600},
        {022, 0750, "mine.txt", 0750}, {022, 0600, "shared.txt", 0600}, {077, 0644, "wide.txt", 0600},
    };
    for (const auto &c : cases) {
        if (QByteArray(c.target).startsWith("new")) {
            ASSERT_FALSE(QFileInfo::exists(c.target));
        } else {
            Write(c.target, "old");
            ASSERT_EQ(::chmod(c.target, 0644), 0);
        }
        ASSERT_EQ(::chmod("a.txt", c.source), 0);
        const test::Umask mask(c.umask);
        seen.clear();
        EXPECT_EQ(Run(stFILECOPY, {"a.txt", c.target}), 0) << c.target;
        EXPECT_EQ(Read(c.target), "A") << c.target;
        EXPECT_EQ(test::ModeOf(c.target), c.result) << c.target;
        EXPECT_EQ(seen, (QList<mode_t>{c.result, c.result})) << c.target;  // before writing and renaming
    }
    SetSaveFaultHook({});
}

// A target written in place (it has another name, or its folder will not
// let it be replaced) holds exactly the source's bytes, the source read
// again from its start after a first copy went to a temporary file.
TEST_F(FileStatements, FileCopyOntoATargetWrittenInPlace)
{
    QByteArray source;
    for (int i = 0; source.size() < 200000; ++i)
        source += QByteArray::number(i) + ' ';
    Write("a.txt", source);
    Write("b.txt", "old");
    host_.SetYesNoAnswer(true);
    ASSERT_EQ(::link("b.txt", "other.txt"), 0);
    EXPECT_EQ(Run(stFILECOPY, {"a.txt", "b.txt"}), 0);
    EXPECT_EQ(Read("other.txt"), source);

    Write("c.txt", "old");
    const auto inode = [] {
        struct stat status {};
        return ::stat("c.txt", &status) == 0 ? status.st_ino : 0;
    };
    const ino_t before = inode();
    bool refused = false;
    SetSaveFaultHook([&](SaveStep step, int) {
        if (step != SaveStep::Replace || std::exchange(refused, true))
            return true;
        errno = EBUSY;  // as a name that is a mount point
        return false;
    });
    EXPECT_EQ(Run(stFILECOPY, {"a.txt", "c.txt"}), 0);
    SetSaveFaultHook({});
    EXPECT_TRUE(refused);
    EXPECT_EQ(inode(), before);
    EXPECT_EQ(Read("c.txt"), source);
}

// A copy that fails part of the way onto a target written in place leaves
// the target's text and permissions as they were, whether the source's are
// wider or narrower.
TEST_F(FileStatements, FileCopyThatFailsInPlaceKeepsTheTargetsPermissions)
{
    Write("a.txt", QByteArray(10000, 'x'));
    host_.SetYesNoAnswer(true);
    for (const auto &[target, source] : {std::pair<mode_t, mode_t>{0600, 0644}, {0644, 0600}}) {
        Write("b.txt", "old");
        QFile::remove("other.txt");
        ASSERT_EQ(::link("b.txt", "other.txt"), 0);
        ASSERT_EQ(::chmod("b.txt", target), 0);
        ASSERT_EQ(::chmod("a.txt", source), 0);
        const test::Umask mask(022);
        {
            const test::FileSizeLimit nearlyFull(4096);
            EXPECT_EQ(Run(stFILECOPY, {"a.txt", "b.txt"}), 2112);
        }
        EXPECT_EQ(Read("b.txt"), "old");
        EXPECT_EQ(test::ModeOf("b.txt"), target) << "source " << source;
    }
}

// A copy in a folder whose name is not UTF-8 (here in Shift-JIS), named
// relative to it, and into it through a link.
TEST_F(FileStatements, FileCopyInAFolderWhoseNameIsNotUtf8)
{
    ASSERT_EQ(::mkdir("\x93\xfa\x96\x7b", 0755), 0);
    ASSERT_EQ(::symlink("\x93\xfa\x96\x7b", "jp"), 0);
    ASSERT_EQ(::chdir("\x93\xfa\x96\x7b"), 0);
    Write("a.txt", "A");
    const int relative = Run(stFILECOPY, {"a.txt", "b.txt"});
    const QByteArray copied = Read("b.txt");
    ASSERT_TRUE(QDir::setCurrent(dir_.path()));
    EXPECT_EQ(relative, 0);
    EXPECT_EQ(copied, "A");
    EXPECT_EQ(Run(stFILECOPY, {"jp/a.txt", "jp/c.txt"}), 0);
    EXPECT_EQ(Read("jp/c.txt"), "A");
    for (const char *name : {"a.txt", "b.txt", "c.txt"})
        ::unlink((QByteArray("\x93\xfa\x96\x7b/") + name).constData());
    ASSERT_EQ(::rmdir("\x93\xfa\x96\x7b"), 0);  // a name the folder's removal could not spell
}

TEST_F(FileStatements, FileCopyCopiesFilesAndAsksBeforeReplacing)
{
    Write("a.txt", "A");
    Write("b.txt", "B");
    Write("readme", "R");
    Write("c.dat", "C");
    ASSERT_TRUE(QDir().mkdir("out"));

    EXPECT_EQ(Run(stFILECOPY, {"a.txt", "copy.txt"}), 0);
    EXPECT_EQ(Read("copy.txt"), "A");
    EXPECT_EQ(Run(stFILECOPY, {"*.txt", "out"}), 0);
    EXPECT_EQ(QDir("out").entryList(QDir::Files), (QStringList{"a.txt", "b.txt", "copy.txt"}));
    EXPECT_EQ(host_.Questions().size(), 0);
    Write("b.txt", "B2");
    host_.SetYesNoAnswer(false);
    EXPECT_EQ(Run(stFILECOPY, {".\\*.*", "out\\"}), 0);  // a file without extension too
    EXPECT_EQ(QDir("out").entryList(QDir::Files).size(), 5);
    EXPECT_EQ(host_.Questions().size(), 3);
    EXPECT_EQ(Read("out/b.txt"), "B");
    host_.SetYesNoAnswer(true);
    EXPECT_EQ(Run(stFILECOPY, {"b.txt", "out/b.txt"}), 0);
    // A file copied onto itself stays whole, without a question.
    EXPECT_EQ(Run(stFILECOPY, {"b.txt", "./b.txt"}), 0);
    EXPECT_EQ(Read("out/b.txt") + Read("b.txt"), "B2B2");
    EXPECT_EQ(host_.Questions().size(), 4);

    for (const char *missing : {"none.txt", "*.none", "C:\\a.txt", "out"})
        EXPECT_EQ(Run(stFILECOPY, {missing, "out"}), 2101) << missing;
    EXPECT_EQ(Run(stFILECOPY, {"*.txt", "one.txt"}), 2102);
    EXPECT_EQ(Run(stFILECOPY, {"a.txt", "nowhere/a.txt"}), 2102);
    EXPECT_FALSE(QFileInfo::exists("one.txt"));
    PushNumber(1);
    EXPECT_EQ(Run(stFILECOPY, {"out"}), 50022);
}
