#include "executor/OVTextEncoding.h"

#include "executor/UCS4Encoding.h"

#include <QFile>
#include <QStringDecoder>

#include <cerrno>
#include <cstring>
#include <iconv.h>

namespace ov {

namespace {

constexpr char16_t kReplacement = 0xFFFD;
constexpr uchar kEsc = 0x1B;

bool StartsWith(const QByteArray &bytes, const char *mark, qsizetype length)
{
    return bytes.size() >= length && std::memcmp(bytes.constData(), mark, size_t(length)) == 0;
}

// ---------------------------------------------------------------- detection

EncodingKind ByteOrderMark(const QByteArray &bytes)
{
    if (StartsWith(bytes, "\xFF\xFE\x00\x00", 4))
        return ekUtf32LE;
    if (StartsWith(bytes, "\x00\x00\xFE\xFF", 4))
        return ekUtf32BE;
    if (StartsWith(bytes, "\xFF\xFE", 2))
        return ekUtf16LE;
    if (StartsWith(bytes, "\xFE\xFF", 2))
        return ekUtf16BE;
    if (StartsWith(bytes, "\xEF\xBB\xBF", 3))
        return ekUtf8Bom;
    return ekDefault;
}

bool MatchesAt(const uchar *b, qsizetype n, qsizetype i, const char *sequence)
{
    const auto length = qsizetype(std::strlen(sequence));
    return n - i >= length && std::memcmp(b + i, sequence, size_t(length)) == 0;
}

// Seven-bit text with a JIS escape sequence before any byte above 127.
bool IsJis(const uchar *b, qsizetype n)
{
    static const char *const sequences[] = {
        "\x1B(B", "\x1B(J", "\x1B(I", "\x1B$@", "\x1B$B", "\x1B$(D", "\x1B&@\x1B$B",
    };
    for (qsizetype i = 0; i < n; ++i) {
        if (b[i] > 127)
            return false;
        if (b[i] != kEsc)
            continue;
        for (const char *sequence : sequences) {
            if (MatchesAt(b, n, i, sequence))
                return true;
        }
    }
    return false;
}

struct ScanResult {
    bool Valid = true;
    int Score = 0;
};

using ByteTest = bool (*)(uchar);

// A character of `length` bytes from i, whose bytes after the first must pass
// `follows`. Gives the step to the next character, 0 when it is invalid; a
// character cut off by the end of the buffer is accepted without score.
qsizetype TakeChar(ScanResult &r, const uchar *b, qsizetype n, qsizetype i, int length, ByteTest follows)
{
    for (int k = 1; k < length; ++k) {
        if (i + k >= n)
            return n - i;
        if (!follows(b[i + k])) {
            r.Valid = false;
            return 0;
        }
    }
    r.Score += length;
    return length;
}

bool InRange(uchar c, uchar lo, uchar hi) { return c >= lo && c <= hi; }

ScanResult ScanShiftJis(const uchar *b, qsizetype n)
{
    ScanResult r;
    for (qsizetype i = 0, step = 0; i < n; i += step) {
        const uchar c = b[i];
        if (c <= 0x7F || InRange(c, 0xA1, 0xDF))
            step = 1;
        else if (InRange(c, 0x81, 0x9F) || InRange(c, 0xE0, 0xFC))
            step = TakeChar(r, b, n, i, 2, [](uchar t) { return InRange(t, 0x40, 0x7E) || InRange(t, 0x80, 0xFC); });
        else
            r.Valid = false;
        if (!r.Valid)
            break;
    }
    return r;
}

ScanResult ScanEucJp(const uchar *b, qsizetype n)
{
    const ByteTest full = [](uchar t) { return InRange(t, 0xA1, 0xFE); };
    ScanResult r;
    for (qsizetype i = 0, step = 0; i < n; i += step) {
        const uchar c = b[i];
        if (c <= 0x7F)
            step = 1;
        else if (InRange(c, 0xA1, 0xFE))
            step = TakeChar(r, b, n, i, 2, full);
        else if (c == 0x8E)
            step = TakeChar(r, b, n, i, 2, [](uchar t) { return InRange(t, 0xA1, 0xDF); });
        else if (c == 0x8F)
            step = TakeChar(r, b, n, i, 3, full);
        else
            r.Valid = false;
        if (!r.Valid)
            break;
    }
    return r;
}

ScanResult ScanUtf8(const uchar *b, qsizetype n)
{
    const ByteTest continuation = [](uchar t) { return InRange(t, 0x80, 0xBF); };
    ScanResult r;
    for (qsizetype i = 0, step = 0; i < n; i += step) {
        const uchar c = b[i];
        if (c <= 0x7F)
            step = 1;
        else if (InRange(c, 0xC0, 0xDF))
            step = TakeChar(r, b, n, i, 2, continuation);
        else if (InRange(c, 0xE0, 0xEF))
            step = TakeChar(r, b, n, i, 3, continuation);
        else if (InRange(c, 0xF0, 0xF7))
            step = TakeChar(r, b, n, i, 4, continuation);
        else
            r.Valid = false;
        if (!r.Valid)
            break;
    }
    return r;
}

// ---------------------------------------------------------------- iconv codecs

// One byte that a codec rejects as a whole character; U+FFFD unless the
// codec's own table knows it.
using RejectedByte = char16_t (*)(uchar);

char16_t RejectedAsFffd(uchar) { return kReplacement; }

// The single bytes that glibc's CP932 rejects, read as Windows reads them.
char16_t RejectedCp932(uchar c)
{
    switch (c) {
    case 0x80: return 0x0080;
    case 0xA0: return 0xF8F0;
    case 0xFD: return 0xF8F1;
    case 0xFE: return 0xF8F2;
    case 0xFF: return 0xF8F3;
    default: return kReplacement;
    }
}

void AppendUtf16LE(QString &text, const char *bytes, qsizetype length)
{
    for (qsizetype i = 0; i + 1 < length; i += 2)
        text += QChar(char16_t(uchar(bytes[i]) | uchar(bytes[i + 1]) << 8));
}

// Decodes with glibc iconv; each byte where it stops (an illegal or cut-off
// sequence) reads as `rejected` gives it and decoding goes on after it.
QString DecodeWithIconv(const char *codec, QByteArrayView bytes, RejectedByte rejected)
{
    QString text;
    text.reserve(bytes.size());
    iconv_t cd = iconv_open("UTF-16LE", codec);
    if (cd == iconv_t(-1)) {  // no such codec here: only seven-bit bytes read
        for (const char c : bytes)
            text += QChar(uchar(c) < 0x80 ? char16_t(uchar(c)) : kReplacement);
        return text;
    }
    char *in = const_cast<char *>(bytes.data());
    size_t inLeft = size_t(bytes.size());
    char buffer[4096];
    while (inLeft > 0) {
        char *out = buffer;
        size_t outLeft = sizeof buffer;
        const size_t result = iconv(cd, &in, &inLeft, &out, &outLeft);
        const int error = errno;
        AppendUtf16LE(text, buffer, out - buffer);
        if (result != size_t(-1) || error == E2BIG)
            continue;
        text += QChar(rejected(uchar(*in)));
        ++in;
        --inLeft;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    iconv_close(cd);
    return text;
}

QString DecodeCp932(QByteArrayView bytes) { return DecodeWithIconv("CP932", bytes, RejectedCp932); }
QString DecodeEucJp(QByteArrayView bytes) { return DecodeWithIconv("EUC-JP-MS", bytes, RejectedAsFffd); }

// ISO-2022-JP with its Japanese extensions: JIS X 0208 (ESC $ B, ESC $ @)
// and JIS X 0212 (ESC $ ( D) through EUC-JP, ASCII and JIS-Roman (ESC ( B,
// ESC ( J), half-width katakana (ESC ( I, or SO ... SI).
QString DecodeJis(QByteArrayView bytes)
{
    enum class Set { Ascii, Kanji, Supplement, Kana };
    const auto *b = reinterpret_cast<const uchar *>(bytes.data());
    const qsizetype n = bytes.size();
    Set set = Set::Ascii;
    bool shiftedOut = false;
    QString text;
    QByteArray euc;  // the double-byte characters of the current run as EUC-JP
    auto flush = [&] {
        if (!euc.isEmpty())
            text += DecodeEucJp(euc);
        euc.clear();
    };
    auto isGraphic = [](uchar c) { return c >= 0x21 && c <= 0x7E; };
    for (qsizetype i = 0; i < n;) {
        const uchar c = b[i];
        if (c == kEsc) {
            flush();
            static const struct { const char *Sequence; Set Target; } escapes[] = {
                {"\x1B(B", Set::Ascii}, {"\x1B(J", Set::Ascii}, {"\x1B(I", Set::Kana},
                {"\x1B$@", Set::Kanji}, {"\x1B$B", Set::Kanji}, {"\x1B$(D", Set::Supplement},
            };
            qsizetype step = 0;
            for (const auto &escape : escapes) {
                if (MatchesAt(b, n, i, escape.Sequence)) {
                    set = escape.Target;
                    step = qsizetype(std::strlen(escape.Sequence));
                    break;
                }
            }
            if (step == 0 && MatchesAt(b, n, i, "\x1B&@"))  // announces the 1990 edition
                step = 3;
            if (step == 0) {
                text += QChar(kReplacement);
                step = 1;
            }
            i += step;
            continue;
        }
        if (c == 0x0E || c == 0x0F) {
            flush();
            shiftedOut = c == 0x0E;
            ++i;
            continue;
        }
        const bool doubleByte = !shiftedOut && (set == Set::Kanji || set == Set::Supplement);
        if (doubleByte && isGraphic(c)) {
            if (i + 1 < n && isGraphic(b[i + 1])) {
                if (set == Set::Supplement)
                    euc += char(0x8F);
                euc += char(c | 0x80);
                euc += char(b[i + 1] | 0x80);
                i += 2;
            } else {
                flush();
                text += QChar(kReplacement);
                ++i;
            }
            continue;
        }
        flush();
        if (c >= 0x80)
            text += QChar(kReplacement);
        else if ((shiftedOut || set == Set::Kana) && isGraphic(c))
            text += QChar(c <= 0x5F ? char16_t(0xFF61 + c - 0x21) : kReplacement);
        else
            text += QChar(char16_t(c));
        ++i;
    }
    flush();
    return text;
}

QString DecodeWithQt(QStringConverter::Encoding encoding, QByteArrayView bytes)
{
    QStringDecoder decoder(encoding, QStringConverter::Flag::Stateless
                                         | QStringConverter::Flag::ConvertInitialBom);
    return decoder.decode(bytes);
}

// The bytes after the kind's byte-order mark, when they begin with it.
QByteArrayView WithoutMark(const QByteArray &bytes, EncodingKind kind)
{
    static const QByteArray marks[] = {
        QByteArray("\xFF\xFE", 2), QByteArray("\xFE\xFF", 2), QByteArray(),
        QByteArray("\xEF\xBB\xBF", 3), QByteArray("\xFF\xFE\x00\x00", 4),
        QByteArray("\x00\x00\xFE\xFF", 4),
    };
    const QByteArray &mark = marks[kind - ekUtf16LE];
    const QByteArrayView view(bytes);
    return view.startsWith(mark) ? view.sliced(mark.size()) : view;
}

QByteArray ReadFirstBytes(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.read(DetectionLength);
}

} // namespace

QString EncodingKindName(int32_t kind)
{
    static const char *const names[] = {
        "SJIS", "EUC", "JIS", "Unicode", "Big Endian Unicode",
        "UTF-8", "UTF-8BOM", "UTF-32LE", "UTF-32BE",
    };
    if (kind < ekSjis || kind > ekUtf32BE)
        return QStringLiteral("Default");
    return QString::fromLatin1(names[kind]);
}

EncodingKind DetectEncoding(const QByteArray &firstBytes)
{
    const QByteArray bytes = firstBytes.left(DetectionLength);
    if (bytes.isEmpty())
        return ekDefault;
    const EncodingKind marked = ByteOrderMark(bytes);
    if (marked != ekDefault)
        return marked;
    const auto *b = reinterpret_cast<const uchar *>(bytes.constData());
    const qsizetype n = bytes.size();
    if (IsJis(b, n))
        return ekJis;
    const ScanResult s = ScanShiftJis(b, n);
    const ScanResult e = ScanEucJp(b, n);
    const ScanResult u = ScanUtf8(b, n);
    if (e.Score > s.Score && e.Score > u.Score && e.Valid)
        return ekEuc;
    if (s.Score > e.Score && s.Score > u.Score && s.Valid)
        return ekSjis;
    if (u.Score > e.Score && u.Score > s.Score && u.Valid)
        return ekUtf8;
    return ekDefault;
}

EncodingKind DetectFileEncoding(const QString &path)
{
    return DetectEncoding(ReadFirstBytes(path));
}

QString GetFileEncodingName(const QString &path)
{
    return EncodingKindName(DetectFileEncoding(path));
}

QString DecodeText(const QByteArray &bytes, EncodingKind kind)
{
    switch (kind) {
    case ekEuc: return DecodeEucJp(bytes);
    case ekJis: return DecodeJis(bytes);
    case ekUtf16LE: return DecodeWithQt(QStringConverter::Utf16LE, WithoutMark(bytes, kind));
    case ekUtf16BE: return DecodeWithQt(QStringConverter::Utf16BE, WithoutMark(bytes, kind));
    case ekUtf8: return DecodeWithQt(QStringConverter::Utf8, bytes);
    case ekUtf8Bom: return DecodeWithQt(QStringConverter::Utf8, WithoutMark(bytes, kind));
    case ekUtf32LE: return Ucs4Encoding{false, true}.GetChars(WithoutMark(bytes, kind));
    case ekUtf32BE: return Ucs4Encoding{true, true}.GetChars(WithoutMark(bytes, kind));
    default: return DecodeCp932(bytes);  // Shift_JIS is also the ANSI code page
    }
}

bool ReadTextFile(const QString &path, QString &text, EncodingKind *detected)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return false;
    const EncodingKind kind = DetectEncoding(bytes);
    text = DecodeText(bytes, kind);
    if (detected != nullptr)
        *detected = kind;
    return true;
}

QStringList SplitTextLines(const QString &text)
{
    QStringList lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c != u'\r' && c != u'\n')
            continue;
        lines += text.mid(start, i - start);
        if (c == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n')
            ++i;
        start = i + 1;
    }
    if (start < text.size())
        lines += text.mid(start);
    return lines;
}

} // namespace ov
