#include "platform/OVTextEncoding.h"

#include "platform/OVSafeSave.h"
#include "platform/UCS4Encoding.h"

#include <QFile>
#include <QStringDecoder>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <iconv.h>
#include <utility>
#include <unistd.h>

namespace ov {

namespace {

constexpr char16_t kReplacement = 0xFFFD;
constexpr uchar kEsc = 0x1B;
// The bytes a file's detection reads at a time.
constexpr qint64 DetectionBlockBytes = 64 * 1024;

bool StartsWith(QByteArrayView bytes, const char *mark, qsizetype length)
{
    return bytes.size() >= length && std::memcmp(bytes.data(), mark, size_t(length)) == 0;
}

// ---------------------------------------------------------------- detection

EncodingKind ByteOrderMark(QByteArrayView bytes)
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

// The index of the first byte above 127, or n; eight bytes at a time, as a
// long seven-bit text is searched to its end.
qsizetype FirstEightBit(const uchar *b, qsizetype n)
{
    qsizetype i = 0;
    for (uint64_t word = 0; i + 8 <= n; i += 8) {
        std::memcpy(&word, b + i, sizeof word);
        if ((word & 0x8080808080808080u) != 0)
            break;
    }
    while (i < n && b[i] <= 127)
        ++i;
    return i;
}

// The JIS escape sequences; none is longer than this.
const char *const JisSequences[] = {
    "\x1B(B", "\x1B(J", "\x1B(I", "\x1B$@", "\x1B$B", "\x1B$(D", "\x1B&@\x1B$B",
};
constexpr qsizetype LongestJisSequence = 6;

// Seven-bit text with a JIS escape sequence before any byte above 127.
bool IsJis(const uchar *b, qsizetype n)
{
    const qsizetype end = FirstEightBit(b, n);
    for (const uchar *p = b; p < b + end; ++p) {
        p = static_cast<const uchar *>(std::memchr(p, kEsc, size_t(b + end - p)));
        if (p == nullptr)
            return false;
        for (const char *sequence : JisSequences) {
            if (MatchesAt(b, end, p - b, sequence))
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
// sequence) reads as `rejected` gives it and decoding goes on after it. With
// `unfinished`, a character cut off at the end is left undecoded instead and
// its length stored there.
QString DecodeWithIconv(const char *codec, QByteArrayView bytes, RejectedByte rejected,
                        qsizetype *unfinished = nullptr)
{
    // Both Japanese codecs read seven-bit bytes as ASCII: plain text needs no converter.
    if (std::all_of(bytes.begin(), bytes.end(), [](char c) { return uchar(c) < 0x80; }))
        return QString::fromLatin1(bytes);
    if (unfinished != nullptr)
        *unfinished = 0;
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
        if (error == EINVAL && unfinished != nullptr) {
            *unfinished = qsizetype(inLeft);
            break;
        }
        text += QChar(rejected(uchar(*in)));
        ++in;
        --inLeft;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    iconv_close(cd);
    return text;
}

QString DecodeCp932(QByteArrayView bytes, qsizetype *unfinished = nullptr)
{
    return DecodeWithIconv("CP932", bytes, RejectedCp932, unfinished);
}
QString DecodeEucJp(QByteArrayView bytes, qsizetype *unfinished = nullptr)
{
    return DecodeWithIconv("EUC-JP-MS", bytes, RejectedAsFffd, unfinished);
}

// The character sets ISO-2022-JP shifts between.
enum JisSet : int { jsAscii, jsKanji, jsSupplement, jsKana };

struct JisEscape {
    const char *Sequence;
    int Target;  // -1: announces the 1990 edition and shifts nothing
};

constexpr JisEscape JisEscapes[] = {
    {"\x1B(B", jsAscii}, {"\x1B(J", jsAscii}, {"\x1B(I", jsKana},
    {"\x1B$@", jsKanji}, {"\x1B$B", jsKanji}, {"\x1B$(D", jsSupplement}, {"\x1B&@", -1},
};

// True when the bytes from i to the end are the start of an escape sequence.
bool CutEscape(const uchar *b, qsizetype n, qsizetype i)
{
    for (const JisEscape &escape : JisEscapes) {
        const auto length = qsizetype(std::strlen(escape.Sequence));
        if (n - i < length && std::memcmp(b + i, escape.Sequence, size_t(n - i)) == 0)
            return true;
    }
    return false;
}

// ISO-2022-JP with its Japanese extensions: JIS X 0208 (ESC $ B, ESC $ @)
// and JIS X 0212 (ESC $ ( D) through EUC-JP, ASCII and JIS-Roman (ESC ( B,
// ESC ( J), half-width katakana (ESC ( I, or SO ... SI). The shift state
// starts from and is left in `set` and `shiftedOut`; with `unfinished`, an
// escape sequence or a double-byte character cut off at the end is left
// undecoded and its length stored there.
QString DecodeJis(QByteArrayView bytes, int &set, bool &shiftedOut, qsizetype *unfinished = nullptr)
{
    const auto *b = reinterpret_cast<const uchar *>(bytes.data());
    const qsizetype n = bytes.size();
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
        const bool doubleByte = !shiftedOut && (set == jsKanji || set == jsSupplement);
        if (unfinished != nullptr
            && ((c == kEsc && CutEscape(b, n, i)) || (doubleByte && isGraphic(c) && i + 1 == n))) {
            *unfinished = n - i;
            break;
        }
        if (c == kEsc) {
            flush();
            qsizetype step = 0;
            for (const JisEscape &escape : JisEscapes) {
                if (MatchesAt(b, n, i, escape.Sequence)) {
                    if (escape.Target >= 0)
                        set = escape.Target;
                    step = qsizetype(std::strlen(escape.Sequence));
                    break;
                }
            }
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
        if (doubleByte && isGraphic(c)) {
            if (i + 1 < n && isGraphic(b[i + 1])) {
                if (set == jsSupplement)
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
        else if ((shiftedOut || set == jsKana) && isGraphic(c))
            text += QChar(c <= 0x5F ? char16_t(0xFF61 + c - 0x21) : kReplacement);
        else
            text += QChar(char16_t(c));
        ++i;
    }
    flush();
    return text;
}

// ---------------------------------------------------------------- encoders

constexpr char kUnheld = '?';  // written for a character the encoding cannot hold

// The number of UTF-16 units of the character at i: 2 for a surrogate pair.
qsizetype UnitsAt(QStringView text, qsizetype i)
{
    return text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate() ? 2 : 1;
}

// Encodes with glibc iconv from UTF-16LE; a character the codec rejects
// (a surrogate pair being one character) is written as "?". `special` may
// give bytes for a unit before the codec sees it, returning false when it
// has none.
using SpecialUnit = bool (*)(char16_t, char &);

bool NoSpecialUnit(char16_t, char &) { return false; }

// Windows' single bytes of code page 932 that glibc's CP932 lacks, the
// reverse of RejectedCp932.
bool SpecialCp932(char16_t unit, char &byte)
{
    switch (unit) {
    case 0x0080: byte = char(0x80); return true;
    case 0xF8F0: byte = char(0xA0); return true;
    case 0xF8F1: byte = char(0xFD); return true;
    case 0xF8F2: byte = char(0xFE); return true;
    case 0xF8F3: byte = char(0xFF); return true;
    default: return false;
    }
}

class IconvEncoder {
public:
    explicit IconvEncoder(const char *codec) : cd_(iconv_open(codec, "UTF-16LE")) {}
    ~IconvEncoder()
    {
        if (Valid())
            iconv_close(cd_);
    }
    IconvEncoder(const IconvEncoder &) = delete;
    IconvEncoder &operator=(const IconvEncoder &) = delete;

    bool Valid() const { return cd_ != iconv_t(-1); }

    // Appends the bytes of one character (one unit, or a surrogate pair);
    // false when the codec cannot hold it, and nothing is appended then.
    bool Append(QStringView character, QByteArray &out)
    {
        char units[4];
        for (qsizetype k = 0; k < character.size(); ++k) {
            units[2 * k] = char(character[k].unicode() & 0xFF);
            units[2 * k + 1] = char(character[k].unicode() >> 8);
        }
        char *in = units;
        size_t inLeft = size_t(character.size()) * 2;
        char buffer[32];
        char *outPos = buffer;
        size_t outLeft = sizeof buffer;
        if (iconv(cd_, &in, &inLeft, &outPos, &outLeft) == size_t(-1) || inLeft != 0) {
            iconv(cd_, nullptr, nullptr, nullptr, nullptr);
            return false;
        }
        out.append(buffer, outPos - buffer);
        return true;
    }

    // Appends what returns a stateful codec to its initial state.
    void Finish(QByteArray &out)
    {
        char buffer[32];
        char *outPos = buffer;
        size_t outLeft = sizeof buffer;
        iconv(cd_, nullptr, nullptr, &outPos, &outLeft);
        out.append(buffer, outPos - buffer);
    }

private:
    iconv_t cd_;
};

QByteArray EncodeWithIconv(const char *codec, QStringView text, SpecialUnit special)
{
    QByteArray bytes;
    bytes.reserve(text.size() * 2);
    IconvEncoder encoder(codec);
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype units = UnitsAt(text, i);
        char byte = 0;
        if (units == 1 && special(text[i].unicode(), byte))
            bytes += byte;
        else if (!encoder.Valid() || !encoder.Append(text.sliced(i, units), bytes))
            bytes += kUnheld;
        i += units;
    }
    if (encoder.Valid())
        encoder.Finish(bytes);
    return bytes;
}

// Both Japanese codecs write seven-bit characters as ASCII: plain text, as
// most data-file lines are, needs no converter.
QByteArray EncodeJapanese(const char *codec, QStringView text, SpecialUnit special)
{
    if (std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; }))
        return text.toLatin1();
    return EncodeWithIconv(codec, text, special);
}

QByteArray EncodeCp932(QStringView text) { return EncodeJapanese("CP932", text, SpecialCp932); }

// ISO-2022-JP as the decoder above reads it: seven-bit bytes, JIS X 0208
// after ESC $ B, JIS X 0212 after ESC $ ( D and half-width katakana after
// ESC ( I (kept as they are rather than widened, so that they read back
// unchanged); the text always ends in ASCII (ESC ( B). The characters come
// from EUC-JP, whose bytes are those of JIS with the high bit set.
QByteArray EncodeJis(QStringView text)
{
    enum class Set { Ascii, Kanji, Supplement, Kana };
    QByteArray bytes;
    bytes.reserve(text.size() * 2);
    IconvEncoder euc("EUC-JP-MS");
    Set set = Set::Ascii;
    auto select = [&](Set target) {
        if (set == target)
            return;
        switch (target) {
        case Set::Ascii: bytes += "\x1B(B"; break;
        case Set::Kanji: bytes += "\x1B$B"; break;
        case Set::Supplement: bytes += "\x1B$(D"; break;
        case Set::Kana: bytes += "\x1B(I"; break;
        }
        set = target;
    };
    auto full = [](char c) { return uchar(c) >= 0xA1 && uchar(c) <= 0xFE; };
    QByteArray code;
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype units = UnitsAt(text, i);
        const char16_t unit = text[i].unicode();
        i += units;
        code.clear();
        if (unit < 0x80 && units == 1) {
            select(Set::Ascii);
            bytes += char(unit);
        } else if (!euc.Valid() || !euc.Append(text.sliced(i - units, units), code)) {
            select(Set::Ascii);
            bytes += kUnheld;
        } else if (code.size() == 2 && full(code[0]) && full(code[1])) {
            select(Set::Kanji);
            bytes += char(code[0] & 0x7F);
            bytes += char(code[1] & 0x7F);
        } else if (code.size() == 2 && uchar(code[0]) == 0x8E && uchar(code[1]) >= 0xA1 && uchar(code[1]) <= 0xDF) {
            select(Set::Kana);
            bytes += char(code[1] & 0x7F);
        } else if (code.size() == 3 && uchar(code[0]) == 0x8F && full(code[1]) && full(code[2])) {
            select(Set::Supplement);
            bytes += char(code[1] & 0x7F);
            bytes += char(code[2] & 0x7F);
        } else {
            // a seven-bit stand-in (the yen sign as "\") or nothing JIS holds
            select(Set::Ascii);
            bytes += code.size() == 1 && uchar(code[0]) < 0x80 ? code[0] : kUnheld;
        }
    }
    select(Set::Ascii);
    return bytes;
}

QByteArray EncodeAscii(QStringView text)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype units = UnitsAt(text, i);
        const char16_t unit = text[i].unicode();
        bytes += units == 1 && unit < 0x80 ? char(unit) : kUnheld;
        i += units;
    }
    return bytes;
}

QString DecodeAscii(QByteArrayView bytes)
{
    QString text;
    text.reserve(bytes.size());
    for (const char c : bytes)
        text += QChar(uchar(c) < 0x80 ? char16_t(uchar(c)) : kReplacement);
    return text;
}

// UTF-16 keeps every unit, lone surrogates too.
QByteArray EncodeUtf16(QStringView text, bool bigEndian)
{
    QByteArray bytes(text.size() * 2, Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i].unicode();
        bytes[2 * i + (bigEndian ? 1 : 0)] = char(unit & 0xFF);
        bytes[2 * i + (bigEndian ? 0 : 1)] = char(unit >> 8);
    }
    return bytes;
}

