// Saves that replace a file whole: through symbolic links and folders the
// kernel resolves, and killed between their steps, after which the old or
// the new text is there whole and nothing else; the folder's other files
// left alone; in a folder that takes no new file, into devices, and on a
// full disk; what the file was besides its text (permissions, owner and
// group, other names, extended attributes) kept, and a file the user may
// not write refused.
#include "platform/OVSafeSave.h"

#include "tests/file_conditions.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <optional>
#include <string>
#include <utility>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
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
    // The names of the save's helper files in the folder.
    QStringList Helpers() const
    {
        return QDir(dir_.path()).entryList({QStringLiteral(".ovsave-*")}, QDir::AllEntries | QDir::Hidden | QDir::System);
    }

    QTemporaryDir dir_;
};

// The permissions of an open file.
mode_t ModeOf(int fd)
{
    struct stat status {};
    return ::fstat(fd, &status) == 0 ? status.st_mode & 07777 : 07777;
}

QString Reason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// The backup naming of the tests: ".bak" added to the name.
QByteArray WithBak(const QByteArray &name)
{
    return name + ".bak";
}

QString Bak(const QString &path)
{
    return path + QStringLiteral(".bak");
}

struct stat Status(const QString &path)
{
    struct stat status {};
    ::stat(QFile::encodeName(path).constData(), &status);
    return status;
}

} // namespace

