// Saves that replace a file whole: through symbolic links, and the
// temporary files of saves killed between their steps, which a later save
// in the folder removes while it leaves those of saves still running; in a
// folder that takes no new file, into devices, and on a full disk.
#include "platform/OVSafeSave.h"

#include "tests/file_conditions.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace ov;

namespace {

class SafeSave : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir_.isValid()); }

    QString Path(const QString &name) const { return dir_.filePath(name); }

    static QByteArray Bytes(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }
    static void Put(const QString &path, const QByteArray &bytes)
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    bool Save(const QString &name, const QByteArray &bytes)
    {
        QString error;
        return ReplaceFileKeepingBackup(Path(name), bytes, {}, error);
    }
    QStringList Files() const
    {
        QStringList names = QDir(dir_.path()).entryList(QDir::Files | QDir::Hidden);
        names.sort();
        return names;
    }

    QTemporaryDir dir_;
};

// The id of a process that has ended.
pid_t EndedProcess()
{
    const pid_t pid = ::fork();
    if (pid == 0)
        ::_exit(0);
    ::waitpid(pid, nullptr, 0);
    return pid;
}

QString Reason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

QString WithBak(const QString &target)
{
    return target + QStringLiteral(".bak");
}

struct stat Status(const QString &path)
{
    struct stat status {};
    ::stat(QFile::encodeName(path).constData(), &status);
    return status;
}

} // namespace

// A save killed between its steps can leave its temporary file; the next
// save in that folder removes it, and those of its scheme untouched for a
// day. It keeps the file of a save still running here (this process's, or
// another live one's), a fresh one whose writer it cannot tell, and files
// of other names.
TEST_F(SafeSave, LeftoverTemporaryFilesGoAtTheNextSave)
{
    const pid_t ended = EndedProcess();
    ASSERT_GT(ended, 0);
    const QString killed = SaveTemporaryStem(ended) + QStringLiteral("AbCdEf");
    const QString running = SaveTemporaryStem(::getppid()) + QStringLiteral("AbCdEf");
    const QString own = SaveTemporaryStem(::getpid()) + QStringLiteral("AbCdEf");
    const QString elsewhere = QStringLiteral(".ovsave-%1-00000000-AbCdEf").arg(ended);
    ASSERT_NE(SaveTemporaryStem(ended), QStringLiteral(".ovsave-%1-00000000-").arg(ended));
    for (const QString &name : {killed, running, own, elsewhere})
        Put(Path(name), "whole new text");
    const QDateTime twoDaysAgo = QDateTime::currentDateTime().addDays(-2);
    for (const char *name : {".ovsave-old", ".ovsave-fresh", ".ovsaveold", "x.ovsave-old", ".OVSAVE-old"}) {
        Put(Path(QString::fromLatin1(name)), "left");
        if (QByteArray(name).endsWith("old")) {
            QFile file(Path(QString::fromLatin1(name)));
            ASSERT_TRUE(file.open(QIODevice::ReadWrite));
            ASSERT_TRUE(file.setFileTime(twoDaysAgo, QFileDevice::FileModificationTime));
        }
    }

    ASSERT_TRUE(Save(QStringLiteral("b.txt"), "new"));
    QStringList kept = {running, own, elsewhere, QStringLiteral(".OVSAVE-old"), QStringLiteral(".ovsave-fresh"),
                        QStringLiteral(".ovsaveold"), QStringLiteral("b.txt"), QStringLiteral("x.ovsave-old")};
    kept.sort();
    EXPECT_EQ(Files(), kept);
    EXPECT_EQ(Bytes(Path(QStringLiteral("b.txt"))), "new");
}