// The glibc iconv name of a code page without a codec of its own here.
QByteArray IconvName(int32_t codePage)
{
    switch (codePage) {
    case 20866: return "KOI8-R";
    case 21866: return "KOI8-U";
    case 51932: return "EUC-JP";
    case 51949: return "EUC-KR";
    case 54936: return "GB18030";
    default: break;
    }
    if (codePage >= 28591 && codePage <= 28606)
        return "ISO-8859-" + QByteArray::number(codePage - 28590);
    return "CP" + QByteArray::number(codePage);
}

bool IconvKnows(const QByteArray &name)
{
    const iconv_t cd = iconv_open(name.constData(), "UTF-16LE");
    if (cd == iconv_t(-1))
        return false;
    iconv_close(cd);
    return true;
}

bool IsJisCodePage(int32_t codePage) { return codePage >= cpJis && codePage <= cpJis + 2; }

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

// The length of the bytes that end with a whole UTF-8 character: a lead byte
// among the last three whose sequence runs past the end waits for the rest.
qsizetype WholeUtf8(QByteArrayView bytes)
{
    const qsizetype n = bytes.size();
    for (qsizetype k = 1; k <= std::min<qsizetype>(3, n); ++k) {
        const auto c = uchar(bytes[n - k]);
        if ((c & 0xC0) == 0x80)
            continue;
        const qsizetype length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
        return length > k ? n - k : n;
    }
    return n;
}

