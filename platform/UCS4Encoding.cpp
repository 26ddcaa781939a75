#include "platform/UCS4Encoding.h"

#include <QtEndian>

namespace ov {

int CurrentEncoding = 0;

namespace {

constexpr char32_t kLastCodePoint = 0x10FFFF;

char32_t CodePointAt(const uchar *bytes, bool bigEndian)
{
    return bigEndian ? qFromBigEndian<quint32>(bytes) : qFromLittleEndian<quint32>(bytes);
}

// UTF-16 units of one decoded value.
int UnitsOf(char32_t value)
{
    return value > 0xFFFF && value <= kLastCodePoint ? 2 : 1;
}

// Calls `take` with every code point of the text, a surrogate pair as one;
// lone surrogates are passed over.
template <typename Take>
void ForEachCodePoint(QStringView text, Take take)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i].unicode();
        if (QChar::isHighSurrogate(unit) && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            take(QChar::surrogateToUcs4(unit, text[i + 1].unicode()));
            ++i;
        } else if (!QChar::isSurrogate(unit)) {
            take(char32_t(unit));
        }
    }
}

} // namespace

QByteArray Ucs4Encoding::GetBytes(QStringView text) const
{
    QByteArray bytes;
    bytes.reserve(GetByteCount(text));
    ForEachCodePoint(text, [&](char32_t value) {
        uchar group[4];
        if (BigEndian)
            qToBigEndian<quint32>(value, group);
        else
            qToLittleEndian<quint32>(value, group);
        bytes.append(reinterpret_cast<const char *>(group), 4);
    });
    return bytes;
}

qsizetype Ucs4Encoding::GetByteCount(QStringView text) const
{
    qsizetype count = 0;
    ForEachCodePoint(text, [&](char32_t) { count += 4; });
    return count;
}

QByteArray Ucs4Encoding::Preamble() const
{
    if (!WriteBom)
        return {};
    return BigEndian ? QByteArray("\x00\x00\xFE\xFF", 4) : QByteArray("\xFF\xFE\x00\x00", 4);
}

QString Ucs4Encoding::GetChars(QByteArrayView bytes) const
{
    const auto *data = reinterpret_cast<const uchar *>(bytes.data());
    const qsizetype whole = bytes.size() / 4 * 4;
    QString text;
    text.reserve(GetCharCount(bytes));
    for (qsizetype i = 0; i < whole; i += 4) {
        const char32_t value = CodePointAt(data + i, BigEndian);
        if (value <= 0xFFFF) {
            text += QChar(char16_t(value));
        } else if (value <= kLastCodePoint) {
            text += QChar(QChar::highSurrogate(value));
            text += QChar(QChar::lowSurrogate(value));
        } else {
            text += QChar(QChar::ReplacementCharacter);
        }
    }
    if (whole < bytes.size())
        text += QChar(QChar::ReplacementCharacter);
    return text;
}

qsizetype Ucs4Encoding::GetCharCount(QByteArrayView bytes) const
{
    const auto *data = reinterpret_cast<const uchar *>(bytes.data());
    const qsizetype whole = bytes.size() / 4 * 4;
    qsizetype count = whole < bytes.size() ? 1 : 0;
    for (qsizetype i = 0; i < whole; i += 4)
        count += UnitsOf(CodePointAt(data + i, BigEndian));
    return count;
}

} // namespace ov
