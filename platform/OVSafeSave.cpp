#include "platform/OVSafeSave.h"

#include <QRandomGenerator>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <utility>

namespace ov {

namespace {

SaveFaultHook &Hook()
{
    static SaveFaultHook hook;
    return hook;
}

// A step a test fails ends as a failed file operation would, with the
// errno the hook left, else EIO.
bool StepAllowed(SaveStep step, int newFile = -1)
{
    if (!Hook())
        return true;
    errno = 0;
    if (Hook()(step, newFile))
        return true;
    if (errno == 0)
        errno = EIO;
    return false;
}

// The system's own words for a failure (a full disk, a read-only one, a
// loop of links), in the user's language where the system has it.
bool Failed(QString &error, int failure)
{
    error = QString::fromLocal8Bit(std::strerror(failure));
    return false;
}

// Writes all of the bytes at the file's offset; false with errno set.
bool WriteAll(int fd, QByteArrayView bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t written = ::write(fd, bytes.data() + done, size_t(bytes.size() - done));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            if (written == 0)
                errno = ENOSPC;
            return false;
        }
        done += written;
    }
    return true;
}

// Closes the descriptor when it goes.
class Descriptor {
public:
    explicit Descriptor(int fd = -1) : fd_(fd) {}
    ~Descriptor()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;
    int Get() const { return fd_; }
    // Holds `fd` in place of the descriptor held so far.
    void Reset(int fd)
    {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = fd;
    }
    // Closes now: a close can be the first to report a write that failed.
    bool Close() { return ::close(std::exchange(fd_, -1)) == 0; }

private:
    int fd_;
};

bool SameFile(const struct stat &one, const struct stat &other)
{
    return one.st_dev == other.st_dev && one.st_ino == other.st_ino;
}

// What a save writes: its size, and a writer that puts all of it into an
// open file at the file's offset (false with errno set). A writer may be
// asked twice (a new file, then the file itself in place). A copy carries
// the permissions of its source, which its file takes as a new file of
// those permissions would; other contents leave the permissions of the file
// they replace, or those of a new file.
struct Contents {
    qint64 Size;
    std::function<bool(int fd)> WriteTo;
    std::optional<mode_t> CopiedPermissions;
};

Contents BytesContents(const QByteArray &bytes)
{
    return {bytes.size(), [&bytes](int fd) { return WriteAll(fd, bytes); }, std::nullopt};
}

// The process's file-creation mask, read where the system shows it, so that
// no other thread's new file meets a changed mask. Elsewhere the mask is
// read by setting the narrowest one for a moment, which can only make a file
// another thread creates meanwhile narrower, never wider.
mode_t CreationMask()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly)) {
        for (QByteArray line = status.readLine(); !line.isEmpty(); line = status.readLine()) {
            bool ok = false;
            const uint mask = line.startsWith("Umask:") ? line.mid(6).trimmed().toUInt(&ok, 8) : 0;
            if (ok)
                return mode_t(mask & 0777);
        }
    }
    const mode_t mask = ::umask(0777);
    ::umask(mask);
    return mask;
}

// ---------------------------------------------------------------- helper names

// A fresh name for a helper file of a save: ".ovsave-" and random letters.
QByteArray FreshName()
{
    static constexpr char letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    QByteArray name(".ovsave-");
    for (int i = 0; i < 10; ++i)
        name += letters[QRandomGenerator::global()->bounded(int(sizeof letters - 1))];
    return name;
}

// Makes a helper file under a fresh name with `make`, which fails with
// EEXIST where the name is taken, and then another name is tried. `name` is
// the name made, empty when none was; false with errno set.
bool MakeUnderFreshName(QByteArray &name, const std::function<bool(const QByteArray &name)> &make)
{
    name.clear();
    for (int tries = 0; tries < 100; ++tries) {
        const QByteArray tried = FreshName();
        if (make(tried)) {
            name = tried;
            return true;
        }
        if (errno != EEXIST)
            return false;
    }
    return false;
}

// The name under which the system shows this process the file open as `fd`.
QByteArray OpenFileName(int fd)
{
    return "/proc/self/fd/" + QByteArray::number(fd);
}