// A save killed at any of its steps leaves the old text whole, or the new,
// and no other file; a new file killed early may be there, empty.
TEST_F(SafeSave, AKilledSaveLeavesTheOldOrTheNewTextAndNothingElse)
{
    const QString file = Path(QStringLiteral("f.txt"));
    const auto killedAt = [&](SaveStep at, bool existing) {
        QFile::remove(file);
        QFile::remove(Bak(file));
        if (existing)
            Put(file, "old text");
        const pid_t child = ::fork();
        if (child == 0) {
            SetSaveFaultHook([at](SaveStep step, int) {
                if (step == at)
                    ::raise(SIGKILL);
                return true;
            });
            QString error;
            ReplaceFileKeepingBackup(file, "the new text", WithBak, error);
            ::_exit(0);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        return WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
    };
    for (const SaveStep at : {SaveStep::Create, SaveStep::Write, SaveStep::Backup, SaveStep::Replace}) {
        ASSERT_TRUE(killedAt(at, true)) << int(at);
        EXPECT_EQ(Bytes(file), "old text") << int(at);
        QStringList left = Files();
        left.removeAll(QStringLiteral("f.txt.bak"));  // made at Backup, before the last step
        EXPECT_EQ(left, QStringList{QStringLiteral("f.txt")}) << int(at);
    }
    for (const SaveStep at : {SaveStep::Create, SaveStep::Write, SaveStep::Replace}) {
        ASSERT_TRUE(killedAt(at, false)) << int(at);
        EXPECT_EQ(Bytes(file), "") << int(at);
        EXPECT_EQ(Files(), QStringList{QStringLiteral("f.txt")}) << int(at);
    }
}

// A save removes no file it did not make, whatever its name (like those of
// a save's helper files, or a backup's with an extension added) and age,
// whoever owns it.
TEST_F(SafeSave, TheFolderKeepsItsOtherFiles)
{
    const QStringList others = {QStringLiteral(".ovsave-x"), QStringLiteral(".ovsave-1-0a1b2c3d-AbCdEf"),
                                QStringLiteral("f.txt.bak.ovtmp"), QStringLiteral(".ovsave-")};
    for (const QString &name : others) {
        Put(Path(name), "someone's");
        QFile old(Path(name));
        ASSERT_TRUE(old.open(QIODevice::ReadWrite));
        ASSERT_TRUE(old.setFileTime(QDateTime::currentDateTime().addDays(-2), QFileDevice::FileModificationTime));
        if (::geteuid() == 0) {
            ASSERT_EQ(::chown(QFile::encodeName(Path(name)).constData(), test::OrdinaryId, test::OrdinaryId), 0);
        }
    }
    const auto check = [&](const char *who) {
        const QString file = Path(QStringLiteral("f.txt"));
        QString error;
        EXPECT_TRUE(ReplaceFileKeepingBackup(file, "one", WithBak, error)) << who << error.toStdString();
        EXPECT_TRUE(ReplaceFileKeepingBackup(file, "two", WithBak, error)) << who << error.toStdString();
        const QString link = Path(QStringLiteral("l.txt"));
        QFile::remove(link);
        ASSERT_EQ(::link(QFile::encodeName(file).constData(), QFile::encodeName(link).constData()), 0);
        EXPECT_TRUE(ReplaceFileKeepingBackup(file, "three", WithBak, error)) << who << error.toStdString();  // in place
        EXPECT_EQ(Bytes(link), "three") << who;
        EXPECT_EQ(Bytes(Bak(file)), "two") << who;
        for (const QString &name : others)
            EXPECT_EQ(Bytes(Path(name)), "someone's") << who << ": " << name.toStdString();
        QStringList files = others + QStringList{QStringLiteral("f.txt"), QStringLiteral("f.txt.bak"), QStringLiteral("l.txt")};
        files.sort();
        EXPECT_EQ(Files(), files) << who;
        QFile::remove(file);
        QFile::remove(Bak(file));
    };
    check("this user");
    if (::geteuid() == 0) {
        const test::OrdinaryUser user(dir_.path());
        ASSERT_TRUE(user.Acting());
        check("an ordinary user");
    }
}

// Where the file system has no unnamed files, the new file is made under a
// fresh name, with its permissions from the start, and takes the file's
// place; nothing else stays.
TEST_F(SafeSave, WithoutUnnamedFilesAFreshNameServes)
{
    const QString file = Path(QStringLiteral("f.txt"));
    Put(file, "old");
    ASSERT_EQ(::chmod(QFile::encodeName(file).constData(), 0640), 0);
    QStringList named;
    QList<mode_t> modes;
    SetSaveFaultHook([&](SaveStep step, int newFile) {
        if (step == SaveStep::Create) {
            errno = EOPNOTSUPP;
            return false;
        }
        named << Helpers();
        if (newFile >= 0)
            modes << ModeOf(newFile);
        return true;
    });
    QString error;
    EXPECT_TRUE(ReplaceFileKeepingBackup(file, "new", WithBak, error)) << error.toStdString();
    SetSaveFaultHook({});
    EXPECT_EQ(named.size(), 3);  // at Write, Backup and Replace
    EXPECT_EQ(modes, (QList<mode_t>{0640, 0640}));
    EXPECT_EQ(Bytes(file), "new");
    EXPECT_EQ(Bytes(Bak(file)), "old");
    EXPECT_EQ(test::ModeOf(file), mode_t(0640));
    EXPECT_EQ(Files(), (QStringList{QStringLiteral("f.txt"), QStringLiteral("f.txt.bak")}));
}

// The file saved is the one the kernel opens by the name: through a linked
// folder and "..", a link whose target holds "..", and folders whose names
// are not UTF-8 (here in Shift-JIS), named relative to them or through a
// link. Its backup lies beside it. A name that holds another file by the
// time the new one would take its place keeps that file.
TEST_F(SafeSave, TheFileSavedIsTheOneTheKernelOpens)
{
    QDir top(dir_.path());
    ASSERT_TRUE(top.mkpath(QStringLiteral("real/deep")));
    Put(Path(QStringLiteral("t.txt")), "unrelated");
    Put(Path(QStringLiteral("real/t.txt")), "old");
    ASSERT_TRUE(QFile::link(QStringLiteral("real/deep"), Path(QStringLiteral("dirlink"))));
    ASSERT_TRUE(QFile::link(QStringLiteral("dirlink/../t.txt"), Path(QStringLiteral("tlink"))));
    QString error;
    EXPECT_TRUE(ReplaceFileKeepingBackup(Path(QStringLiteral("dirlink/../t.txt")), "new", WithBak, error));
    EXPECT_EQ(Bytes(Path(QStringLiteral("real/t.txt"))), "new");
    EXPECT_EQ(Bytes(Path(QStringLiteral("real/t.txt.bak"))), "old");
    EXPECT_TRUE(ReplaceFileKeepingBackup(Path(QStringLiteral("tlink")), "newer", WithBak, error));
    EXPECT_EQ(Bytes(Path(QStringLiteral("real/t.txt"))), "newer");
    EXPECT_EQ(Bytes(Path(QStringLiteral("real/t.txt.bak"))), "new");
    EXPECT_TRUE(QFileInfo(Path(QStringLiteral("tlink"))).isSymLink());
    EXPECT_EQ(Bytes(Path(QStringLiteral("t.txt"))), "unrelated");
    EXPECT_FALSE(QFileInfo::exists(Path(QStringLiteral("t.txt.bak"))));

    const QByteArray folder = QFile::encodeName(dir_.path()) + "/\x93\xfa\x96\x7b";
    ASSERT_EQ(::mkdir(folder.constData(), 0755), 0);
    ASSERT_EQ(::symlink("\x93\xfa\x96\x7b", QFile::encodeName(Path(QStringLiteral("jp"))).constData()), 0);
    ASSERT_EQ(::symlink("\x93\xfa\x96\x7b/b.txt", QFile::encodeName(Path(QStringLiteral("b.txt"))).constData()), 0);
    EXPECT_TRUE(ReplaceFileKeepingBackup(Path(QStringLiteral("jp/a.txt")), "through the folder", WithBak, error))
        << error.toStdString();
    EXPECT_TRUE(ReplaceFileKeepingBackup(Path(QStringLiteral("b.txt")), "through the file", WithBak, error))
        << error.toStdString();
    const QByteArray here = QFile::encodeName(QDir::currentPath());
    ASSERT_EQ(::chdir(folder.constData()), 0);
    const bool relative = ReplaceFileKeepingBackup(QStringLiteral("c.txt"), "relative", WithBak, error);
    const bool again = ReplaceFileKeepingBackup(QStringLiteral("c.txt"), "relative again", WithBak, error);
    ASSERT_EQ(::chdir(here.constData()), 0);
    EXPECT_TRUE(relative && again) << error.toStdString();
    const auto bytesIn = [&](const char *name) { return test::BytesAt(folder + '/' + name); };
    EXPECT_EQ(bytesIn("a.txt"), "through the folder");
    EXPECT_EQ(bytesIn("b.txt"), "through the file");
    EXPECT_EQ(bytesIn("c.txt"), "relative again");
    EXPECT_EQ(bytesIn("c.txt.bak"), "relative");
    EXPECT_EQ(bytesIn("a.txt.bak") + bytesIn("b.txt.bak"), "<missing><missing>");  // new files have no backup
    for (const char *name : {"a.txt", "b.txt", "c.txt", "c.txt.bak"})
        ::unlink((folder + '/' + name).constData());
    ASSERT_EQ(::rmdir(folder.constData()), 0);  // a name the folder's removal could not spell

    // Another program puts a file in the name's place meanwhile.
    const QString file = Path(QStringLiteral("f.txt"));
    Put(file, "old");
    Put(Path(QStringLiteral("g.txt")), "another program's");
    SetSaveFaultHook([&](SaveStep step, int) {
        return step != SaveStep::Replace || ::rename(QFile::encodeName(Path(QStringLiteral("g.txt"))).constData(), QFile::encodeName(file).constData()) == 0;
    });
    EXPECT_TRUE(ReplaceFileKeepingBackup(file, "new", {}, error)) << error.toStdString();
    SetSaveFaultHook({});
    EXPECT_EQ(Bytes(file), "another program's");
    EXPECT_EQ(Helpers(), QStringList());
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
    ASSERT_TRUE(ReplaceFileKeepingBackup(Path(QStringLiteral("first")), "new", WithBak, error));
    EXPECT_TRUE(QFileInfo(Path(QStringLiteral("first"))).isSymLink());
    EXPECT_TRUE(QFileInfo(Path(QStringLiteral("second"))).isSymLink());
    EXPECT_EQ(Bytes(Path(QStringLiteral("real/f.txt"))), "new");
    EXPECT_EQ(Bytes(Path(QStringLiteral("real/f.txt.bak"))), "old");
    EXPECT_EQ(QDir(dir_.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).size(), 3);

    ASSERT_TRUE(QFile::link(QStringLiteral("loop2"), Path(QStringLiteral("loop1"))));
    ASSERT_TRUE(QFile::link(QStringLiteral("loop1"), Path(QStringLiteral("loop2"))));
    EXPECT_FALSE(ReplaceFileKeepingBackup(Path(QStringLiteral("loop1")), "new", {}, error));
    EXPECT_EQ(error, Reason(ELOOP));
    EXPECT_TRUE(QFileInfo(Path(QStringLiteral("loop1"))).isSymLink());
}

// Where the folder takes no new file, a file that may be written is
// rewritten where it stands (the same file, shorter or longer), an existing
// backup file rewritten with the old contents; a new name stays refused.
// The folder refuses the superuser through its immutable flag (EPERM) and
// others through its permissions (EACCES): the superuser runs it both ways.
TEST_F(SafeSave, AFolderThatTakesNoNewFileHasItsFilesWrittenInPlace)
{
    const auto check = [this](const QString &name) {
        ASSERT_TRUE(QDir(dir_.path()).mkpath(name));
        const QString file = Path(name + QStringLiteral("/f.txt"));
        Put(file, "old text");
        Put(Bak(file), "older");
        const ino_t inode = Status(file).st_ino;
        test::RefusingFolder locked(Path(name));
        if (!locked.Refuses())
            GTEST_SKIP() << "no folder here can be made to refuse new files";

        QString error;
        EXPECT_TRUE(ReplaceFileKeepingBackup(file, "new", WithBak, error)) << error.toStdString();
        EXPECT_EQ(Bytes(file), "new");
        EXPECT_EQ(Bytes(Bak(file)), "old text");
        EXPECT_TRUE(ReplaceFileKeepingBackup(file, "newer and longer", {}, error)) << error.toStdString();
        EXPECT_EQ(Bytes(file), "newer and longer");
        EXPECT_EQ(Status(file).st_ino, inode);
        EXPECT_EQ(QDir(Path(name)).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                  (QStringList{QStringLiteral("f.txt"), QStringLiteral("f.txt.bak")}));

        // A write that fails part of the way puts the old contents back.
        {
            const test::FileSizeLimit nearlyFull(4096);
            EXPECT_FALSE(ReplaceFileKeepingBackup(file, QByteArray(10000, 'x'), {}, error));
        }
        EXPECT_EQ(error, Reason(EFBIG));
        EXPECT_EQ(Bytes(file), "newer and longer");

        EXPECT_FALSE(ReplaceFileKeepingBackup(Path(name + QStringLiteral("/g.txt")), "new", {}, error));
        EXPECT_EQ(error, Reason(::geteuid() == 0 ? EPERM : EACCES));
    };
    check(QStringLiteral("locked"));
    if (::geteuid() == 0) {
        const test::OrdinaryUser user(dir_.path());
        ASSERT_TRUE(user.Acting());
        check(QStringLiteral("shut"));
    }
}

// A backup never shows the old text more widely than its file did: a copy
// has the file's permissions, and an existing backup file written over
// where the folder takes no new file is narrowed to them first.
TEST_F(SafeSave, ABackupNeverShowsMoreThanItsFile)
{
    const auto check = [this](const QString &name) {
        ASSERT_TRUE(QDir(dir_.path()).mkpath(name));
        const QString file = Path(name + QStringLiteral("/f.txt"));
        Put(file, "private");
        Put(Bak(file), "older");
        ASSERT_EQ(::chmod(QFile::encodeName(file).constData(), 0600), 0);
        ASSERT_EQ(::chmod(QFile::encodeName(Bak(file)).constData(), 0644), 0);
        QString error;
        {
            test::RefusingFolder locked(Path(name));
            if (!locked.Refuses())
                GTEST_SKIP() << "no folder here can be made to refuse new files";
            EXPECT_TRUE(ReplaceFileKeepingBackup(file, "new", WithBak, error)) << error.toStdString();
        }
        EXPECT_EQ(Bytes(Bak(file)), "private");
        EXPECT_EQ(test::ModeOf(Bak(file)), mode_t(0600));

        // A file with another name: its backup is a new copy.
        const QString other = Path(name + QStringLiteral("/other.txt"));
        ASSERT_EQ(::link(QFile::encodeName(file).constData(), QFile::encodeName(other).constData()), 0);
        ASSERT_EQ(::chmod(QFile::encodeName(file).constData(), 0640), 0);
        EXPECT_TRUE(ReplaceFileKeepingBackup(file, "newer", WithBak, error)) << error.toStdString();
        EXPECT_EQ(Bytes(Bak(file)), "new");
        EXPECT_EQ(test::ModeOf(Bak(file)), mode_t(0640));
        EXPECT_EQ(Bytes(other), "newer");
    };
    check(QStringLiteral("mine"));
    if (::geteuid() == 0) {
        const test::OrdinaryUser user(dir_.path());
        ASSERT_TRUE(user.Acting());
        check(QStringLiteral("theirs"));
    }
}

// A folder or a name that refuses (EACCES, EPERM, EBUSY) when the new file is
// made or renamed has the file written in place: its backup a copy of the
// old contents, the copy's source read again from its start.
TEST_F(SafeSave, WhereTheFolderOrNameRefusesTheFileIsWrittenInPlace)
{
    const QString file = Path(QStringLiteral("f.txt"));
    const QString source = Path(QStringLiteral("source"));
    Put(source, "the source's text");
    for (const SaveStep refused : {SaveStep::Create, SaveStep::Write, SaveStep::Replace}) {
        for (const int failure : {EACCES, EPERM, EBUSY}) {
            const std::string where = "step " + std::to_string(int(refused)) + ", " + std::strerror(failure);
            Put(file, "old");
            QFile::remove(Bak(file));
            const ino_t inode = Status(file).st_ino;
            bool failed = false;
            SetSaveFaultHook([&](SaveStep step, int) {
                if (step != refused || std::exchange(failed, true))
                    return true;
                errno = failure;
                return false;
            });
            QString error;
            EXPECT_TRUE(ReplaceFileKeepingBackup(file, "new", WithBak, error)) << where << error.toStdString();
            EXPECT_EQ(Bytes(file), "new") << where;
            EXPECT_EQ(Bytes(Bak(file)), "old") << where;
            EXPECT_NE(Status(Bak(file)).st_ino, inode) << where;

            failed = false;
            EXPECT_TRUE(ReplaceFileWithCopy(file, source, error)) << where << error.toStdString();
            EXPECT_EQ(Bytes(file), "the source's text") << where;
            EXPECT_EQ(Status(file).st_ino, inode) << where;
            EXPECT_TRUE(failed) << where;
            EXPECT_EQ(Helpers(), QStringList()) << where;
        }
    }
    SetSaveFaultHook({});
}

// A new file has the permissions the umask leaves, a copy those of a new
// file made with its source's; a file replaced keeps its own (a copy takes
// its source's). The new file has them before any text is in it, so that
// it never shows a private file's text more widely.
TEST_F(SafeSave, PermissionsFollowTheUmaskAndThoseOfTheFileReplaced)
{
    const QString file = Path(QStringLiteral("f.txt"));
    const QString source = Path(QStringLiteral("source"));
    Put(source, "copied");
    QList<mode_t> seen;
    SetSaveFaultHook([&](SaveStep step, int newFile) {
        if (step != SaveStep::Backup && newFile >= 0)
            seen << ModeOf(newFile);
        return true;
    });
    const auto save = [&](std::optional<mode_t> copied) {
        seen.clear();
        QString error;
        if (copied) {
            EXPECT_TRUE(::chmod(QFile::encodeName(source).constData(), *copied) == 0);
            return ReplaceFileWithCopy(file, source, error);
        }
        return ReplaceFileKeepingBackup(file, "text", {}, error);
    };
    const struct {
        mode_t umask;
        std::optional<mode_t> existing;  // the file replaced
        std::optional<mode_t> copied;    // the permissions of the copy's source
        mode_t result;
    } cases[] = {
        {022, {}, {}, 0644},       {077, {}, {}, 0600},       {002, {}, {}, 0664},
        {077, 0644, {}, 0644},     {022, 0600, {}, 0600},     {022, 0604, {}, 0604},
        {022, {}, 0750, 0750},     {077, {}, 0750, 0700},     {022, {}, 0600, 0600},
        {022, 0644, 0600, 0600},   {022, 0600, 0755, 0755},   {077, 0644, 0644, 0600},
    };
    for (const auto &c : cases) {
        const std::string what = "umask " + std::to_string(c.umask) + ", file " + std::to_string(c.existing.value_or(0))
                                 + ", copy of " + std::to_string(c.copied.value_or(0));
        QFile::remove(file);
        if (c.existing) {
            Put(file, "old");
            ASSERT_EQ(::chmod(QFile::encodeName(file).constData(), *c.existing), 0);
        }
        const test::Umask mask(c.umask);
        EXPECT_TRUE(save(c.copied)) << what;
        EXPECT_EQ(test::ModeOf(file), c.result) << what;
        EXPECT_EQ(seen, (QList<mode_t>{c.result, c.result})) << what;
    }
    SetSaveFaultHook({});
}

// A file the user may not write is refused as a plain write refuses it, and
// keeps its text: a read-only file, and another user's. The superuser, whom
// a plain write lets write a read-only file, replaces it and its permissions
// stay.
TEST_F(SafeSave, AFileTheUserMayNotWriteIsRefused)
{
    const QString others = Path(QStringLiteral("others.txt"));
    const bool superuser = ::geteuid() == 0;
    if (superuser) {
        Put(others, "theirs");
        const QString readOnly = Path(QStringLiteral("root.txt"));
        Put(readOnly, "old");
        ASSERT_EQ(::chmod(QFile::encodeName(readOnly).constData(), 0444), 0);
        QString error;
        EXPECT_TRUE(ReplaceFileKeepingBackup(readOnly, "new", {}, error)) << error.toStdString();
        EXPECT_EQ(Bytes(readOnly), "new");
        EXPECT_EQ(test::ModeOf(readOnly), mode_t(0444));
    }
    const test::OrdinaryUser user(dir_.path());
    ASSERT_TRUE(user.Acting());
    const QString readOnly = Path(QStringLiteral("r.txt"));
    Put(readOnly, "old");
    ASSERT_EQ(::chmod(QFile::encodeName(readOnly).constData(), 0444), 0);
    QString error;
    EXPECT_FALSE(ReplaceFileKeepingBackup(readOnly, "new", WithBak, error));
    EXPECT_EQ(error, Reason(EACCES));
    EXPECT_EQ(Bytes(readOnly), "old");
    EXPECT_FALSE(ReplaceFileWithCopy(readOnly, Path(QStringLiteral("r.txt")), error));
    EXPECT_EQ(error, Reason(EACCES));
    if (superuser) {
        EXPECT_FALSE(ReplaceFileKeepingBackup(others, "new", {}, error));
        EXPECT_EQ(error, Reason(EACCES));
        EXPECT_EQ(Bytes(others), "theirs");
    }
    EXPECT_EQ(Files().filter(QStringLiteral(".ovsave-")), QStringList());
    EXPECT_FALSE(QFileInfo::exists(Bak(readOnly)));
}

// A file keeps its owner and group: the new file is given them where the
// user may (the superuser always, others a group they belong to); where not,
// the file is written in place.
TEST_F(SafeSave, OwnerAndGroupStay)
{
    const QString file = Path(QStringLiteral("f.txt"));
    QString error;
    if (::geteuid() == 0) {
        Put(file, "old");
        ASSERT_EQ(::chown(QFile::encodeName(file).constData(), test::OrdinaryId, test::OrdinaryId), 0);
        ASSERT_EQ(::chmod(QFile::encodeName(file).constData(), 0640), 0);
        EXPECT_TRUE(ReplaceFileKeepingBackup(file, "by root", {}, error)) << error.toStdString();
        EXPECT_EQ(Bytes(file), "by root");
        EXPECT_EQ(Status(file).st_uid, test::OrdinaryId);
        EXPECT_EQ(Status(file).st_gid, test::OrdinaryId);
        EXPECT_EQ(test::ModeOf(file), mode_t(0640));

        // Root's group-shared file, written by an ordinary user of that group.
        const QString shared = Path(QStringLiteral("shared.txt"));
        Put(shared, "old");
        ASSERT_EQ(::chown(QFile::encodeName(shared).constData(), 0, test::SharedGroup), 0);
        ASSERT_EQ(::chmod(QFile::encodeName(shared).constData(), 0660), 0);
        const ino_t inode = Status(shared).st_ino;
        const test::OrdinaryUser user(dir_.path());
        ASSERT_TRUE(user.Acting());
        EXPECT_TRUE(ReplaceFileKeepingBackup(shared, "by a member", {}, error)) << error.toStdString();
        EXPECT_EQ(Bytes(shared), "by a member");
        EXPECT_EQ(Status(shared).st_uid, uid_t(0));
        EXPECT_EQ(Status(shared).st_gid, test::SharedGroup);
        EXPECT_EQ(Status(shared).st_ino, inode);
    }
    // The user's own file of another group of theirs.
    const test::OrdinaryUser user(dir_.path());
    ASSERT_TRUE(user.Acting());
    QList<gid_t> groups(::getgroups(0, nullptr));
    ASSERT_EQ(::getgroups(int(groups.size()), groups.data()), groups.size());
    groups.removeAll(::getegid());
    if (groups.isEmpty())
        GTEST_SKIP() << "the user belongs to one group only";
    const QString own = Path(QStringLiteral("own.txt"));
    Put(own, "old");
    ASSERT_EQ(::chown(QFile::encodeName(own).constData(), uid_t(-1), groups.first()), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(own).constData(), 0660), 0);
    EXPECT_TRUE(ReplaceFileKeepingBackup(own, "new", {}, error)) << error.toStdString();
    EXPECT_EQ(Bytes(own), "new");
    EXPECT_EQ(Status(own).st_gid, groups.first());
    EXPECT_EQ(test::ModeOf(own), mode_t(0660));
}

