#include "platform/OVSafeSave.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSysInfo>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace ov {

namespace {

SaveFaultHook &Hook()
{
    static SaveFaultHook hook;
    return hook;
}

// A step a test fails ends as a failed file operation would, errno and all.
bool StepAllowed(SaveStep step)
{
    if (!Hook() || Hook()(step))
        return true;
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
    // Closes now: a close can be the first to report a write that failed.
    bool Close() { return ::close(std::exchange(fd_, -1)) == 0; }

private:
    int fd_;
};

// What a save writes: its size, and a writer that puts all of it into an
// open file at the file's offset (false with errno set). A writer may be
// asked twice (a temporary file, then the file itself in place).
struct Contents {
    qint64 Size;
    std::function<bool(int fd)> WriteTo;
};

Contents BytesContents(const QByteArray &bytes)
{
    return {bytes.size(), [&bytes](int fd) { return WriteAll(fd, bytes); }};
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

// The file at `path` under the name `backup`, made without touching `path`:
// a hard link (or a copy where links are not possible) under a staging name,
// then renamed over the older backup, which thus stays until the new one is
// complete.
bool KeepBackup(const QString &path, const QString &backup)
{
    if (!StepAllowed(SaveStep::Backup))
        return false;
    const QString staged = backup + QStringLiteral(".ovtmp");
    QFile::remove(staged);  // left over from an interrupted save
    const bool made = ::link(NativeName(path).constData(), NativeName(staged).constData()) == 0
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

QString TempTemplate(const QString &folder)
{
    return QDir(folder).filePath(SaveTemporaryStem(::getpid()) + QStringLiteral("XXXXXX"));
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

// A new file beside the one saved, holding the new contents; removed again
// unless it takes that file's place.
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

    // Creates the file in `folder` with the permissions given and writes
    // the contents to the disk; false with errno set.
    bool Write(const QString &folder, const Contents &contents, mode_t permissions)
    {
        if (!StepAllowed(SaveStep::Write))
            return false;
        QByteArray name = NativeName(TempTemplate(folder));
        Descriptor file(::mkostemp(name.data(), O_CLOEXEC));
        if (file.Get() < 0)
            return false;
        name_ = name;
        return ::fchmod(file.Get(), permissions) == 0 && contents.WriteTo(file.Get()) && ::fsync(file.Get()) == 0
               && file.Close();
    }
    const QByteArray &Name() const { return name_; }
    // It is the saved file now.
    void Keep() { name_.clear(); }

private:
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

// Writes the file where it stands, keeping its permissions and its links: a
// device or a pipe takes the bytes as they come; a regular file is made to
// hold them, and when that fails part of the way its old contents (when
// known) are put back.
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
    if (!Reserve(file.Get(), contents.Size))
        return Failed(error, errno);
    if (Rewrite(file.Get(), contents) && file.Close())
        return true;
    const int failure = errno;
    if (old != nullptr && file.Get() >= 0)
        Rewrite(file.Get(), BytesContents(*old));
    return Failed(error, failure);
}

// A file in a folder that takes no new file: its backup made where the
// folder allows, or else written over an existing backup file; then the
// file itself written in place. An empty backup name makes no backup.
bool ReplaceInPlace(const QString &path, const Contents &contents, const QString &backup, QString &error)
{
    QByteArray old;
    const bool known = ReadWhole(path, old);
    if (known && !backup.isEmpty() && !KeepBackup(path, backup) && QFileInfo(backup).isFile()) {
        QString ignored;  // a backup that fails does not stop the save
        WriteInPlace(backup, BytesContents(old), nullptr, ignored);
    }
    return WriteInPlace(path, contents, known ? &old : nullptr, error);
}

// The permissions of a new file: those of the file it replaces, else
// read and write for the owner and read for the others.
mode_t NewPermissions(const QString &target)
{
    struct stat status {};
    if (::stat(NativeName(target).constData(), &status) == 0)
        return status.st_mode & 07777;
    return S_IRUSR | S_IWUSR | S_IRGRP | S_IROTH;
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
    if (target.exists() && !target.isFile())  // a device or a pipe, never replaced by a file
        return WriteInPlace(targetPath, contents, nullptr, error);
    const QString folder = target.absolutePath();
    const QString backup = backupOf && target.exists() ? backupOf(targetPath) : QString();
    RemoveStaleTemporaries(folder);

    TemporaryFile temp;
    if (!temp.Write(folder, contents, NewPermissions(targetPath))) {
        const int failure = errno;
        if (target.exists() && FolderRefuses(failure))
            return ReplaceInPlace(targetPath, contents, backup, error);
        return Failed(error, failure);
    }
    if (!backup.isEmpty())
        KeepBackup(targetPath, backup);  // a backup that fails does not stop the save
    if (!StepAllowed(SaveStep::Replace) || !RenameOver(QFile::decodeName(temp.Name()), targetPath)) {
        const int failure = errno;
        if (target.exists() && FolderRefuses(failure))
            return ReplaceInPlace(targetPath, contents, QString(), error);  // the backup is made
        return Failed(error, failure);
    }
    temp.Keep();
    SyncFolder(folder);
    return true;
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
    return ReplaceFile(path, Contents{in.size(), copy}, {}, error);
}

} // namespace ov
