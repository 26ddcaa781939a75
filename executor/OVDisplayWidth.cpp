#include "executor/OVDisplayWidth.h"

#include <QLocale>

#include <array>
#include <cstdint>
#include <iterator>

namespace ov {

namespace {

struct WidthRange {
    char16_t first;
    char16_t last;
};

#include "executor/OVEastAsianWidth.inc"

// One bit per UTF-16 unit, built at compile time so that the class of a unit
// is a single lookup in 8 KB.
using UnitBits = std::array<uint64_t, 0x10000 / 64>;

constexpr UnitBits BuildBits(const WidthRange *ranges, size_t count)
{
    UnitBits bits{};
    for (size_t i = 0; i < count; ++i)
        for (uint32_t unit = ranges[i].first; unit <= ranges[i].last; ++unit)
            bits[unit >> 6] |= uint64_t(1) << (unit & 63);
    return bits;
}

constexpr UnitBits kWideBits = BuildBits(kWideRanges, std::size(kWideRanges));
constexpr UnitBits kAmbiguousBits = BuildBits(kAmbiguousRanges, std::size(kAmbiguousRanges));

// Every unit below the first ambiguous sign U+00A1 is narrow.
constexpr char16_t kFirstWideUnit = 0x00A1;
static_assert(kAmbiguousRanges[0].first == kFirstWideUnit && kWideRanges[0].first > kFirstWideUnit);

inline bool HasBit(const UnitBits &bits, char16_t unit)
{
    return (bits[unit >> 6] >> (unit & 63)) & 1;
}

// Ambiguous units are wide under an East Asian locale only: the user's
// locale (the process's default locale) is Japanese, Chinese or Korean.
// Asked on every call, so a changed default takes effect at once.
bool AmbiguousIsWide()
{
    const QLocale::Language language = QLocale().language();
    return language == QLocale::Japanese || language == QLocale::Chinese || language == QLocale::Korean;
}

} // namespace

bool IsWideChar(const QString &s)
{
    if (s.isEmpty())
        return false;
    const char16_t unit = s.front().unicode();
    return HasBit(kWideBits, unit) || (HasBit(kAmbiguousBits, unit) && AmbiguousIsWide());
}

int StrDisplayWidth(QStringView s)
{
    int width = int(s.size());
    int ambiguous = 0;
    for (const QChar c : s) {
        const char16_t unit = c.unicode();
        if (unit < kFirstWideUnit)
            continue;
        if (HasBit(kWideBits, unit))
            ++width;
        else
            ambiguous += HasBit(kAmbiguousBits, unit);
    }
    if (ambiguous > 0 && AmbiguousIsWide())
        width += ambiguous;
    return width;
}

bool IsSingleByteChar(char16_t unit)
{
    return unit < 0xD800 || unit > 0xDFFF;
}

// ---------------------------------------------------------------- normalisation

bool NormalizeText(const QString &source, QString &result, int form)
{
    result.clear();
    if (source.isEmpty())
        return true;
    QString::NormalizationForm qtForm;
    switch (form) {
    case nfC: qtForm = QString::NormalizationForm_C; break;
    case nfD: qtForm = QString::NormalizationForm_D; break;
    case nfKC: qtForm = QString::NormalizationForm_KC; break;
    case nfKD: qtForm = QString::NormalizationForm_KD; break;
    default: return false;
    }
    result = source.normalized(qtForm);
    return true;
}

// ---------------------------------------------------------------- mapping

namespace {

constexpr char16_t kHalfKanaFirst = 0xFF61;
constexpr char16_t kHalfKanaLast = 0xFF9F;
constexpr char16_t kHalfVoicedMark = 0xFF9E;
constexpr char16_t kHalfSemiVoicedMark = 0xFF9F;
constexpr char16_t kCombiningVoiced = 0x3099;
constexpr char16_t kCombiningSemiVoiced = 0x309A;
constexpr char16_t kIdeographicSpace = 0x3000;
constexpr char16_t kFullAsciiOffset = 0xFEE0;  // U+FF01..FF5E from U+0021..007E

// The full-width forms of the half-width units U+FF61 to U+FF9F.
constexpr char16_t kFullKana[] = {
    0x3002, 0x300C, 0x300D, 0x3001, 0x30FB, 0x30F2,                          // 。「」、・ヲ
    0x30A1, 0x30A3, 0x30A5, 0x30A7, 0x30A9, 0x30E3, 0x30E5, 0x30E7, 0x30C3,  // small ァ..ッ
    0x30FC,                                                                  // ー
    0x30A2, 0x30A4, 0x30A6, 0x30A8, 0x30AA, 0x30AB, 0x30AD, 0x30AF, 0x30B1, 0x30B3,  // ア..コ
    0x30B5, 0x30B7, 0x30B9, 0x30BB, 0x30BD, 0x30BF, 0x30C1, 0x30C4, 0x30C6, 0x30C8,  // サ..ト
    0x30CA, 0x30CB, 0x30CC, 0x30CD, 0x30CE, 0x30CF, 0x30D2, 0x30D5, 0x30D8, 0x30DB,  // ナ..ホ
    0x30DE, 0x30DF, 0x30E0, 0x30E1, 0x30E2, 0x30E4, 0x30E6, 0x30E8,                  // マ..ヨ
    0x30E9, 0x30EA, 0x30EB, 0x30EC, 0x30ED, 0x30EF, 0x30F3,                          // ラ..ン
    0x309B, 0x309C,                                                          // ゛゜
};
static_assert(std::size(kFullKana) == kHalfKanaLast - kHalfKanaFirst + 1);

// The half-width form of each unit U+3000 to U+30FF, 0 where there is none.
using HalfKanaTable = std::array<char16_t, 0x100>;

constexpr HalfKanaTable BuildHalfKana()
{
    HalfKanaTable table{};
    for (size_t i = 0; i < std::size(kFullKana); ++i)
        table[kFullKana[i] - 0x3000] = char16_t(kHalfKanaFirst + i);
    return table;
}

constexpr HalfKanaTable kHalfKana = BuildHalfKana();

inline char16_t HalfKana(char16_t unit)
{
    return unit >= 0x3000 && unit <= 0x30FF ? kHalfKana[unit - 0x3000] : 0;
}

// A full-width letter joined with a following half-width voiced mark, or 0
// when the two do not make one letter (ガ from カ and ﾞ, パ from ハ and ﾟ).
char16_t JoinVoiced(char16_t letter, char16_t halfMark)
{
    if (letter < 0x30A1 || letter > 0x30FA)
        return 0;
    const char16_t mark = halfMark == kHalfVoicedMark ? kCombiningVoiced : kCombiningSemiVoiced;
    const QChar pair[] = {QChar(letter), QChar(mark)};
    const QString joined = QString(pair, 2).normalized(QString::NormalizationForm_C);
    return joined.size() == 1 ? joined.front().unicode() : 0;
}

void MapFullWidth(QString &text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t u = text[i].unicode();
        if (u == 0x20) {
            out += QChar(kIdeographicSpace);
        } else if (u >= 0x21 && u <= 0x7E) {
            out += QChar(char16_t(u + kFullAsciiOffset));
        } else if (u >= kHalfKanaFirst && u <= kHalfKanaLast) {
            const char16_t full = kFullKana[u - kHalfKanaFirst];
            const char16_t next = i + 1 < text.size() ? text[i + 1].unicode() : 0;
            const char16_t joined = next == kHalfVoicedMark || next == kHalfSemiVoicedMark ? JoinVoiced(full, next) : 0;
            out += QChar(joined != 0 ? joined : full);
            i += joined != 0;
        } else {
            out += QChar(u);
        }
    }
    text = std::move(out);
}

void MapHalfWidth(QString &text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u == kIdeographicSpace) {
            out += QChar(u' ');
        } else if (u >= 0x21 + kFullAsciiOffset && u <= 0x7E + kFullAsciiOffset) {
            out += QChar(char16_t(u - kFullAsciiOffset));
        } else if (const char16_t half = HalfKana(u); half != 0) {
            out += QChar(half);
        } else if (u >= 0x30A1 && u <= 0x30FA && c.decompositionTag() == QChar::Canonical) {
            // A voiced letter: its base letter in half width and the mark.
            const QString parts = c.decomposition();
            const char16_t base = HalfKana(parts.front().unicode());
            if (parts.size() == 2 && base != 0) {
                out += QChar(base);
                out += QChar(parts[1].unicode() == kCombiningVoiced ? kHalfVoicedMark : kHalfSemiVoicedMark);
            } else {
                out += c;
            }
        } else {
            out += c;
        }
    }
    text = std::move(out);
}

