// Saves that replace a file whole: through symbolic links, and the
// temporary files of saves killed between their steps, which a later save
// in the folder removes while it leaves those of saves still running; in a
// folder that takes no new file, into devices, and on a full disk; what the
// file was besides its text (permissions, owner and group, other names,
// extended attributes) kept, and a file the user may not write refused.
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
    // The permissions of the save's temporary files in the folder now.
    QList<mode_t> TemporaryModes() const
    {
        QList<mode_t> modes;
        for (const QString &name : QDir(dir_.path()).entryList({QStringLiteral(".ovsave-*")}, QDir::Files | QDir::Hidden))
            modes << test::ModeOf(Path(name));
        return modes;
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
        Put(WithBak(file), "older");
        const ino_t inode = Status(file).st_ino;
        test::RefusingFolder locked(Path(name));
        if (!locked.Refuses())
            GTEST_SKIP() << "no folder here can be made to refuse new files";

        QString error;
        EXPECT_TRUE(ReplaceFileKeepingBackup(file, "new", WithBak, error)) << error.toStdString();
        EXPECT_EQ(Bytes(file), "new");
        EXPECT_EQ(Bytes(WithBak(file)), "old text");
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

// A folder or a name that refuses (EACCES, EPERM, EBUSY) when the new file is
// made or renamed has the file written in place: its backup a copy of the
// old contents, the copy's source read again from its start.
TEST_F(SafeSave, WhereTheFolderOrNameRefusesTheFileIsWrittenInPlace)
{
    const QString file = Path(QStringLiteral("f.txt"));
    const QString source = Path(QStringLiteral("source"));
    Put(source, "the source's text");
    for (const SaveStep refused : {SaveStep::Write, SaveStep::Replace}) {
        for (const int failure : {EACCES, EPERM, EBUSY}) {
            const std::string where = "step " + std::to_string(int(refused)) + ", " + std::strerror(failure);
            Put(file, "old");
            QFile::remove(WithBak(file));
            const ino_t inode = Status(file).st_ino;
            bool failed = false;
            SetSaveFaultHook([&](SaveStep step) {
                if (step != refused || std::exchange(failed, true))
                    return true;
                errno = failure;
                return false;
            });
            QString error;
            EXPECT_TRUE(ReplaceFileKeepingBackup(file, "new", WithBak, error)) << where << error.toStdString();
            EXPECT_EQ(Bytes(file), "new") << where;
            EXPECT_EQ(Bytes(WithBak(file)), "old") << where;
            EXPECT_NE(Status(WithBak(file)).st_ino, inode) << where;

            failed = false;
            EXPECT_TRUE(ReplaceFileWithCopy(file, source, error)) << where << error.toStdString();
            EXPECT_EQ(Bytes(file), "the source's text") << where;
            EXPECT_EQ(Status(file).st_ino, inode) << where;
            EXPECT_TRUE(failed) << where;
            EXPECT_EQ(TemporaryModes(), QList<mode_t>()) << where;
        }
    }
    SetSaveFaultHook({});
}

// A new file has the permissions the umask leaves, a copy those of a new
// file made with its source's; a file replaced keeps its own (a copy takes
// its source's). The temporary file has them from its making on, so that a
// save killed on the way leaves no copy of a private file that others can
// read.
TEST_F(SafeSave, PermissionsFollowTheUmaskAndThoseOfTheFileReplaced)
{
    const QString file = Path(QStringLiteral("f.txt"));
    const QString source = Path(QStringLiteral("source"));
    Put(source, "copied");
    QList<mode_t> seen;
    SetSaveFaultHook([&](SaveStep step) {
        if (step != SaveStep::Backup)
            seen << TemporaryModes();
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
    EXPECT_FALSE(QFileInfo::exists(WithBak(readOnly)));
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
    EXPECT_EQ(Bytes(WithBak(file)), "old");
    EXPECT_EQ(Status(file).st_nlink, nlink_t(2));

    const QString source = Path(QStringLiteral("source"));
    Put(source, "copied");
    EXPECT_TRUE(ReplaceFileWithCopy(other, source, error)) << error.toStdString();
    EXPECT_EQ(Bytes(file), "copied");
    EXPECT_EQ(Status(other).st_ino, inode);

    ASSERT_TRUE(QFile::remove(other));
    ASSERT_TRUE(QFile::remove(WithBak(file)));
    ASSERT_EQ(::link(QFile::encodeName(file).constData(), QFile::encodeName(WithBak(file)).constData()), 0);
    EXPECT_TRUE(ReplaceFileKeepingBackup(file, "newer", WithBak, error)) << error.toStdString();
    EXPECT_EQ(Bytes(file), "newer");
    EXPECT_EQ(Bytes(WithBak(file)), "copied");
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
