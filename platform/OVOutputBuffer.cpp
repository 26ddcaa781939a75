#include "platform/OVOutputBuffer.h"

#include <cerrno>
#include <unistd.h>

namespace ov {

namespace {

// Beyond this much pending text the adding thread writes it itself: a slow
// reader then holds the program back rather than fill the memory.
constexpr qsizetype PendingLimit = 1 << 20;

} // namespace

void OutputBuffer::Add(QStringView text, bool endLine)
{
    bool first = false;
    bool full = false;
    {
        std::lock_guard lock(mutex_);
        if (Closed())
            return;
        first = pending_.isEmpty();
        const qsizetype used = pending_.size();
        pending_.resize(used + encoder_.requiredSpace(text.size()) + 1);
        char *end = encoder_.appendToBuffer(pending_.data() + used, text);
        if (endLine)
            *end++ = '\n';
        pending_.resize(end - pending_.constData());
        full = pending_.size() >= PendingLimit;
    }
    if (full)
        Write();
    else if (first && wake_)
        wake_();
}

bool OutputBuffer::Write()
{
    std::lock_guard writing(writeMutex_);
    writing_.resize(0);  // keeps its room
    {
        std::lock_guard lock(mutex_);
        writing_.swap(pending_);
    }
    if (writing_.isEmpty())
        return false;
    if (Closed() || WriteAll(writing_))
        return true;
    error_ = errno;
    if (closed_)
        closed_(error_.load());
    return true;
}

bool OutputBuffer::WriteAll(const QByteArray &bytes)
{
    const char *data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(fd_, data, size_t(left));
        if (written < 0 && errno == EINTR)
            continue;
        if (written == 0)
            errno = EIO;
        if (written <= 0)
            return false;
        data += written;
        left -= written;
    }
    return true;
}

} // namespace ov
