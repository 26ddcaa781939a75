#include "platform/OVSafeSave.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
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

} // namespace

void SetSaveFaultHook(SaveFaultHook hook)
{
    Hook() = std::move(hook);
}

bool ReplaceFileKeepingBackup(const QString &path, const QByteArray &bytes, const QString &backup,
                              QString &error)
{
    const QFileInfo target(path);
    const QString folder = target.absolutePath();
    QTemporaryFile temp(QDir(folder).filePath(QStringLiteral(".ovsave-XXXXXX")));
    if (!StepAllowed(SaveStep::Write) || !temp.open()) {
        error = temp.errorString();
        return false;
    }
    if (temp.write(bytes) != bytes.size() || !temp.flush() || ::fsync(temp.handle()) != 0) {
        error = temp.errorString();
        return false;
    }
    temp.setPermissions(target.exists() ? QFile::permissions(path)
                                        : QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                              | QFileDevice::ReadGroup | QFileDevice::ReadOther);
    temp.close();

    if (!backup.isEmpty() && target.exists())
        KeepBackup(path, backup);  // a backup that fails does not stop the save

    if (!StepAllowed(SaveStep::Replace)) {
        error = QStringLiteral("Cannot replace %1").arg(path);
        return false;
    }
    if (!RenameOver(temp.fileName(), path)) {
        error = LastSystemError();
        return false;
    }
    temp.setAutoRemove(false);  // it is the file now
    SyncFolder(folder);
    return true;
}

} // namespace ov
