#include "platform/OVSafeSave.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSysInfo>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <limits>
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
bool StepAllowed(SaveStep step)
{
    if (!Hook())
        return true;
    errno = 0;
    if (Hook()(step))
        return true;
    if (errno == 0)
        errno = EIO;
    return false;
}

QByteArray NativeName(const QString &path)
{
    return QFile::encodeName(path);
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
    explicit Descriptor(int fd) : fd_(fd) {}
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

// What a save writes: its size, and a writer that puts all of it into an
// open file at the file's offset (false with errno set). A writer may be
// asked twice (a temporary file, then the file itself in place). A copy
// carries the permissions of its source, which its file takes as a new file
// of those permissions would; other contents leave the permissions of the
// file they replace, or those of a new file.
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

// The permissions a copy of a source with `permissions` has: as a new file
// made with them.
mode_t AsNewFile(mode_t permissions)
{
    return permissions & ~CreationMask();
}

bool SyncFile(const QString &path)
{
    const int fd = ::open(NativeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool synced = ::fsync(fd) == 0;
    ::close(fd);
    return synced;
}

// A rename is on disk only once its folder is.
void SyncFolder(const QString &folder)
{
    const int fd = ::open(NativeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

bool RenameOver(const QString &from, const QString &to)
{
    return std::rename(NativeName(from).constData(), NativeName(to).constData()) == 0;
}

// Whether the two names name one file.
bool SameFile(const QString &one, const QString &other)
{
    struct stat first {};
    struct stat second {};
    return ::stat(NativeName(one).constData(), &first) == 0 && ::lstat(NativeName(other).constData(), &second) == 0
           && first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

// How a backup holds the old file: a hard link to it serves where a new
// file takes its name; a file written in place needs a copy.
enum class BackupBy { Link, Copy };

// The file at `path` under the name `backup`, made without touching `path`:
// a hard link (or a copy where links are not possible) under a staging name,
// then renamed over the older backup, which thus stays until the new one is
// complete.
bool KeepBackup(const QString &path, const QString &backup, BackupBy by)
{
    if (!StepAllowed(SaveStep::Backup))
        return false;
    if (by == BackupBy::Link && SameFile(path, backup))
        return true;  // a save whose last step failed left it so
    const QString staged = backup + QStringLiteral(".ovtmp");
    QFile::remove(staged);  // left over from an interrupted save
    const bool made = (by == BackupBy::Link && ::link(NativeName(path).constData(), NativeName(staged).constData()) == 0)
                      || (QFile::copy(path, staged) && SyncFile(staged));
    if (made && RenameOver(staged, backup))
        return true;
    QFile::remove(staged);
    return false;
}

// ---------------------------------------------------------------- links

// Links followed at the most from the name saved to; a longer chain is
// taken for a loop.
constexpr int MaxLinkDepth = 40;

// The file a save to `path` replaces: the end of the chain of symbolic
// links from it, which need not exist yet; `path` itself when it is no link.
// False for a chain that does not end.
bool SaveTarget(const QString &path, QString &target)
{
    QFileInfo info(path);
    for (int depth = 0; info.isSymLink(); ++depth) {
        if (depth == MaxLinkDepth)
            return false;
        info.setFile(info.symLinkTarget());
    }
    target = info.absoluteFilePath();
    return true;
}

// ---------------------------------------------------------------- temporary files

// A save's temporary file is named ".ovsave-", the writer's process id, a
// tag of its machine and six random characters, so that a later save can
// tell the file of a writer that was killed from one still being written.
constexpr QLatin1StringView TempPrefix(".ovsave-");

// No save takes this long: a temporary file untouched for a day is left
// over, whoever wrote it (another machine, a process id used again).
constexpr qint64 StaleAgeSeconds = 24 * 60 * 60;

// Eight hexadecimal digits that stand for this machine's name.
const QString &MachineTag()
{
    static const QString tag = QString::fromLatin1(
        QCryptographicHash::hash(QSysInfo::machineHostName().toUtf8(), QCryptographicHash::Sha1).toHex().left(8));
    return tag;
}

// Whether the name is a temporary file of this machine whose writer no
// longer runs. This process's own files are never taken for left over.
bool WriterIsGone(const QString &name)
{
    const QStringList parts = name.mid(TempPrefix.size()).split(u'-');
    if (parts.size() != 3 || parts[1] != MachineTag())
        return false;
    bool ok = false;
    const qint64 pid = parts[0].toLongLong(&ok);
    if (!ok || pid <= 0 || pid > std::numeric_limits<pid_t>::max() || pid == ::getpid())
        return false;
    return ::kill(pid_t(pid), 0) != 0 && errno == ESRCH;
}

// Removes the temporary files in `folder` that saves killed between their
// steps left behind; a save still in progress keeps its file.
void RemoveStaleTemporaries(const QString &folder)
{
    const QDateTime dayAgo = QDateTime::currentDateTimeUtc().addSecs(-StaleAgeSeconds);
    const QFileInfoList entries = QDir(folder).entryInfoList(
        {TempPrefix + u'*'}, QDir::Files | QDir::Hidden | QDir::System | QDir::CaseSensitive);
    for (const QFileInfo &entry : entries) {
        if (!entry.isSymLink() && (WriterIsGone(entry.fileName()) || entry.lastModified() < dayAgo))
            QFile::remove(entry.filePath());
    }
}

// ---------------------------------------------------------------- the file replaced

// The file a save replaces, opened for writing as a plain write opens it, so
// that a file the user may not write (read-only, another user's, immutable)
// is refused for the reason a write would be, and one the superuser may
// write is written.
class Original {
public:
    explicit Original(const QString &path)
        : file_(::open(NativeName(path).constData(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC))
    {
        opened_ = file_.Get() >= 0 && ::fstat(file_.Get(), &status_) == 0;
    }
    // False with errno set when the file may not be written.
    bool Opened() const { return opened_; }
    int Get() const { return file_.Get(); }
    const struct stat &Status() const { return status_; }
    // A file with other names (hard links) is one file under each: a new
    // file in its place would leave them the old contents. Its backup, which
    // a save whose last step failed leaves linked to it, is no other name.
    bool HasOtherNames(const QString &path, const QString &backup) const
    {
        const bool linkedBackup = !backup.isEmpty() && SameFile(path, backup);
        return status_.st_nlink > (linkedBackup ? 2 : 1);
    }

private:
    Descriptor file_;
    struct stat status_ {};
    bool opened_ = false;
};

// The permissions a save gives its file: a copy those of a new file made
// with its source's; other contents those of the file they replace.
mode_t FinalPermissions(const Contents &contents, const struct stat &replaced)
{
    return contents.CopiedPermissions ? AsNewFile(*contents.CopiedPermissions) : replaced.st_mode & 07777;
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

// ---------------------------------------------------------------- the new file

// A new file beside the one saved, holding the new contents; removed again
// unless it takes that file's place. It never has wider permissions than
// the saved file is to have, not even for a moment.
class TemporaryFile {
public:
    TemporaryFile() = default;
    ~TemporaryFile()
    {
        if (!name_.isEmpty())
            ::unlink(name_.constData());
    }
    TemporaryFile(const TemporaryFile &) = delete;
    TemporaryFile &operator=(const TemporaryFile &) = delete;

    // Creates the file in `folder` with `permissions`, which the umask (or
    // the folder's default access list) narrows as it does for any new file;
    // false with errno set.
    bool Create(const QString &folder, mode_t permissions)
    {
        static constexpr char letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
        const QByteArray stem = NativeName(QDir(folder).filePath(SaveTemporaryStem(::getpid())));
        for (int tries = 0; tries < 100; ++tries) {
            QByteArray name = stem;
            for (int i = 0; i < 6; ++i)
                name += letters[QRandomGenerator::global()->bounded(int(sizeof letters - 1))];
            file_.Reset(::open(name.constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, permissions));
            if (file_.Get() >= 0) {
                name_ = name;
                return true;
            }
            if (errno != EEXIST)
                return false;
        }
        return false;
    }
    // Gives the file, still empty, the owner, group and extended attributes
    // of the file it is to replace, then `permissions`; false where it cannot
    // have them, and so would not be the same file as the old.
    bool TakeOver(const Original &original, mode_t permissions)
    {
        const struct stat &old = original.Status();
        struct stat own {};
        if (::fstat(file_.Get(), &own) != 0)
            return false;
        if ((own.st_uid != old.st_uid || own.st_gid != old.st_gid)
            && ::fchown(file_.Get(), old.st_uid, old.st_gid) != 0)
            return false;
        return CopyAttributes(original.Get(), file_.Get()) && ::fchmod(file_.Get(), permissions) == 0;
    }
    // Writes the contents and puts them on the disk; false with errno set.
    bool Fill(const Contents &contents)
    {
        return StepAllowed(SaveStep::Write) && contents.WriteTo(file_.Get()) && ::fsync(file_.Get()) == 0
               && file_.Close();
    }
    const QByteArray &Name() const { return name_; }
    // It is the saved file now.
    void Keep() { name_.clear(); }

private:
    Descriptor file_{-1};
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

bool ReadWhole(const QString &path, QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    bytes = file.readAll();
    return file.error() == QFileDevice::NoError;
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

// Writes the file where it stands, keeping its links, owner and group: a
// device or a pipe takes the bytes as they come; a regular file is made to
// hold them (see RewriteRegular).
bool WriteInPlace(const QString &path, const Contents &contents, const QByteArray *old, QString &error)
{
    if (!StepAllowed(SaveStep::Write))
        return Failed(error, errno);
    // A pipe without a reader is an error at once rather than a wait.
    Descriptor file(::open(NativeName(path).constData(), O_WRONLY | O_CLOEXEC | O_NONBLOCK));
    struct stat status {};
    if (file.Get() < 0 || ::fstat(file.Get(), &status) != 0 || ::fcntl(file.Get(), F_SETFL, 0) != 0)
        return Failed(error, errno);
    if (!S_ISREG(status.st_mode)) {
        if (contents.WriteTo(file.Get()) && file.Close())
            return true;
        return Failed(error, errno);
    }
    const mode_t before = status.st_mode & 07777;
    if (RewriteRegular(file.Get(), contents, old, before, FinalPermissions(contents, status)) && file.Close())
        return true;
    return Failed(error, errno);
}

// A file written in place, its backup made beside it as a copy (a link would
// take the new contents too) where the folder allows, or else written over
// an existing backup file. An empty backup name makes no backup.
bool ReplaceInPlace(const QString &path, const Contents &contents, const QString &backup, QString &error)
{
    QByteArray old;
    const bool known = ReadWhole(path, old);
    if (known && !backup.isEmpty() && !KeepBackup(path, backup, BackupBy::Copy) && QFileInfo(backup).isFile()) {
        QString ignored;  // a backup that fails does not stop the save
        WriteInPlace(backup, BytesContents(old), nullptr, ignored);
    }
    return WriteInPlace(path, contents, known ? &old : nullptr, error);
}

// ---------------------------------------------------------------- the save

// The contents put at `target` through a new file that takes its name:
// `original` is the file replaced (null for none), kept under `backup`
// (empty for none). Where the new file cannot be the old one in everything
// but its contents, or the folder takes no new file, the old file is
// written in place.
bool ReplaceThroughNewFile(const QString &target, const Contents &contents, const Original *original,
                           const QString &backup, QString &error)
{
    const auto failed = [&] {
        const int failure = errno;
        if (original != nullptr && FolderRefuses(failure))
            return ReplaceInPlace(target, contents, backup, error);
        return Failed(error, failure);
    };
    const QString folder = QFileInfo(target).absolutePath();
    RemoveStaleTemporaries(folder);
    TemporaryFile temp;
    if (!temp.Create(folder, original != nullptr ? 0 : contents.CopiedPermissions.value_or(0666)))
        return failed();
    if (original != nullptr && !temp.TakeOver(*original, FinalPermissions(contents, original->Status())))
        return ReplaceInPlace(target, contents, backup, error);
    if (!temp.Fill(contents))
        return failed();
    if (!backup.isEmpty())
        KeepBackup(target, backup, BackupBy::Link);  // a backup that fails does not stop the save
    if (!StepAllowed(SaveStep::Replace) || !RenameOver(QFile::decodeName(temp.Name()), target))
        return failed();  // in place, the backup made again as a copy
    temp.Keep();
    SyncFolder(folder);
    return true;
}

// The save itself: see ReplaceFileKeepingBackup.
bool ReplaceFile(const QString &path, const Contents &contents, const BackupNaming &backupOf, QString &error)
{
    QString targetPath;
    if (!SaveTarget(path, targetPath))
        return Failed(error, ELOOP);
    const QFileInfo target(targetPath);
    if (target.isDir())
        return Failed(error, EISDIR);
    if (!target.exists())
        return ReplaceThroughNewFile(targetPath, contents, nullptr, QString(), error);
    if (!target.isFile())  // a device or a pipe, never replaced by a file
        return WriteInPlace(targetPath, contents, nullptr, error);
    const Original original(targetPath);
    if (!original.Opened())
        return Failed(error, errno);
    const QString backup = backupOf ? backupOf(targetPath) : QString();
    if (original.HasOtherNames(targetPath, backup))
        return ReplaceInPlace(targetPath, contents, backup, error);
    return ReplaceThroughNewFile(targetPath, contents, &original, backup, error);
}

} // namespace

QString SaveTemporaryStem(qint64 pid)
{
    return TempPrefix + QString::number(pid) + u'-' + MachineTag() + u'-';
}

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
    const int fd = ::open(NativeName(file.fileName()).constData(),
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