// Gives the open file `fd` the name `name` in `folder`; false with errno
// set (EEXIST where the name is taken).
bool LinkOpenFile(int fd, int folder, const QByteArray &name)
{
    if (::linkat(AT_FDCWD, OpenFileName(fd).constData(), folder, name.constData(), AT_SYMLINK_FOLLOW) == 0)
        return true;
    return errno == ENOENT && ::linkat(fd, "", folder, name.constData(), AT_EMPTY_PATH) == 0;
}

// ---------------------------------------------------------------- the file saved

// The file saved, opened for writing as a plain write opens its name: the
// kernel follows the links, applies its link protections and refuses a file
// this user may not write, and a missing file is created, empty, with
// `permissions` less the umask. A pipe without a reader fails at once.
class SavedFile {
public:
    // False with errno set.
    bool Open(const QByteArray &name, mode_t permissions)
    {
        constexpr int flags = O_WRONLY | O_CREAT | O_NOCTTY | O_NONBLOCK | O_CLOEXEC;
        file_.Reset(::open(name.constData(), flags | O_EXCL, permissions));
        created_ = file_.Get() >= 0;
        if (!created_ && errno == EEXIST)
            file_.Reset(::open(name.constData(), flags, permissions));
        if (file_.Get() < 0 || ::fstat(file_.Get(), &status_) != 0)
            return false;
        // An empty file at the end of a link may be one the open just made.
        struct stat entry {};
        fresh_ = created_ || (status_.st_size == 0 && ::lstat(name.constData(), &entry) == 0 && S_ISLNK(entry.st_mode));
        return ::fcntl(file_.Get(), F_SETFL, 0) == 0;  // writes wait for a slow reader as always
    }
    int Get() const { return file_.Get(); }
    const struct stat &Status() const { return status_; }
    // The save made the file, and so removes it again when it fails.
    bool Created() const { return created_; }
    // The file has no old contents to keep: the save made it, or may have
    // (an empty file at the end of a link).
    bool Fresh() const { return fresh_; }
    bool Close() { return file_.Close(); }

private:
    Descriptor file_;
    struct stat status_ {};
    bool created_ = false;
    bool fresh_ = false;
};

// The path of an open file as the kernel has it, else realpath of the name
// it was opened by; as bytes, empty where neither is known.
QByteArray KernelPath(int fd, const QByteArray &name)
{
    char buffer[PATH_MAX];
    const ssize_t size = ::readlink(OpenFileName(fd).constData(), buffer, sizeof buffer);
    if (size > 0 && size < ssize_t(sizeof buffer) && buffer[0] == '/')
        return QByteArray(buffer, size);
    char *resolved = ::realpath(name.constData(), nullptr);
    const QByteArray path = resolved != nullptr ? QByteArray(resolved) : QByteArray();
    std::free(resolved);
    return path;
}

