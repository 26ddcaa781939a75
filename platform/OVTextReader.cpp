#include "platform/OVTextReader.h"

#include "platform/OVStringBuffer.h"

#include <algorithm>

namespace ov {

namespace {

// The bytes read from the file at a time.
constexpr qint64 BlockBytes = 64 * 1024;

bool IsLineEnd(char16_t c) { return c == u'\r' || c == u'\n'; }

} // namespace

bool TextReader::Open(const QString &path, const TextEncoding &encoding)
{
    auto file = std::make_unique<QFile>(path);
    if (!file->open(QIODevice::ReadOnly))
        return false;
    file_ = std::move(file);
    decoder_.emplace(encoding);
    buffer_.clear();
    pos_ = 0;
    taken_ = 0;
    ended_ = false;
    failed_ = false;
    return true;
}

// Decodes blocks until one gives characters; false at the end of the text.
bool TextReader::Fill()
{
    buffer_.clear();
    pos_ = 0;
    while (buffer_.isEmpty() && !ended_) {
        const QByteArray block = file_->read(BlockBytes);
        if (block.isEmpty()) {
            failed_ = file_->error() != QFileDevice::NoError;
            ended_ = true;
            buffer_ = decoder_->Decode({}, true);
            file_.reset();
        } else {
            buffer_ = decoder_->Decode(block, false);
        }
    }
    return !buffer_.isEmpty();
}

void TextReader::TakeTo(qsizetype end, QString &text)
{
    AppendUnits(text, QStringView(buffer_).sliced(pos_, end - pos_));
    taken_ += end - pos_;
    pos_ = end;
}

bool TextReader::ReadLine(QString &line, qsizetype limit)
{
    EmptyKeepingBuffer(line);
    return AppendLine(line, limit);
}

bool TextReader::AppendLine(QString &text, qsizetype limit)
{
    while (!AtEnd()) {
        const QChar *units = buffer_.constData();
        const qsizetype size = buffer_.size();
        qsizetype end = pos_;
        while (end < size && !IsLineEnd(units[end].unicode()))
            ++end;
        if (text.size() + (end - pos_) > limit)
            return false;
        TakeTo(end, text);
        if (end < size) {
            if (Take() == u'\r' && !AtEnd() && Peek() == u'\n')
                Take();
            return true;
        }
    }
    return true;
}

bool TextReader::Read(qsizetype count, QString &text, qsizetype limit)
{
    while (count > 0 && !AtEnd()) {
        const qsizetype take = std::min(count, buffer_.size() - pos_);
        if (text.size() + take > limit)
            return false;
        TakeTo(pos_ + take, text);
        count -= take;
    }
    return true;
}

bool TextReader::ReadRest(QString &text, qsizetype limit)
{
    while (!AtEnd()) {
        if (text.size() + (buffer_.size() - pos_) > limit)
            return false;
        TakeTo(buffer_.size(), text);
    }
    return true;
}

bool TextReader::ReadRestAsLines(QString &text, qsizetype limit)
{
    QString line;
    for (bool first = true; !AtEnd(); first = false) {
        if (!ReadLine(line, limit))
            return false;
        if (text.size() + line.size() + (first ? 0 : 2) > limit)
            return false;
        if (!first)
            text += QStringLiteral("\r\n");
        text += line;
    }
    return true;
}

} // namespace ov