// The length of the bytes that end with a whole UTF-16 character: an odd
// byte, or a high surrogate, waits for the rest.
qsizetype WholeUtf16(QByteArrayView bytes, bool bigEndian)
{
    qsizetype n = bytes.size() & ~qsizetype(1);
    if (n >= 2) {
        const auto high = uchar(bytes[n - (bigEndian ? 2 : 1)]);
        if (high >= 0xD8 && high <= 0xDB)
            n -= 2;
    }
    return n;
}

const uchar *Unsigned(QByteArrayView bytes)
{
    return reinterpret_cast<const uchar *>(bytes.data());
}

// The best-scoring valid one of Shift_JIS, EUC-JP and UTF-8; ekDefault for
// ties and for seven-bit bytes.
EncodingKind ScoredKind(QByteArrayView bytes)
{
    const uchar *b = Unsigned(bytes);
    const qsizetype n = bytes.size();
    // A scan that met a byte its encoding cannot hold is out of the contest:
    // its score up to there must neither beat nor tie a valid one (Shift_JIS
    // half-width katakana read as EUC-JP pairs until the first kanji).
    const auto score = [](const ScanResult &r) { return r.Valid ? r.Score : -1; };
    const int s = score(ScanShiftJis(b, n));
    const int e = score(ScanEucJp(b, n));
    const int u = score(ScanUtf8(b, n));
    if (e > s && e > u)
        return ekEuc;
    if (s > e && s > u)
        return ekSjis;
    // Whole, valid UTF-8 that only ties another scanner is still UTF-8: short
    // kana texts ("あいうえ") also read as valid Shift_JIS pairs of equal score.
    if (u > 0 && u >= e && u >= s)
        return ekUtf8;
    return ekDefault;
}