// A save through a chain of links replaces the file at its end, with the
// backup beside that file; the links stay. A chain that loops is refused.
TEST_F(SafeSave, LinksAreSavedThrough)
{
    ASSERT_TRUE(QDir(dir_.path()).mkpath(QStringLiteral("real")));
    Put(Path(QStringLiteral("real/f.txt")), "old");
    ASSERT_TRUE(QFile::link(QStringLiteral("real/f.txt"), Path(QStringLiteral("second"))));
    ASSERT_TRUE(QFile::link(QStringLiteral("second"), Path(QStringLiteral("first"))));
    QString error;
    ASSERT_TRUE(ReplaceFileKeepingBackup(Path(QStringLiteral("first")), "new",
                                         [](const QString &target) { return target + QStringLiteral(".bak"); }, error));
    EXPECT_TRUE(QFileInfo(Path(QStringLiteral("first"))).isSymLink());
    EXPECT_TRUE(QFileInfo(Path(QStringLiteral("second"))).isSymLink());
    EXPECT_EQ(Bytes(Path(QStringLiteral("real/f.txt"))), "new");
    EXPECT_EQ(Bytes(Path(QStringLiteral("real/f.txt.bak"))), "old");
    EXPECT_EQ(QDir(dir_.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).size(), 3);

    ASSERT_TRUE(QFile::link(QStringLiteral("loop2"), Path(QStringLiteral("loop1"))));
    ASSERT_TRUE(QFile::link(QStringLiteral("loop1"), Path(QStringLiteral("loop2"))));
    EXPECT_FALSE(ReplaceFileKeepingBackup(Path(QStringLiteral("loop1")), "new", {}, error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_TRUE(QFileInfo(Path(QStringLiteral("loop1"))).isSymLink());
}

// Where the folder takes no new file, a file that may be written is
// rewritten where it stands (the same file, shorter or longer), an existing
// backup file rewritten with the old contents; a new name stays refused.
TEST_F(SafeSave, AFolderThatTakesNoNewFileHasItsFilesWrittenInPlace)
{
    ASSERT_TRUE(QDir(dir_.path()).mkpath(QStringLiteral("locked")));
    const QString file = Path(QStringLiteral("locked/f.txt"));
    Put(file, "old text");
    Put(WithBak(file), "older");
    const ino_t inode = Status(file).st_ino;
    test::RefusingFolder locked(Path(QStringLiteral("locked")));
    if (!locked.Refuses())
        GTEST_SKIP() << "no folder here can be made to refuse new files";

    QString error;
    EXPECT_TRUE(ReplaceFileKeepingBackup(file, "new", WithBak, error)) << error.toStdString();
    EXPECT_EQ(Bytes(file), "new");
    EXPECT_EQ(Bytes(WithBak(file)), "old text");
    EXPECT_TRUE(ReplaceFileKeepingBackup(file, "newer and longer", {}, error)) << error.toStdString();
    EXPECT_EQ(Bytes(file), "newer and longer");
    EXPECT_EQ(Status(file).st_ino, inode);
    EXPECT_EQ(QDir(Path(QStringLiteral("locked"))).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              (QStringList{QStringLiteral("f.txt"), QStringLiteral("f.txt.bak")}));

    // A write that fails part of the way puts the old contents back.
    {
        const test::FileSizeLimit nearlyFull(4096);
        EXPECT_FALSE(ReplaceFileKeepingBackup(file, QByteArray(10000, 'x'), {}, error));
    }
    EXPECT_EQ(error, Reason(EFBIG));
    EXPECT_EQ(Bytes(file), "newer and longer");

    EXPECT_FALSE(ReplaceFileKeepingBackup(Path(QStringLiteral("locked/g.txt")), "new", {}, error));
    EXPECT_TRUE(error == Reason(EACCES) || error == Reason(EPERM)) << error.toStdString();
}

// A disk that takes no more names its reason and keeps the old file; a
// device is written, never replaced by a file.
TEST_F(SafeSave, AFullDiskIsNamedAndDevicesAreWrittenInPlace)
{
    Put(Path(QStringLiteral("f.txt")), "old");
    QString error;
    {
        const test::FileSizeLimit nearlyFull(4096);
        EXPECT_FALSE(ReplaceFileKeepingBackup(Path(QStringLiteral("f.txt")), QByteArray(10000, 'x'), {}, error));
    }
    EXPECT_EQ(error, Reason(EFBIG));
    EXPECT_EQ(Bytes(Path(QStringLiteral("f.txt"))), "old");
    EXPECT_EQ(Files(), QStringList{QStringLiteral("f.txt")});

    const QString full = Path(QStringLiteral("full"));
    const QString null = Path(QStringLiteral("null"));
    if (::geteuid() == 0) {
        ASSERT_TRUE(test::MakeMemoryDevice(full, 7));
        ASSERT_TRUE(test::MakeMemoryDevice(null, 3));
    } else {
        ASSERT_TRUE(QFile::link(QStringLiteral("/dev/full"), full));
        ASSERT_TRUE(QFile::link(QStringLiteral("/dev/null"), null));
    }
    EXPECT_FALSE(ReplaceFileKeepingBackup(full, "text", WithBak, error));
    EXPECT_EQ(error, Reason(ENOSPC));
    EXPECT_TRUE(ReplaceFileKeepingBackup(null, "text", WithBak, error)) << error.toStdString();
    EXPECT_TRUE(S_ISCHR(Status(full).st_mode));
    EXPECT_TRUE(S_ISCHR(Status(null).st_mode));
    EXPECT_EQ(QDir(dir_.path()).entryList({QStringLiteral("*.bak"), QStringLiteral(".ovsave-*")},
                                          QDir::AllEntries | QDir::Hidden | QDir::System),
              QStringList());  // nor a backup
}
