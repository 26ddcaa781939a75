// Output on its way to a file descriptor (the headless runner's standard
// output). One thread adds text; whoever calls Write takes all that is
// pending and writes it at once, so that lines printed in a burst leave
// together and a lone line leaves as soon as it is written. The runner's
// main thread writes whenever it is woken; a reader of the output sees each
// line without waiting for the run to end.
#pragma once

#include <QByteArray>
#include <QStringEncoder>
#include <QStringView>
#include <atomic>
#include <functional>
#include <mutex>

namespace ov {

class OutputBuffer {
public:
    explicit OutputBuffer(int fd) : fd_(fd) {}

    // `wake` is called when text arrives and none was pending; `closed`
    // once, with the errno, when a write fails. Set before any text.
    void SetWake(std::function<void()> wake) { wake_ = std::move(wake); }
    void SetClosed(std::function<void(int error)> closed) { closed_ = std::move(closed); }

    // Adds text as UTF-8 (a lone surrogate as U+FFFD), with a line end when
    // `endLine`; dropped once the output is closed. Much text pending is
    // written at once, by the adding thread.
    void Add(QStringView text, bool endLine);
    // Writes all that is pending, in the order added, also with other
    // threads writing; false when nothing was.
    bool Write();
    // A write failed: the reader has gone (EPIPE) or the file cannot grow.
    bool Closed() const { return error_.load() != 0; }

private:
    bool WriteAll(const QByteArray &bytes);

    const int fd_;
    std::function<void()> wake_;
    std::function<void(int)> closed_;
    std::mutex mutex_;  // pending_, encoder_
    QByteArray pending_;
    QStringEncoder encoder_{QStringConverter::Utf8, QStringConverter::Flag::Stateless};
    std::mutex writeMutex_;  // one write at a time; writing_
    QByteArray writing_;     // taken from pending_, keeping both buffers
    std::atomic<int> error_ = 0;
};

} // namespace ov
