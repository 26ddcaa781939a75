// File-system conditions that whole-file writes meet, made for a test: a
// folder that takes no new file, a disk that holds no more, devices, a
// umask, and a user whom permissions hold back.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <csignal>
#include <cstdlib>
#include <grp.h>
#include <vector>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace test {

// The folder takes no new file (nor a rename or removal in it) while the
// files in it may still be written: its write permission is taken away, or,
// for the superuser whom permissions do not hold back, the file system's
// immutable flag is set on it. Refuses() is false where neither holds, and
// the folder is given back when this goes.
class RefusingFolder {
public:
    explicit RefusingFolder(const QString &path) : path_(QFile::encodeName(path))
    {
        if (::geteuid() != 0)
            refused_ = ::chmod(path_.constData(), 0555) == 0;
        else
            refused_ = SetImmutable(true);
        if (refused_ && CanCreate()) {
            Restore();
            refused_ = false;
        }
    }
    ~RefusingFolder() { Restore(); }
    RefusingFolder(const RefusingFolder &) = delete;
    RefusingFolder &operator=(const RefusingFolder &) = delete;

    bool Refuses() const { return refused_; }

private:
    bool SetImmutable(bool on) const
    {
        const int fd = ::open(path_.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0)
            return false;
        int flags = 0;
        bool done = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
        flags = on ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
        done = done && ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
        ::close(fd);
        return done;
    }
    bool CanCreate() const
    {
        const QByteArray probe = path_ + "/.probe";
        const int fd = ::open(probe.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0)
            return false;
        ::close(fd);
        ::unlink(probe.constData());
        return true;
    }
    void Restore()
    {
        if (!refused_)
            return;
        if (::geteuid() != 0)
            ::chmod(path_.constData(), 0755);
        else
            SetImmutable(false);
        refused_ = false;
    }

    QByteArray path_;
    bool refused_ = false;
};

// Files of this process can grow to `bytes` at most while this lives, as on
// a disk that is nearly full: a write beyond fails with EFBIG ("File too
// large") rather than ending the process.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &previous_);
        signal_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limited = previous_;
        limited.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &previous_);
        std::signal(SIGXFSZ, signal_);
    }
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

private:
    rlimit previous_{};
    void (*signal_)(int) = SIG_DFL;
};

// Makes `path` the memory device of that minor number (3 null, 7 full: a
// write there finds the disk full). Only the superuser can; others may use
// the system's own /dev/null and /dev/full, which they cannot replace.
inline bool MakeMemoryDevice(const QString &path, unsigned minor)
{
    return ::mknod(QFile::encodeName(path).constData(), S_IFCHR | 0666, makedev(1, minor)) == 0;
}

// The process's umask while this lives.
class Umask {
public:
    explicit Umask(mode_t mask) : previous_(::umask(mask)) {}
    ~Umask() { ::umask(previous_); }
    Umask(const Umask &) = delete;
    Umask &operator=(const Umask &) = delete;

private:
    mode_t previous_;
};

// The uid and gid of the ordinary user the superuser acts as ("nobody"),
// and another group that user belongs to then.
constexpr uid_t OrdinaryId = 65534;
constexpr gid_t SharedGroup = 100;

// While this lives the process acts on files as an ordinary user, whom
// permissions hold back: the superuser takes the ids of "nobody" (in all of
// its threads), with SharedGroup as a second group, and hands it `home`,
// the test's folder, first; an ordinary user stays who it is. Files the
// superuser made before are another user's then. Acting() is false where
// the ids could not be taken.
class OrdinaryUser {
public:
    explicit OrdinaryUser(const QString &home)
    {
        if (::geteuid() != 0)
            return;
        groups_.resize(::getgroups(0, nullptr));
        const gid_t ordinary[] = {OrdinaryId, SharedGroup};
        acting_ = ::getgroups(int(groups_.size()), groups_.data()) == int(groups_.size())
                  && ::chown(QFile::encodeName(home).constData(), OrdinaryId, OrdinaryId) == 0
                  && ::setgroups(2, ordinary) == 0 && ::setegid(OrdinaryId) == 0 && ::seteuid(OrdinaryId) == 0;
        changed_ = true;
        if (!acting_)
            Restore();
    }
    ~OrdinaryUser()
    {
        if (changed_)
            Restore();
    }
    OrdinaryUser(const OrdinaryUser &) = delete;
    OrdinaryUser &operator=(const OrdinaryUser &) = delete;

    bool Acting() const { return acting_; }

private:
    void Restore()
    {
        if (::seteuid(0) != 0 || ::setegid(group_) != 0 || ::setgroups(groups_.size(), groups_.data()) != 0)
            std::abort();  // the other tests would run as the wrong user
    }

    gid_t group_ = ::getegid();
    std::vector<gid_t> groups_;
    bool acting_ = true;
    bool changed_ = false;
};

// The mode bits (permissions and the set-id and sticky bits) of the file
// at `path`; all bits set where there is no file.
inline mode_t ModeOf(const QString &path)
{
    struct stat status {};
    return ::stat(QFile::encodeName(path).constData(), &status) == 0 ? status.st_mode & 07777 : 07777;
}

// The contents of the file at `path`, named by the system's bytes (as in a
// folder whose name a QString cannot hold); "<missing>" where there is none.
inline QByteArray BytesAt(const QByteArray &path)
{
    QFile file;
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0 || !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        if (fd >= 0)
            ::close(fd);
        return "<missing>";
    }
    return file.readAll();
}

} // namespace test
