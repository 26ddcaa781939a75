#include "platform/OVSafeSave.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSysInfo>
#include <QTemporaryFile>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <unistd.h>

namespace ov {

namespace {

SaveFaultHook &Hook()
{
    static SaveFaultHook hook;
    return hook;
}

bool StepAllowed(SaveStep step)
{
    return !Hook() || Hook()(step);
}

QByteArray NativeName(const QString &path)
{
    return QFile::encodeName(path);
}

QString LastSystemError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
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
// (Where the file system has unnamed files, the file takes its name only
// just before the rename, and a kill before that leaves nothing.)
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
    QString targetPath;
    if (!SaveTarget(path, targetPath)) {
        error = QString::fromLocal8Bit(std::strerror(ELOOP));
        return false;
    }
    const QFileInfo target(targetPath);
    const QString folder = target.absolutePath();
    RemoveStaleTemporaries(folder);
    QTemporaryFile temp(TempTemplate(folder));
    if (!StepAllowed(SaveStep::Write) || !temp.open()) {
        error = temp.errorString();
        return false;
    }
    if (temp.write(bytes) != bytes.size() || !temp.flush() || ::fsync(temp.handle()) != 0) {
        error = temp.errorString();
        return false;
    }
    temp.setPermissions(target.exists() ? QFile::permissions(targetPath)
                                        : QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                              | QFileDevice::ReadGroup | QFileDevice::ReadOther);
    temp.close();

    const QString backup = backupOf ? backupOf(targetPath) : QString();
    if (!backup.isEmpty() && target.exists())
        KeepBackup(targetPath, backup);  // a backup that fails does not stop the save

    if (!StepAllowed(SaveStep::Replace)) {
        error = QStringLiteral("Cannot replace %1").arg(targetPath);
        return false;
    }
    if (!RenameOver(temp.fileName(), targetPath)) {
        error = LastSystemError();
        return false;
    }
    temp.setAutoRemove(false);  // it is the file now
    SyncFolder(folder);
    return true;
}

} // namespace ov