// A file with other names is written in place, so that every name has the
// new text; its backup is a copy, which keeps the old. A backup that a
// failed save left linked to the file is no other name.
TEST_F(SafeSave, AFileWithOtherNamesIsWrittenInPlace)
{
    const QString file = Path(QStringLiteral("f.txt"));
    const QString other = Path(QStringLiteral("other.txt"));
    Put(file, "old");
    ASSERT_EQ(::link(QFile::encodeName(file).constData(), QFile::encodeName(other).constData()), 0);
    const ino_t inode = Status(file).st_ino;
    QString error;
    EXPECT_TRUE(ReplaceFileKeepingBackup(file, "new", WithBak, error)) << error.toStdString();
    EXPECT_EQ(Bytes(other), "new");
    EXPECT_EQ(Status(file).st_ino, inode);
    EXPECT_EQ(Bytes(Bak(file)), "old");
    EXPECT_EQ(Status(file).st_nlink, nlink_t(2));

    const QString source = Path(QStringLiteral("source"));
    Put(source, "copied");
    EXPECT_TRUE(ReplaceFileWithCopy(other, source, error)) << error.toStdString();
    EXPECT_EQ(Bytes(file), "copied");
    EXPECT_EQ(Status(other).st_ino, inode);

    ASSERT_TRUE(QFile::remove(other));
    ASSERT_TRUE(QFile::remove(Bak(file)));
    ASSERT_EQ(::link(QFile::encodeName(file).constData(), QFile::encodeName(Bak(file)).constData()), 0);
    EXPECT_TRUE(ReplaceFileKeepingBackup(file, "newer", WithBak, error)) << error.toStdString();
    EXPECT_EQ(Bytes(file), "newer");
    EXPECT_EQ(Bytes(Bak(file)), "copied");
    EXPECT_EQ(Files(), (QStringList{QStringLiteral("f.txt"), QStringLiteral("f.txt.bak"), QStringLiteral("source")}));
}

// The extended attributes of a file replaced stay with it.
TEST_F(SafeSave, ExtendedAttributesStay)
{
    const QString file = Path(QStringLiteral("f.txt"));
    Put(file, "old");
    const QByteArray name = QFile::encodeName(file);
    if (::setxattr(name.constData(), "user.note", "kept", 4, 0) != 0)
        GTEST_SKIP() << "no extended attributes here";
    QString error;
    EXPECT_TRUE(ReplaceFileKeepingBackup(file, "new", {}, error)) << error.toStdString();
    EXPECT_EQ(Bytes(file), "new");
    char value[16] = {};
    EXPECT_EQ(::getxattr(name.constData(), "user.note", value, sizeof value), 4);
    EXPECT_STREQ(value, "kept");
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