// The decision over one window of bytes: a byte-order mark, else JIS escape
// sequences, else the scores.
EncodingKind DetectInWindow(QByteArrayView bytes)
{
    if (bytes.isEmpty())
        return ekDefault;
    const EncodingKind marked = ByteOrderMark(bytes);
    if (marked != ekDefault)
        return marked;
    if (IsJis(Unsigned(bytes), bytes.size()))
        return ekJis;
    return ScoredKind(bytes);
}

// Detection over a text that arrives in blocks. The first DetectionLength
// bytes decide when they hold a byte above 127 or a JIS escape sequence.
// Seven-bit bytes alone decide nothing, so then the text is read on: a JIS
// escape sequence before any byte above 127 makes it JIS; otherwise the
// scores of the DetectionLength bytes from that byte on decide (seven-bit
// bytes before it are single bytes in every scanner and score nothing).
class EncodingDetector {
public:
    // Takes the next bytes of the text; true once they decide the kind.
    bool Feed(QByteArrayView bytes)
    {
        if (stage_ == Stage::Head)
            bytes = FeedHead(bytes);
        if (stage_ == Stage::SevenBit)
            bytes = FeedSevenBit(bytes);
        if (stage_ == Stage::Tail)
            FeedTail(bytes);
        return stage_ == Stage::Decided;
    }
    // The kind decided, or what the bytes taken give when the text ends there.
    EncodingKind Result() const
    {
        switch (stage_) {
        case Stage::Head: return DetectInWindow(window_);
        case Stage::Tail: return ScoredKind(window_);
        case Stage::SevenBit: return ekDefault;
        case Stage::Decided: break;
        }
        return kind_;
    }

private:
    enum class Stage { Head, SevenBit, Tail, Decided };