// Hiragana U+3041..3096 and the iteration marks ゝゞ sit 0x60 below their
// katakana.
void MapKana(QString &text, bool toKatakana)
{
    for (QChar &c : text) {
        const char16_t u = c.unicode();
        if (toKatakana && ((u >= 0x3041 && u <= 0x3096) || u == 0x309D || u == 0x309E))
            c = QChar(char16_t(u + 0x60));
        else if (!toKatakana && ((u >= 0x30A1 && u <= 0x30F6) || u == 0x30FD || u == 0x30FE))
            c = QChar(char16_t(u - 0x60));
    }
}

// Case by code point: a surrogate pair maps as the character it encodes.
void MapCase(QString &text, bool toUpper)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t cp = text[i].unicode();
        if (QChar::isHighSurrogate(cp) && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            cp = QChar::surrogateToUcs4(char16_t(cp), text[++i].unicode());
        cp = toUpper ? QChar::toUpper(cp) : QChar::toLower(cp);
        if (QChar::requiresSurrogates(cp)) {
            out += QChar(QChar::highSurrogate(cp));
            out += QChar(QChar::lowSurrogate(cp));
        } else {
            out += QChar(char16_t(cp));
        }
    }
    text = std::move(out);
}

// The one direction of a pair of flags that was asked for: 1 the first,
// -1 the second, 0 neither or both.
int Direction(uint32_t flags, uint32_t first, uint32_t second)
{
    const bool a = flags & first;
    const bool b = flags & second;
    return a == b ? 0 : a ? 1 : -1;
}

} // namespace

QString LCMapText(const QString &source, uint32_t flags)
{
    QString text = source;
    const int width = Direction(flags, lcmFullWidth, lcmHalfWidth);
    const int kana = Direction(flags, lcmKatakana, lcmHiragana);
    const int letterCase = Direction(flags, lcmUpperCase, lcmLowerCase);
    if (width > 0)
        MapFullWidth(text);
    if (kana != 0)
        MapKana(text, kana > 0);
    if (width < 0)
        MapHalfWidth(text);
    if (letterCase != 0)
        MapCase(text, letterCase > 0);
    return text;
}

} // namespace ov
