// A text file read in blocks in one encoding: characters, lines and the
// rest of the text, without ever holding more of the file than one block
// besides what the caller takes. The reader of data-file channels,
// READALLTEXT, READALLLINES and LOAD.
#pragma once

#include "platform/OVTextEncoding.h"

#include <QFile>
#include <QString>
#include <memory>
#include <optional>

namespace ov {

class TextReader {
public:
    // Opens the file; false when it cannot be read.
    bool Open(const QString &path, const TextEncoding &encoding);

    // True when every character has been taken; reads the next block when
    // the one held is used up.
    bool AtEnd() { return pos_ >= buffer_.size() && !Fill(); }
    // The next character, looked at or taken; only when not AtEnd.
    char16_t Peek() const { return buffer_.constData()[pos_].unicode(); }
    char16_t Take()
    {
        ++taken_;
        return buffer_.constData()[pos_++].unicode();
    }

    // The rest of the current line; its end (CR LF, CR or LF) is taken and
    // not kept. False when the line would pass `limit` units: the line is
    // then cut short and the rest of it left.
    bool ReadLine(QString &line, qsizetype limit);
    // The same appended to `text`, which, with the line, may hold `limit` units.
    bool AppendLine(QString &text, qsizetype limit);
    // Up to `count` more characters appended to `text`; false when `text`
    // would pass `limit` units (what was read by then stays).
    bool Read(qsizetype count, QString &text, qsizetype limit);
    // The rest of the text as it is; false when it passes `limit` units.
    bool ReadRest(QString &text, qsizetype limit);
    // The rest of the text with CR LF between its lines and none after the
    // last; false when it passes `limit` units.
    bool ReadRestAsLines(QString &text, qsizetype limit);

    // The characters taken so far.
    qint64 Position() const { return taken_; }
    // A read of the file failed; the text ends where it did.
    bool Failed() const { return failed_; }

private:
    bool Fill();
    // Takes the units from the read position up to `end` of the block held.
    void TakeTo(qsizetype end, QString &text);

    std::unique_ptr<QFile> file_;
    std::optional<BlockDecoder> decoder_;
    QString buffer_;     // the decoded block
    qsizetype pos_ = 0;  // the next character of buffer_
    qint64 taken_ = 0;
    bool ended_ = true;  // the file has no more bytes
    bool failed_ = false;
};

} // namespace ov