    // Fills `window_` up to `length` bytes; gives the rest.
    QByteArrayView Fill(QByteArrayView bytes, qsizetype length)
    {
        const qsizetype take = std::min(bytes.size(), length - window_.size());
        window_ += bytes.first(take);
        return bytes.sliced(take);
    }
    void Decide(EncodingKind kind)
    {
        kind_ = kind;
        stage_ = Stage::Decided;
        window_.clear();
    }
    QByteArrayView FeedHead(QByteArrayView bytes)
    {
        bytes = Fill(bytes, DetectionLength);
        if (window_.size() < DetectionLength)
            return {};
        const EncodingKind kind = DetectInWindow(window_);
        if (kind != ekDefault || FirstEightBit(Unsigned(window_), window_.size()) < window_.size()) {
            Decide(kind);
            return {};
        }
        stage_ = Stage::SevenBit;
        KeepEnd({});
        return bytes;
    }
    // Keeps the last bytes of the seven-bit text so far, which may begin an
    // escape sequence that the next bytes end.
    void KeepEnd(QByteArrayView bytes)
    {
        constexpr qsizetype keep = LongestJisSequence - 1;
        window_ = bytes.size() >= keep ? bytes.last(keep).toByteArray() : (window_ + bytes.toByteArray()).right(keep);
    }
    // The seven-bit text read on; `window_` holds its last bytes before these.
    QByteArrayView FeedSevenBit(QByteArrayView bytes)
    {
        const QByteArray seam = window_ + bytes.first(std::min(bytes.size(), LongestJisSequence - 1)).toByteArray();
        const qsizetype eightBit = FirstEightBit(Unsigned(bytes), bytes.size());
        if (IsJis(Unsigned(seam), seam.size()) || IsJis(Unsigned(bytes), eightBit)) {
            Decide(ekJis);
            return {};
        }
        if (eightBit == bytes.size()) {
            KeepEnd(bytes);
            return {};
        }
        stage_ = Stage::Tail;
        window_.clear();
        return bytes.sliced(eightBit);
    }
    void FeedTail(QByteArrayView bytes)
    {
        Fill(bytes, DetectionLength);
        if (window_.size() == DetectionLength)
            Decide(ScoredKind(window_));
    }

