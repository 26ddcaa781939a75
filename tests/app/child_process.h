// The programs as a user or a script meets them: started with their
// standard input, output and error on pipes (or on a terminal), read and
// written as they run, and waited for.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>
#include <vector>

extern char **environ;

namespace test {

// A read that waits longer than this for output that never comes fails the
// test rather than hold it until the test runner's limit.
constexpr int HangGuardMs = 15000;

// A started program. One not waited for when this goes (a test that failed
// on the way) is killed, so that no test leaves a program running.
struct Child {
    pid_t Pid = -1;
    int In = -1;   // its standard input, written here
    int Out = -1;  // its standard output (with a terminal also its input)
    int Err = -1;

    Child() = default;
    Child(Child &&other) noexcept { *this = std::move(other); }
    Child &operator=(Child &&other) noexcept
    {
        if (this != &other) {
            End();
            Pid = std::exchange(other.Pid, -1);
            In = std::exchange(other.In, -1);
            Out = std::exchange(other.Out, -1);
            Err = std::exchange(other.Err, -1);
        }
        return *this;
    }
    ~Child() { End(); }

    void CloseIn()
    {
        if (In >= 0 && In != Out)
            ::close(In);
        In = -1;
    }
    void CloseOut()
    {
        if (Out >= 0)
            ::close(Out);
        Out = -1;
    }
    // The wait status once it has ended.
    int Wait()
    {
        CloseIn();
        int status = -1;
        while (Pid > 0 && ::waitpid(Pid, &status, 0) < 0 && errno == EINTR) {
        }
        Pid = -1;
        CloseOut();
        if (Err >= 0)
            ::close(Err);
        Err = -1;
        return status;
    }

private:
    void End()
    {
        if (Pid > 0)
            ::kill(Pid, SIGKILL);
        Wait();
    }
};

// Texts as execve takes them: a null-ended array of C strings.
class CStrings {
public:
    explicit CStrings(std::vector<std::string> texts) : texts_(std::move(texts))
    {
        for (std::string &text : texts_)
            pointers_.push_back(text.data());
        pointers_.push_back(nullptr);
    }
    char **Get() { return pointers_.data(); }

private:
    std::vector<std::string> texts_;
    std::vector<char *> pointers_;
};

inline std::vector<std::string> StdStrings(const QStringList &texts)
{
    std::vector<std::string> strings;
    for (const QString &text : texts)
        strings.push_back(text.toStdString());
    return strings;
}

// The environment of this process with `extra` ("NAME=value") added or in
// place of the variables of those names.
inline std::vector<std::string> EnvironmentWith(const QStringList &extra)
{
    std::vector<std::string> entries = StdStrings(extra);
    for (char **e = environ; *e != nullptr; ++e) {
        const QString entry = QString::fromLocal8Bit(*e);
        const QString name = entry.left(entry.indexOf(u'=') + 1);
        const bool replaced = std::any_of(extra.begin(), extra.end(),
                                          [&name](const QString &added) { return added.startsWith(name); });
        if (!replaced)
            entries.emplace_back(*e);
    }
    return entries;
}

// Starts `arguments` (the program first) in the folder `dir`, its standard
// input, output and error on pipes; with `terminal`, input and output on
// a terminal of its own.
inline Child Start(const QStringList &arguments, const QString &dir, bool terminal = false,
                   const QStringList &environment = {})
{
    CStrings argv(StdStrings(arguments));
    CStrings envp(EnvironmentWith(environment));
    const QByteArray folder = dir.toLocal8Bit();
    int in[2] = {-1, -1};
    int out[2] = {-1, -1};
    int err[2] = {-1, -1};
    Child child;
    if (::pipe2(err, O_CLOEXEC) != 0)
        return child;
    if (terminal) {
        int master = -1;
        child.Pid = ::forkpty(&master, nullptr, nullptr, nullptr);
        if (child.Pid == 0) {
            ::dup2(err[1], STDERR_FILENO);
            if (::chdir(folder.constData()) == 0)
                ::execve(argv.Get()[0], argv.Get(), envp.Get());
            ::_exit(127);
        }
        child.In = child.Out = master;
    } else {
        if (::pipe2(in, O_CLOEXEC) != 0 || ::pipe2(out, O_CLOEXEC) != 0)
            return child;
        child.Pid = ::fork();
        if (child.Pid == 0) {
            ::dup2(in[0], STDIN_FILENO);
            ::dup2(out[1], STDOUT_FILENO);
            ::dup2(err[1], STDERR_FILENO);
            if (::chdir(folder.constData()) == 0)
                ::execve(argv.Get()[0], argv.Get(), envp.Get());
            ::_exit(127);
        }
        ::close(in[0]);
        ::close(out[1]);
        child.In = in[1];
        child.Out = out[0];
    }
    ::close(err[1]);
    child.Err = err[0];
    return child;
}

// Waits until `fd` has something to read; false after the hang guard.
inline bool Readable(int fd)
{
    pollfd p{fd, POLLIN, 0};
    int ready = 0;
    while ((ready = ::poll(&p, 1, HangGuardMs)) < 0 && errno == EINTR) {
    }
    return ready > 0;
}

// Reads from `fd` until what was read ends with `end` (one byte at a time,
// so that what follows stays to be read), or, for an empty `end`, until the
// output ends (a terminal's end reads as an error). Short of `end` when the
// output ended or nothing came within the hang guard.
inline QByteArray ReadUntil(int fd, const QByteArray &end)
{
    QByteArray text;
    char buffer[4096];
    while ((end.isEmpty() || !text.endsWith(end)) && Readable(fd)) {
        const ssize_t n = ::read(fd, buffer, end.isEmpty() ? sizeof buffer : 1);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        text.append(buffer, n);
    }
    return text;
}

inline QByteArray ReadAll(int fd) { return ReadUntil(fd, {}); }

inline bool WriteAll(int fd, const QByteArray &bytes)
{
    return ::write(fd, bytes.constData(), size_t(bytes.size())) == bytes.size();
}

} // namespace test