// The folder the kernel found the saved file in, open, and the file's name
// there. Found only where that name still holds the file, which is then
// replaced there, under that name.
class Place {
public:
    bool Find(const SavedFile &file, const QByteArray &name)
    {
        const QByteArray path = KernelPath(file.Get(), name);
        const qsizetype slash = path.lastIndexOf('/');
        if (slash < 0)
            return false;
        const QByteArray folder = slash == 0 ? QByteArray("/") : path.left(slash);
        folder_.Reset(::open(folder.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC));
        name_ = path.mid(slash + 1);
        found_ = folder_.Get() >= 0 && Holds(name_, file.Status());
        return found_;
    }
    bool Found() const { return found_; }
    int Folder() const { return folder_.Get(); }
    const QByteArray &Name() const { return name_; }
    // Whether `name` in the folder is the file `status` describes itself
    // (not a link to it).
    bool Holds(const QByteArray &name, const struct stat &status) const
    {
        struct stat entry {};
        return !name.isEmpty() && ::fstatat(folder_.Get(), name.constData(), &entry, AT_SYMLINK_NOFOLLOW) == 0
               && SameFile(entry, status);
    }
    // Removes the file `status` describes from the folder, where the name
    // still holds it.
    void Remove(const SavedFile &file) const
    {
        if (found_ && Holds(name_, file.Status()))
            ::unlinkat(folder_.Get(), name_.constData(), 0);
    }
    // A rename is on disk only once its folder is.
    void Sync() const
    {
        const Descriptor folder(::openat(folder_.Get(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (folder.Get() >= 0)
            ::fsync(folder.Get());
    }

private:
    Descriptor folder_;
    QByteArray name_;
    bool found_ = false;
};

// The permissions a save gives its file: a copy those of a new file made
// with its source's (the file it made has them already); other contents
// those of the file they replace.
mode_t FinalPermissions(const Contents &contents, const SavedFile &file)
{
    if (contents.CopiedPermissions && !file.Created())
        return *contents.CopiedPermissions & ~CreationMask();
    return file.Status().st_mode & 07777;
}

// A file has other names (hard links) where a new file in its place would
// leave them the old contents. Its backup, which a save whose last step
// failed leaves linked to it, is no other name.
bool HasOtherNames(const SavedFile &file, const Place &place, const QByteArray &backup)
{
    return file.Status().st_nlink > (place.Holds(backup, file.Status()) ? 2u : 1u);
}

// ---------------------------------------------------------------- extended attributes

// A list the system fills, asked for its size first and asked again when it
// grew meanwhile; false with errno set.
bool ReadList(const std::function<ssize_t(char *buffer, size_t size)> &read, QByteArray &list)
{
    for (;;) {
        const ssize_t size = read(nullptr, 0);
        if (size < 0)
            return false;
        list.resize(size);
        const ssize_t got = read(list.data(), size_t(size));
        if (got >= 0) {
            list.resize(got);
            return true;
        }
        if (errno != ERANGE)
            return false;
    }
}

// The names of the extended attributes of an open file; none where its file
// system has none.
bool AttributeNames(int fd, QList<QByteArray> &names)
{
    QByteArray list;
    if (!ReadList([fd](char *buffer, size_t size) { return ::flistxattr(fd, buffer, size); }, list))
        return errno == ENOTSUP;
    names = list.split('\0');
    names.removeAll(QByteArray());
    return true;
}

// Gives the file `to` the extended attributes of `from` (access control
// lists among them) and no others; false where one cannot be set or removed.
bool CopyAttributes(int from, int to)
{
    QList<QByteArray> wanted;
    QList<QByteArray> present;
    if (!AttributeNames(from, wanted) || !AttributeNames(to, present))
        return false;
    for (const QByteArray &name : present) {
        if (!wanted.contains(name) && ::fremovexattr(to, name.constData()) != 0)
            return false;
    }
    for (const QByteArray &name : wanted) {
        QByteArray value;
        const auto read = [&](char *buffer, size_t size) { return ::fgetxattr(from, name.constData(), buffer, size); };
        if (!ReadList(read, value) || ::fsetxattr(to, name.constData(), value.constData(), size_t(value.size()), 0) != 0)
            return false;
    }
    return true;
}

// ---------------------------------------------------------------- new files

// The failures of making an unnamed file where the file system cannot.
bool NoUnnamedFiles(int failure)
{
    return failure == EOPNOTSUPP || failure == EISDIR || failure == EINVAL;
}

// A new file in a folder, made with no name (or under a fresh name where
// the file system cannot), holding new contents; it takes a name only when
// it is complete, and goes again unless it does. Its permissions are never
// wider than those it is to have, not even for a moment.
class NewFile {
public:
    ~NewFile()
    {
        if (!name_.isEmpty())
            ::unlinkat(folder_, name_.constData(), 0);
    }
    NewFile() = default;
    NewFile(const NewFile &) = delete;
    NewFile &operator=(const NewFile &) = delete;

    // Makes the file in `folder` with no permissions yet, unnamed unless
    // `named`; false with errno set.
    bool Create(int folder, bool named)
    {
        folder_ = folder;
        if (!named) {
            file_.Reset(::openat(folder, ".", O_TMPFILE | O_RDWR | O_CLOEXEC, 0));
            if (file_.Get() >= 0 || !NoUnnamedFiles(errno))
                return file_.Get() >= 0;
        }
        return MakeUnderFreshName(name_, [&](const QByteArray &name) {
            file_.Reset(::openat(folder, name.constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0));
            return file_.Get() >= 0;
        });
    }
    // Gives the file, still empty, the owner, group and extended attributes
    // of `file`, then `permissions`; false where it cannot have them, and so
    // would not be the same file as the old.
    bool TakeOver(const SavedFile &file, mode_t permissions)
    {
        const struct stat &old = file.Status();
        struct stat own {};
        if (::fstat(file_.Get(), &own) != 0)
            return false;
        if ((own.st_uid != old.st_uid || own.st_gid != old.st_gid)
            && ::fchown(file_.Get(), old.st_uid, old.st_gid) != 0)
            return false;
        return CopyAttributes(file.Get(), file_.Get()) && ::fchmod(file_.Get(), permissions) == 0;
    }
    bool SetPermissions(mode_t permissions) { return ::fchmod(file_.Get(), permissions) == 0; }
    // Writes the contents and puts them on the disk; false with errno set.
    bool Fill(const Contents &contents) { return contents.WriteTo(file_.Get()) && ::fsync(file_.Get()) == 0; }
    // Puts the file under `name` in its folder, in place of what is there
    // now; false with errno set.
    bool Replace(const QByteArray &name)
    {
        if (name_.isEmpty() && !MakeUnderFreshName(name_, [&](const QByteArray &fresh) {
                return LinkOpenFile(file_.Get(), folder_, fresh);
            }))
            return false;
        if (::renameat(folder_, name_.constData(), folder_, name.constData()) != 0)
            return false;
        name_.clear();
        return true;
    }
    int Get() const { return file_.Get(); }

private:
    Descriptor file_;
    int folder_ = -1;
    QByteArray name_;
};

// ---------------------------------------------------------------- writing in place

// The failures of a new file or a rename in a folder that takes no new
// entry, or of a name that cannot be replaced (a mount point): the file
// itself may still be written where it is.
bool FolderRefuses(int failure)
{
    return failure == EACCES || failure == EPERM || failure == EBUSY;
}

// The contents of the saved file, read through a descriptor of its own;
// false where the user may not read it.
bool ReadOld(const SavedFile &file, const Place &place, QByteArray &bytes)
{
    int fd = ::open(OpenFileName(file.Get()).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0 && place.Found())
        fd = ::openat(place.Folder(), place.Name().constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    struct stat status {};
    if (fd < 0 || ::fstat(fd, &status) != 0 || !SameFile(status, file.Status())) {
        if (fd >= 0)
            ::close(fd);
        return false;
    }
    QFile reader;
    if (!reader.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return false;
    }
    bytes = reader.readAll();
    return reader.error() == QFileDevice::NoError;
}

// Room for `size` bytes, asked for before anything is overwritten, so that a
// full disk is found while the old contents are still whole. A file system
// that cannot reserve is written all the same.
bool Reserve(int fd, qint64 size)
{
    if (size == 0 || ::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, off_t(size)) == 0)
        return true;
    return errno == EOPNOTSUPP || errno == ENOSYS || errno == EINVAL;
}

// The contents of an open regular file replaced.
bool Rewrite(int fd, const Contents &contents)
{
    return ::lseek(fd, 0, SEEK_SET) == 0 && contents.WriteTo(fd) && ::ftruncate(fd, off_t(contents.Size)) == 0
           && ::fsync(fd) == 0;
}

// Sets the permissions where the user may: another user's file keeps its own.
void ChangePermissions(int fd, mode_t from, mode_t to)
{
    if (to != from)
        ::fchmod(fd, to);
}

// An open regular file made to hold the contents, its permissions changed
// from `before` to `after` around the write so that neither the old nor the
// new contents are ever readable more widely than their own permissions
// allow. When the write fails part of the way, the old contents (when known)
// and permissions are put back. False with errno set.
bool RewriteRegular(int fd, const Contents &contents, const QByteArray *old, mode_t before, mode_t after)
{
    if (!Reserve(fd, contents.Size))
        return false;
    ChangePermissions(fd, before, before & after);
    if (Rewrite(fd, contents)) {
        ChangePermissions(fd, before & after, after);
        return true;
    }
    const int failure = errno;
    if (old != nullptr)
        Rewrite(fd, BytesContents(*old));
    ChangePermissions(fd, before & after, before);
    errno = failure;
    return false;
}

// A device or a pipe takes the bytes as they come.
bool WriteThrough(SavedFile &file, const Contents &contents, QString &error)
{
    if (StepAllowed(SaveStep::Write) && contents.WriteTo(file.Get()) && file.Close())
        return true;
    return Failed(error, errno);
}

// The saved file made to hold the contents where it stands, keeping its
// links, owner and group (see RewriteRegular).
bool WriteInPlace(SavedFile &file, const Contents &contents, const QByteArray *old, QString &error)
{
    if (!StepAllowed(SaveStep::Write))
        return Failed(error, errno);
    const mode_t before = file.Status().st_mode & 07777;
    if (RewriteRegular(file.Get(), contents, old, before, FinalPermissions(contents, file)) && file.Close())
        return true;
    return Failed(error, errno);
}

// ---------------------------------------------------------------- backups

// Keeps the saved file under the backup name as a hard link, made under a
// fresh name and renamed over any older backup, which thus stays until the
// new one is complete. A failure leaves things as they were.
void KeepLinkedBackup(const SavedFile &file, const Place &place, const QByteArray &backup)
{
    if (!StepAllowed(SaveStep::Backup) || place.Holds(backup, file.Status()))
        return;  // a save whose last step failed left it linked
    QByteArray staged;
    if (!MakeUnderFreshName(staged, [&](const QByteArray &name) { return LinkOpenFile(file.Get(), place.Folder(), name); }))
        return;
    if (::renameat(place.Folder(), staged.constData(), place.Folder(), backup.constData()) != 0)
        ::unlinkat(place.Folder(), staged.constData(), 0);
}

// Writes the old contents over an existing backup file (never through a
// link), its permissions first narrowed to those of the saved file so that
// it never shows them more widely; false where it cannot be.
bool OverwriteBackup(const Place &place, const QByteArray &backup, const QByteArray &old, mode_t permissions)
{
    const Descriptor file(
        ::openat(place.Folder(), backup.constData(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    struct stat status {};
    if (file.Get() < 0 || ::fstat(file.Get(), &status) != 0 || !S_ISREG(status.st_mode))
        return false;
    const mode_t before = status.st_mode & 07777;
    const mode_t narrowed = before & (permissions | ~mode_t(0777));
    if (narrowed != before && ::fchmod(file.Get(), narrowed) != 0)
        return false;
    return RewriteRegular(file.Get(), BytesContents(old), nullptr, narrowed, narrowed);
}

// Keeps the old contents under the backup name as a copy with the saved
// file's permissions (a link would take the new contents too), made whole
// before it replaces an older backup; where the folder takes no new file,
// written over an existing backup file.
void KeepCopiedBackup(const SavedFile &file, const Place &place, const QByteArray &backup, const QByteArray &old)
{
    if (!StepAllowed(SaveStep::Backup))
        return;
    const mode_t permissions = file.Status().st_mode & 0777;
    NewFile copy;
    if (copy.Create(place.Folder(), false) && copy.SetPermissions(permissions) && copy.Fill(BytesContents(old))
        && copy.Replace(backup))
        return;
    OverwriteBackup(place, backup, old, permissions);
}

// ---------------------------------------------------------------- the save

// The saved file written in place, its backup made first as a copy. An
// empty backup name makes no backup.
bool ReplaceInPlace(SavedFile &file, const Place &place, const Contents &contents, const QByteArray &backup,
                    QString &error)
{
    QByteArray old;
    const bool known = ReadOld(file, place, old);
    if (known && !backup.isEmpty())
        KeepCopiedBackup(file, place, backup, old);  // a backup that fails does not stop the save
    return WriteInPlace(file, contents, known ? &old : nullptr, error);
}

// The new file made in the saved file's folder: unnamed, or under a fresh
// name where the file system (or a test's failure of the step) says so.
bool CreateNewFile(NewFile &made, int folder)
{
    const bool unnamed = StepAllowed(SaveStep::Create);
    if (!unnamed && !NoUnnamedFiles(errno))
        return false;
    return made.Create(folder, !unnamed);
}

// The contents put at the saved file's name through a new file that takes
// its place, the old file kept under `backup` (empty for none). Where the
// new file cannot be the old one in everything but its contents, the folder
// takes no new file, or the name no longer holds the saved file, the file is
// written in place.
bool ReplaceThroughNewFile(SavedFile &file, const Place &place, const Contents &contents, const QByteArray &backup,
                           QString &error)
{
    const auto failed = [&] {
        const int failure = errno;
        if (FolderRefuses(failure))
            return ReplaceInPlace(file, place, contents, backup, error);
        return Failed(error, failure);
    };
    NewFile made;
    if (!CreateNewFile(made, place.Folder()))
        return failed();
    if (!made.TakeOver(file, FinalPermissions(contents, file)))
        return ReplaceInPlace(file, place, contents, backup, error);
    if (!StepAllowed(SaveStep::Write, made.Get()) || !made.Fill(contents))
        return failed();
    if (!backup.isEmpty())
        KeepLinkedBackup(file, place, backup);  // a backup that fails does not stop the save
    if (!StepAllowed(SaveStep::Replace, made.Get()))
        return failed();
    if (!place.Holds(place.Name(), file.Status()))
        return ReplaceInPlace(file, place, contents, backup, error);
    if (!made.Replace(place.Name()))
        return failed();  // in place, the backup made again as a copy
    place.Sync();
    return true;
}

// A regular file saved: through a new file where it has no other names,
// else in place.
bool SaveRegular(SavedFile &file, const Place &place, const Contents &contents, const BackupNaming &backupOf,
                 QString &error)
{
    if (!place.Found())
        return ReplaceInPlace(file, place, contents, QByteArray(), error);
    QByteArray backup = file.Fresh() || !backupOf ? QByteArray() : backupOf(place.Name());
    if (backup == place.Name())
        backup.clear();
    if (HasOtherNames(file, place, backup))
        return ReplaceInPlace(file, place, contents, backup, error);
    return ReplaceThroughNewFile(file, place, contents, backup, error);
}

// The save itself: see ReplaceFileKeepingBackup. A file the save made and
// could not fill goes again.
bool ReplaceFile(const QString &path, const Contents &contents, const BackupNaming &backupOf, QString &error)
{
    const QByteArray name = QFile::encodeName(path);
    SavedFile file;
    if (!file.Open(name, contents.CopiedPermissions.value_or(0666)))
        return Failed(error, errno);
    if (!S_ISREG(file.Status().st_mode))
        return WriteThrough(file, contents, error);
    Place place;
    place.Find(file, name);
    if (SaveRegular(file, place, contents, backupOf, error))
        return true;
    if (file.Created())
        place.Remove(file);
    return false;
}

} // namespace

void SetSaveFaultHook(SaveFaultHook hook)
{
    Hook() = std::move(hook);
}

bool ReplaceFileKeepingBackup(const QString &path, const QByteArray &bytes, const BackupNaming &backupOf,
                              QString &error)
{
    return ReplaceFile(path, BytesContents(bytes), backupOf, error);
}

bool ReplaceFileWithCopy(const QString &path, const QString &source, QString &error)
{
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        return Failed(error, errno != 0 ? errno : EIO);
    const auto copy = [&in](int fd) {
        constexpr qint64 blockBytes = 64 * 1024;
        if (!in.seek(0)) {
            errno = EIO;
            return false;
        }
        while (!in.atEnd()) {
            const QByteArray block = in.read(blockBytes);
            if (block.isEmpty()) {
                errno = EIO;
                return false;
            }
            if (!WriteAll(fd, block))
                return false;
        }
        return true;
    };
    struct stat status {};
    if (::fstat(in.handle(), &status) != 0)
        return Failed(error, errno);
    return ReplaceFile(path, Contents{in.size(), copy, status.st_mode & 0777}, {}, error);
}

bool OpenForWriting(QFile &file, bool append)
{
    const int at = append ? O_APPEND : 0;
    const int fd = ::open(QFile::encodeName(file.fileName()).constData(),
                          O_WRONLY | O_CREAT | O_NOCTTY | O_CLOEXEC | O_NONBLOCK | (append ? O_APPEND : O_TRUNC), 0666);
    if (fd < 0)
        return false;
    // Writes wait for a slow reader as they always do.
    if (::fcntl(fd, F_SETFL, at) != 0 || !file.open(fd, QIODevice::WriteOnly | QIODevice::Unbuffered,
                                                     QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return false;
    }
    return true;
}

} // namespace ov