    Stage stage_ = Stage::Head;
    QByteArray window_;  // the bytes of the stage's window
    EncodingKind kind_ = ekDefault;
};

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

EncodingKind DetectEncoding(QByteArrayView text)
{
    EncodingDetector detector;
    detector.Feed(text);
    return detector.Result();
}

EncodingKind DetectFileEncoding(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return ekDefault;
    EncodingDetector detector;
    for (;;) {
        const QByteArray block = file.read(DetectionBlockBytes);
        if (block.isEmpty() || detector.Feed(block))
            return detector.Result();
    }
}

QString GetFileEncodingName(const QString &path)
{
    return EncodingKindName(DetectFileEncoding(path));
}

QString DecodeText(const QByteArray &bytes, EncodingKind kind)
{
    switch (kind) {
    case ekEuc: return DecodeEucJp(bytes);
    case ekJis: {
        int set = jsAscii;
        bool shiftedOut = false;
        return DecodeJis(bytes, set, shiftedOut);
    }
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
    if (!file.open(QIODevice::ReadOnly) || file.size() > StringLengthLimit)
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

// ---------------------------------------------------------------- encodings

EncodingKind EncodingKindOfName(const QString &name)
{
    for (int32_t kind = ekSjis; kind <= ekUtf32BE; ++kind) {
        if (name == EncodingKindName(kind))
            return EncodingKind(kind);
    }
    return ekDefault;
}

TextEncoding EncodingOfKind(int32_t kind)
{
    switch (kind) {
    case ekSjis: return {cpShiftJis, false};
    case ekEuc: return {cpEucJp, false};
    case ekJis: return {cpJis, false};
    case ekUtf16LE: return {cpUtf16LE, true};
    case ekUtf16BE: return {cpUtf16BE, true};
    case ekUtf8: return {cpUtf8, false};
    case ekUtf8Bom: return {cpUtf8, true};
    case ekUtf32LE: return {cpUtf32LE, true};
    case ekUtf32BE: return {cpUtf32BE, true};
    default: return {cpAnsi, false};
    }
}

std::optional<TextEncoding> EncodingOfCodePage(int32_t codePage)
{
    switch (codePage) {
    case 0: return TextEncoding{cpAnsi, false};
    case cpUtf16LE: case cpUtf16BE: case cpUtf32LE: case cpUtf32BE:
        return TextEncoding{codePage, true};
    case cpShiftJis: case cpEucJp: case cpUtf8: case cpAscii:
        return TextEncoding{codePage, false};
    default:
        break;
    }
    if (IsJisCodePage(codePage) || (codePage > 0 && IconvKnows(IconvName(codePage))))
        return TextEncoding{codePage, false};
    return std::nullopt;
}

TextEncoding GetEncodingByName(const QString &name)
{
    if (name == QLatin1String("ASCII"))
        return {cpAscii, false};
    // "UTF-32LE" and "UTF-32BE" too, so that a file keeps its encoding when
    // it is saved again; "Default" and unknown names are the ANSI code page.
    return EncodingOfKind(EncodingKindOfName(name));
}

TextEncoding GetFileEncoding(const QString &path)
{
    return EncodingOfKind(DetectFileEncoding(path));
}

QByteArray EncodingMark(int32_t codePage)
{
    switch (codePage) {
    case cpUtf16LE: return QByteArray("\xFF\xFE", 2);
    case cpUtf16BE: return QByteArray("\xFE\xFF", 2);
    case cpUtf32LE: return Ucs4Encoding{false, true}.Preamble();
    case cpUtf32BE: return Ucs4Encoding{true, true}.Preamble();
    case cpUtf8: return QByteArray("\xEF\xBB\xBF", 3);
    default: return {};
    }
}

QByteArray EncodeText(QStringView text, const TextEncoding &encoding)
{
    const int32_t codePage = encoding.CodePage;
    switch (codePage) {
    case 0: case cpShiftJis: return EncodeCp932(text);
    case cpEucJp: return EncodeJapanese("EUC-JP-MS", text, NoSpecialUnit);
    case cpUtf16LE: return EncodeUtf16(text, false);
    case cpUtf16BE: return EncodeUtf16(text, true);
    case cpUtf32LE: return Ucs4Encoding{false, false}.GetBytes(text);
    case cpUtf32BE: return Ucs4Encoding{true, false}.GetBytes(text);
    case cpUtf8: return text.toUtf8();  // a lone surrogate becomes "?"
    case cpAscii: return EncodeAscii(text);
    default: break;
    }
    if (IsJisCodePage(codePage))
        return EncodeJis(text);
    return EncodeWithIconv(IconvName(codePage).constData(), text, NoSpecialUnit);
}

QByteArray EncodeText(QStringView text, EncodingKind kind)
{
    return EncodeText(text, EncodingOfKind(kind));
}

QString DecodeText(const QByteArray &bytes, const TextEncoding &encoding)
{
    return BlockDecoder(encoding).Decode(bytes, true);
}

QString BlockDecoder::Decode(QByteArrayView block, bool last)
{
    QByteArray joined;
    QByteArrayView body = block;
    if (!rest_.isEmpty()) {
        joined = std::exchange(rest_, QByteArray());
        joined += block;
        body = joined;
    }
    if (atStart_) {
        const QByteArray mark = EncodingMark(encoding_.CodePage);
        if (!last && body.size() < mark.size() && mark.startsWith(body)) {  // too short to tell yet
            rest_ = body.toByteArray();
            return QString();
        }
        if (body.startsWith(mark))
            body = body.sliced(mark.size());
        atStart_ = false;
    }
    qsizetype unfinished = 0;
    qsizetype *cut = last ? nullptr : &unfinished;
    const int32_t codePage = encoding_.CodePage;
    QString text;
    switch (codePage) {
    case 0: case cpShiftJis: text = DecodeCp932(body, cut); break;
    case cpEucJp: text = DecodeEucJp(body, cut); break;
    case cpUtf16LE: case cpUtf16BE: {
        const bool bigEndian = codePage == cpUtf16BE;
        const qsizetype whole = last ? body.size() & ~qsizetype(1) : WholeUtf16(body, bigEndian);
        text = DecodeWithQt(bigEndian ? QStringConverter::Utf16BE : QStringConverter::Utf16LE, body.first(whole));
        if (last && whole < body.size())  // an odd byte at the end
            text += QChar(kReplacement);
        else
            unfinished = body.size() - whole;
        break;
    }
    case cpUtf32LE: case cpUtf32BE:
        unfinished = last ? 0 : body.size() % 4;
        text = Ucs4Encoding{codePage == cpUtf32BE, false}.GetChars(body.chopped(unfinished));
        break;
    case cpUtf8:
        unfinished = last ? 0 : body.size() - WholeUtf8(body);
        text = DecodeWithQt(QStringConverter::Utf8, body.chopped(unfinished));
        break;
    case cpAscii: text = DecodeAscii(body); break;
    default:
        if (IsJisCodePage(codePage))
            text = DecodeJis(body, jisSet_, jisShiftedOut_, cut);
        else
            text = DecodeWithIconv(IconvName(codePage).constData(), body, RejectedAsFffd, cut);
        break;
    }
    rest_ = body.last(unfinished).toByteArray();
    return text;
}

bool WriteTextFile(const QString &path, const QString &text, const TextEncoding &encoding)
{
    QByteArray bytes = encoding.WriteBom ? EncodingMark(encoding.CodePage) : QByteArray();
    bytes += EncodeText(text, encoding);
    QString error;
    return ReplaceFileKeepingBackup(path, bytes, {}, error);
}

} // namespace ov
