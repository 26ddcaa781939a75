#include "executor/OVStrFunc.h"

#include "executor/OVDisplayWidth.h"
#include "executor/OVStack.h"
#include "language/OVStrTbl.h"
#include "platform/OVNumberBits.h"
#include "platform/OVTextEncoding.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstring>
#include <initializer_list>
#include <iconv.h>

// Each handler checks the types of its arguments on the value stack first and
// leaves them in place when one is wrong; otherwise it pops them, checks
// their values and pushes one result, or sets an error and pushes nothing.
//
// Counts and positions are compared as numbers before they are converted, so
// no argument, however large, wraps around or overflows an integer.
//
// LEN, LEFT$, RIGHT$ and MID$ count characters: a high surrogate followed by
// a low one is one character, any other unit is one. INSTR, REPLACE$ and
// SPLIT$ work on UTF-16 units.

namespace ov {

namespace {

// Limits of the width conversions (units of the argument).
constexpr qsizetype kFullWidthLimit = 2049;
constexpr qsizetype kOtherMapLimit = 4098;
constexpr long double kSpaceLimit = 1024;
constexpr qsizetype kStringCountCap = 255;
// Counts beyond any string length; clamping to it keeps sums exact.
constexpr long double kCountClamp = 0x1p53L;
// Numbers whose truncation no longer fits a 64-bit integer.
constexpr long double kInt64Limit = 0x1p63L;

// ---------------------------------------------------------------- arguments

// True when the entries on top of the value stack carry these tags, the
// deepest first.
bool ArgumentsAre(std::initializer_list<int32_t> tags)
{
    const auto count = int(tags.size());
    if (TagStackTop < count)
        return false;
    int depth = TagStackTop - count + 1;
    for (const int32_t tag : tags) {
        if (TagStack[size_t(depth++)] != tag)
            return false;
    }
    return true;
}

// truncate(x) limited to +-2^53: beyond every length, and exact in 64 bits.
// Read from the number's bits where it lies (no infinity or NaN reaches a
// program).
qsizetype ClampedCount(const long double &x)
{
    const NumberBits b = BitsOf(x);
    if (b.Exponent >= 53)
        return b.Negative ? -qsizetype(kCountClamp) : qsizetype(kCountClamp);
    const auto magnitude = qsizetype(b.Exponent < 0 ? 0 : b.Mantissa >> (63 - b.Exponent));
    return b.Negative ? -magnitude : magnitude;
}

// The low `bits` bits of truncate(x), as a two's-complement integer would
// hold them; exact for every finite x.
uint32_t LowBits(long double x, int bits)
{
    const long double modulus = std::ldexp(1.0L, bits);
    long double r = std::fmod(std::trunc(x), modulus);
    if (r < 0)
        r += modulus;
    return uint32_t(r);
}

bool FitsInt64(long double x)
{
    return std::fabs(std::trunc(x)) < kInt64Limit;
}

// ---------------------------------------------------------------- characters

inline bool IsPairAt(QStringView s, qsizetype i)
{
    return i + 1 < s.size() && s[i].isHighSurrogate() && s[i + 1].isLowSurrogate();
}

// Four units at a time: the scans below read four units as one 64-bit word
// and test its four 16-bit lanes at once.
constexpr uint64_t kLaneOnes = 0x0001000100010001ULL;
constexpr uint64_t kLaneHighs = 0x8000800080008000ULL;

inline uint64_t FourUnits(const char16_t *units)
{
    uint64_t w = 0;
    std::memcpy(&w, units, sizeof w);
    return w;
}

// The top bit of every lane of x that is zero. A borrow can mark a lane
// above a zero lane too, never below one: the lowest mark is exact.
inline uint64_t ZeroLanes(uint64_t x)
{
    return (x - kLaneOnes) & ~x & kLaneHighs;
}

// True when one of the four units packed in w is a surrogate: each unit is
// masked to its top five bits and compared with the surrogate range.
inline bool AnySurrogateIn4(uint64_t w)
{
    constexpr uint64_t kTopBits = 0xF800F800F800F800ULL;
    constexpr uint64_t kSurrogates = 0xD800D800D800D800ULL;
    return ZeroLanes((w & kTopBits) ^ kSurrogates) != 0;
}

// The offset of the first surrogate unit of s, or its size when it has none:
// up to there every unit is a character of its own.
qsizetype FirstSurrogate(QStringView s)
{
    const char16_t *units = s.utf16();
    const qsizetype size = s.size();
    qsizetype i = 0;
    for (; i + 4 <= size; i += 4) {
        if (AnySurrogateIn4(FourUnits(units + i)))
            break;
    }
    for (; i < size; ++i) {
        if ((units[i] & 0xF800) == 0xD800)
            return i;
    }
    return size;
}

qsizetype CharCount(QStringView s)
{
    qsizetype i = FirstSurrogate(s);
    qsizetype count = i;
    for (; i < s.size(); i += IsPairAt(s, i) ? 2 : 1)
        ++count;
    return count;
}

// The unit offset reached from `from` after `chars` characters (the end of s
// when it has fewer).
qsizetype AdvanceChars(QStringView s, qsizetype from, qsizetype chars)
{
    // Only the units that the characters could take are looked at.
    const qsizetype window = std::min(std::max(chars, qsizetype(0)), s.size() - from);
    const qsizetype plain = FirstSurrogate(s.sliced(from, window));
    if (plain == window)
        return from + window;
    qsizetype i = from + plain;
    chars -= plain;
    for (; chars > 0 && i < s.size(); --chars)
        i += IsPairAt(s, i) ? 2 : 1;
    return i;
}

// The units [begin, end) of `take` characters after the first `skip`
// characters of s (both counts at least 0). One scan when no surrogate lies
// within their reach, where characters are units.
void CharSlice(QStringView s, qsizetype skip, qsizetype take, qsizetype &begin, qsizetype &end)
{
    const qsizetype reach = std::min(skip + take, s.size());
    if (FirstSurrogate(s.first(reach)) == reach) {
        begin = std::min(skip, s.size());
        end = reach;
        return;
    }
    begin = AdvanceChars(s, 0, skip);
    end = AdvanceChars(s, begin, take);
}

// A string argument on the value stack, `depth` strings below the top, in
// place (its tag has been checked).
inline QString &TopString(int depth = 0)
{
    return StrStack[size_t(StrStackTop - depth)];
}

// Drops that string argument from the top of the value stack.
inline void DropString()
{
    StrStack[size_t(StrStackTop--)] = QString();
    --TagStackTop;
}

// A number argument in place, `depth` numbers below the top; and the
// dropping of the numbers on top.
inline const long double &TopNumber(int depth = 0)
{
    return NumStack[size_t(NumStackTop - depth)];
}
inline void DropNumbers(int count)
{
    NumStackTop -= count;
    TagStackTop -= count;
}

// Replaces s with n of its units from `from`. The units go into the spare
// buffer of the value stack, and s, when no one else holds it, becomes the
// next spare: a loop of slices does not allocate a string each time.
void KeepUnits(QString &s, qsizetype from, qsizetype n)
{
    if (from == 0 && n == s.size())
        return;
    QString part = TakeSpareString();
    part.resize(n);
    std::copy_n(s.constData() + from, n, part.data());
    s.swap(part);
    KeepSpareString(std::move(part));
}

// The offset of the first unit c among units [from, end), else end.
qsizetype FindUnit(const char16_t *units, qsizetype from, qsizetype end, char16_t c)
{
    const uint64_t pattern = kLaneOnes * c;
    qsizetype i = from;
    for (; i + 4 <= end; i += 4) {
        if (const uint64_t zero = ZeroLanes(FourUnits(units + i) ^ pattern))
            return i + std::countr_zero(zero) / 16;
    }
    while (i < end && units[i] != c)
        ++i;
    return i;
}

// Unit by unit: the library's comparison costs more to call than the short
// texts programs search take to compare.
bool SameUnits(const char16_t *a, const char16_t *b, qsizetype n)
{
    for (qsizetype i = 0; i < n; ++i) {
        if (a[i] != b[i])
            return false;
    }
    return true;
}

// The 1-based unit position of t in s from unit offset `from`, 0 when absent.
// An empty t is never found, so a SPLIT$ loop on an empty delimiter ends.
qsizetype FindUnits(QStringView s, QStringView t, qsizetype from = 0)
{
    const qsizetype m = t.size();
    if (m == 0 || from >= s.size() || m > s.size() - from)
        return 0;
    // A plain search by the first unit: faster than the library's on the
    // short strings programs search.
    const char16_t *text = s.utf16();
    const char16_t *needle = t.utf16();
    const qsizetype end = s.size() - m + 1;  // past the last place t may start
    for (qsizetype i = FindUnit(text, from, end, needle[0]); i < end; i = FindUnit(text, i + 1, end, needle[0])) {
        if (SameUnits(needle + 1, text + i + 1, m - 1))
            return i + 1;
    }
    return 0;
}

// ---------------------------------------------------------------- code page 932

// The first byte of the character that starts s (a surrogate pair taken as
// one) in code page 932, and "?" for one that the code page lacks, as
// Windows substitutes it.
uint8_t FirstAnsiByte(const QString &s)
{
    const char16_t first = s.front().unicode();
    if (first < 0x80)
        return uint8_t(first);
    switch (first) {  // the single bytes that glibc's CP932 lacks
    case 0x0080: return 0x80;
    case 0xF8F0: return 0xA0;
    case 0xF8F1: return 0xFD;
    case 0xF8F2: return 0xFE;
    case 0xF8F3: return 0xFF;
    default: break;
    }
    iconv_t cd = iconv_open("CP932", "UTF-16LE");
    if (cd == iconv_t(-1))
        return '?';
    char input[4];
    const qsizetype units = IsPairAt(s, 0) ? 2 : 1;
    for (qsizetype i = 0; i < units; ++i) {
        input[2 * i] = char(s[i].unicode() & 0xFF);
        input[2 * i + 1] = char(s[i].unicode() >> 8);
    }
    char output[8];
    char *in = input;
    char *out = output;
    size_t inLeft = size_t(2 * units);
    size_t outLeft = sizeof output;
    const size_t result = iconv(cd, &in, &inLeft, &out, &outLeft);
    iconv_close(cd);
    return result == size_t(-1) || out == output ? uint8_t('?') : uint8_t(output[0]);
}

// ---------------------------------------------------------------- codes

// ASC, ASCW, ASCU, ISSURROGATE: one non-empty string.
bool PopNonEmptyString(int32_t subject, QString &s)
{
    if (!ArgumentsAre({tagString}) || StrStack[size_t(StrStackTop)].isEmpty()) {
        SetError(50011, subject);
        return false;
    }
    s = PopString();
    return true;
}

void FnAsc()
{
    QString s;
    if (PopNonEmptyString(fnASC, s))
        PushNumber(FirstAnsiByte(s));
}

void FnAscW()
{
    QString s;
    if (PopNonEmptyString(fnASCW, s))
        PushNumber(s.front().unicode());
}

// A surrogate pair gives the code point it encodes; any other first unit,
// a lone surrogate included, gives itself.
void FnAscU()
{
    QString s;
    if (PopNonEmptyString(fnASCU, s))
        PushNumber(IsPairAt(s, 0) ? QChar::surrogateToUcs4(s[0], s[1]) : s.front().unicode());
}

void FnIsSurrogate()
{
    QString s;
    if (PopNonEmptyString(fnISSURROGATE, s))
        PushBool(s.front().isSurrogate());
}

void FnChr()
{
    if (!ArgumentsAre({tagNumber})) {
        SetError(50011, fnCHR_STR);
        return;
    }
    const long double n = PopNumber();
    if (!FitsInt64(n)) {
        SetError(50012, fnCHR_STR);
        return;
    }
    PushString(DecodeText(QByteArray(1, char(LowBits(n, 8))), ekDefault));
}

void FnChrW()
{
    if (!ArgumentsAre({tagNumber})) {
        SetError(50011, fnCHRW);
        return;
    }
    const long double n = PopNumber();
    if (!FitsInt64(n)) {
        SetError(50012, fnCHRW);
        return;
    }
    PushString(QString(QChar(char16_t(LowBits(n, 16)))));
}

// A code point outside 0 to 10FFFF is refused rather than built into units
// that encode nothing.
void FnChrU()
{
    if (!ArgumentsAre({tagNumber})) {
        SetError(50011, fnCHRU);
        return;
    }
    const long double c = std::trunc(PopNumber());
    if (c < 0 || c > 0x10FFFF) {
        SetError(50012, fnCHRU);
        return;
    }
    const auto cp = char32_t(c);
    const QChar pair[] = {QChar(QChar::highSurrogate(cp)), QChar(QChar::lowSurrogate(cp))};
    PushString(QChar::requiresSurrogates(cp) ? QString(pair, 2) : QString(QChar(char16_t(cp))));
}

// ---------------------------------------------------------------- conversions

// One string mapped by LCMapText when it has at most `limit` units.
void MapOne(int32_t subject, uint32_t flags, qsizetype limit)
{
    if (!ArgumentsAre({tagString})) {
        SetError(50011, subject);
        return;
    }
    const QString s = PopString();
    if (s.size() > limit) {
        SetError(54120, subject);
        return;
    }
    PushString(LCMapText(s, flags));
}

void FnAkcnv() { MapOne(fnAKCNV_STR, lcmFullWidth, kFullWidthLimit); }
void FnKacnv() { MapOne(fnKACNV_STR, lcmHalfWidth, kOtherMapLimit); }

// STRCONV(s, mode): 1 upper case, 2 lower case, 4 full width, 8 half width,
// 16 katakana, 32 hiragana; every other mode, 3 (proper case) included, is
// refused.
void FnStrConv()
{
    if (!ArgumentsAre({tagString, tagNumber})) {
        SetError(50011, fnSTRCONV);
        return;
    }
    const long double rawMode = PopNumber();
    const QString s = PopString();
    const int mode = rawMode > -1 && rawMode < 33 ? int(std::trunc(rawMode)) : -1;
    uint32_t flags = 0;
    qsizetype limit = kOtherMapLimit;
    switch (mode) {
    case 1: flags = lcmUpperCase; limit = s.size(); break;
    case 2: flags = lcmLowerCase; limit = s.size(); break;
    case 4: flags = lcmFullWidth; limit = kFullWidthLimit; break;
    case 8: flags = lcmHalfWidth; break;
    case 16: flags = lcmKatakana; break;
    case 32: flags = lcmHiragana; break;
    default: SetError(50012, fnSTRCONV); return;
    }
    if (s.size() > limit) {
        SetError(54120, fnSTRCONV);
        return;
    }
    PushString(LCMapText(s, flags));
}

QString Normalized(const QString &s, int form)
{
    QString result;
    return NormalizeText(s, result, form) ? result : s;
}

void FnNormalize()
{
    if (!ArgumentsAre({tagString})) {
        SetError(50011, fnNORMALIZE);
        return;
    }
    PushString(Normalized(PopString(), nfC));
}

// NORMALIZE(s, form): form NFC, NFD, NFKC or NFKD in any case; any other
// name leaves s as it is.
void FnNormalizeForm()
{
    if (!ArgumentsAre({tagString, tagString})) {
        SetError(50011, fnNORMALIZE);
        return;
    }
    const QString name = LCMapText(PopString(), lcmUpperCase);
    const QString s = PopString();
    int form = nfNone;
    if (name == u"NFC")
        form = nfC;
    else if (name == u"NFD")
        form = nfD;
    else if (name == u"NFKC")
        form = nfKC;
    else if (name == u"NFKD")
        form = nfKD;
    PushString(Normalized(s, form));
}

// LCASE$, UCASE$, LTRIM$, RTRIM$, TRIM$. Trimming removes units up to
// U+0020 (blanks and control characters); the full-width blank stays.
void FnCaseTrim(int32_t f)
{
    if (!ArgumentsAre({tagString})) {
        SetError(50011, f);
        return;
    }
    QString s = PopString();
    if (f == fnLCASE_STR || f == fnUCASE_STR) {
        PushString(LCMapText(s, f == fnUCASE_STR ? lcmUpperCase : lcmLowerCase));
        return;
    }
    qsizetype first = 0;
    qsizetype end = s.size();
    if (f != fnRTRIM_STR) {
        while (first < end && s[first].unicode() <= 0x20)
            ++first;
    }
    if (f != fnLTRIM_STR) {
        while (end > first && s[end - 1].unicode() <= 0x20)
            --end;
    }
    PushString(first == 0 && end == s.size() ? std::move(s) : s.mid(first, end - first));
}

// ---------------------------------------------------------------- extraction

// The extraction functions read their string argument where it lies on the
// value stack and leave the result in its place: no copy of the argument,
// and no new string when the result is the whole of it.

void FnLen()
{
    if (!ArgumentsAre({tagString})) {
        SetError(50011, fnLEN);
        return;
    }
    const qsizetype count = CharCount(TopString());
    DropString();
    PushNumber(count);
}

// The string and count of LEFT$ and RIGHT$: pops the count and leaves the
// string on top; false after 50011 (wrong arguments) or 54093 (a negative
// count, the string dropped).
bool PopSliceCount(int32_t function, qsizetype &n)
{
    if (!ArgumentsAre({tagString, tagNumber})) {
        SetError(50011, function);
        return false;
    }
    const bool negative = IsBelowZero(TopNumber());
    n = ClampedCount(TopNumber());
    DropNumbers(1);
    if (negative) {
        DropString();
        SetError(54093);
        return false;
    }
    return true;
}

void FnLeft()
{
    qsizetype n;
    if (!PopSliceCount(fnLEFT_STR, n))
        return;
    QString &s = TopString();
    KeepUnits(s, 0, AdvanceChars(s, 0, n));
}

void FnRight()
{
    qsizetype n;
    if (!PopSliceCount(fnRIGHT_STR, n))
        return;
    QString &s = TopString();
    const qsizetype skip = CharCount(s) - n;
    if (skip > 0) {
        const qsizetype from = AdvanceChars(s, 0, skip);
        KeepUnits(s, from, s.size() - from);
    }
}

// MID$(s, start, len): len characters from character number start; empty
// when start lies past the end (or truncates to 0).
void FnMid()
{
    if (!ArgumentsAre({tagString, tagNumber, tagNumber})) {
        SetError(50011, fnMID_STR);
        return;
    }
    const bool outside = !IsAboveZero(TopNumber(1)) || IsBelowZero(TopNumber());
    const qsizetype first = ClampedCount(TopNumber(1));
    const qsizetype length = ClampedCount(TopNumber());
    DropNumbers(2);
    if (outside) {
        DropString();
        SetError(54093);
        return;
    }
    QString &s = TopString();
    qsizetype begin = s.size();
    qsizetype end = begin;
    if (first >= 1)
        CharSlice(s, first - 1, length, begin, end);
    // Past the end when the characters before `first` take the whole string.
    if (begin >= s.size()) {
        s = QString();
        return;
    }
    KeepUnits(s, begin, end - begin);
}

// INSTR(n, s, t): the unit position of t within the tail of s that starts
// at unit n (the position counts from the start of that tail).
void FnInstr()
{
    if (!ArgumentsAre({tagNumber, tagString, tagString})) {
        SetError(50011, fnINSTR);
        return;
    }
    const QString &t = TopString();
    const QString &s = TopString(1);
    // Any start below 1 is the first unit.
    const qsizetype from = std::max(ClampedCount(TopNumber()), qsizetype(1)) - 1;
    const qsizetype found = from >= s.size() ? 0 : FindUnits(s, t, from);
    DropString();
    DropString();
    DropNumbers(1);
    PushNumber(found == 0 ? 0 : found - from);
}

void FnReplace()
{
    if (!ArgumentsAre({tagString, tagString, tagString})) {
        SetError(50011, fnREPLACE_STR);
        return;
    }
    const QString replacement = PopString();
    const QString old = PopString();
    QString s = PopString();
    if (!old.isEmpty()) {
        if (replacement.size() > old.size()) {
            const qsizetype growth = s.count(old, Qt::CaseSensitive) * (replacement.size() - old.size());
            if (growth > StringLengthLimit - s.size()) {
                SetError(30101);
                return;
            }
        }
        s.replace(old, replacement, Qt::CaseSensitive);
    }
    PushString(std::move(s));
}

// SPLIT$(s, d) with the hidden index of the string variable written as s
// deepest: the head of s before the first d; the variable keeps the text
// after that d, or becomes empty when s has no d. Only a plain string
// variable is written (not an array element nor a function's result).
void FnSplit()
{
    if (!ArgumentsAre({tagNumber, tagString, tagString})) {
        SetError(50011, fnSPLIT_STR);
        return;
    }
    const QString d = PopString();
    QString s = PopString();
    const long double index = PopNumber();
    const qsizetype p = FindUnits(s, d);
    QString rest = p == 0 ? QString() : s.mid(p - 1 + d.size());
    if (p != 0)
        s.truncate(p - 1);
    if (index >= 1 && index <= StrVarCount && size_t(index) < StrVars.size()) {
        StrVarType &record = StrVars[size_t(index)];
        if (record.Kind == svSimple)
            record.Value = std::move(rest);
    }
    PushString(std::move(s));
}

// ---------------------------------------------------------------- repeats

// SPACE$(n), SPC(n): |n| blanks, at most 1024.
void FnSpace()
{
    if (!ArgumentsAre({tagNumber})) {
        SetError(50011, fnSPACE_STR);
        return;
    }
    const long double n = std::fabs(PopNumber());
    if (n > kSpaceLimit) {
        SetError(1026);
        return;
    }
    PushString(QString(qsizetype(n), QChar(u' ')));
}

// STRING$(count, c): c repeated, at most 255 times; c a number is one unit
// (the low 16 bits of its integer part), c a string the whole string.
void FnString()
{
    const bool numeric = ArgumentsAre({tagNumber, tagNumber});
    if (!numeric && !ArgumentsAre({tagNumber, tagString})) {
        SetError(50011, fnSTRING_STR);
        return;
    }
    QString unit;
    long double code = 0;
    if (numeric)
        code = PopNumber();
    else
        unit = PopString();
    const long double count = PopNumber();
    if (!FitsInt64(count) || (numeric && !FitsInt64(code))) {
        SetError(50012, fnSTRING_STR);
        return;
    }
    if (numeric)
        unit = QChar(char16_t(LowBits(code, 16)));
    const qsizetype times = std::min(std::max(ClampedCount(count), qsizetype(0)), kStringCountCap);
    if (unit.size() > StringLengthLimit / std::max(times, qsizetype(1))) {
        SetError(30101);
        return;
    }
    PushString(unit.repeated(times));
}

// ---------------------------------------------------------------- dispatch

using Handler = void (*)();

// The handlers by function number, and NORMALIZE with its form after the
// last function: a function of another group costs the dispatch one look-up
// (and no handler is built into the dispatch, which would then set up its
// frame for every call).
constexpr size_t kNormalizeFormSlot = FunctionCount + 1;

struct HandlerEntry {
    size_t Slot;
    Handler Run;
};

constexpr HandlerEntry kHandlerEntries[] = {
    {fnAKCNV_STR, FnAkcnv}, {fnASC, FnAsc}, {fnASCU, FnAscU}, {fnASCW, FnAscW}, {fnCHR, FnChr},
    {fnCHR_STR, FnChr}, {fnCHRU, FnChrU}, {fnCHRW, FnChrW}, {fnISSURROGATE, FnIsSurrogate},
    {fnKACNV_STR, FnKacnv}, {fnINSTR, FnInstr}, {fnKINSTR, FnInstr}, {fnLEFT_STR, FnLeft},
    {fnKLEFT_STR, FnLeft}, {fnLEN, FnLen}, {fnKLEN, FnLen}, {fnMID_STR, FnMid}, {fnKMID_STR, FnMid},
    {fnRIGHT_STR, FnRight}, {fnKRIGHT_STR, FnRight}, {fnNORMALIZE, FnNormalize},
    {kNormalizeFormSlot, FnNormalizeForm}, {fnREPLACE_STR, FnReplace}, {fnSPACE_STR, FnSpace},
    {fnSPC, FnSpace}, {fnSPLIT_STR, FnSplit}, {fnSTRCONV, FnStrConv}, {fnSTRING_STR, FnString},
    {fnLCASE_STR, [] { FnCaseTrim(fnLCASE_STR); }}, {fnUCASE_STR, [] { FnCaseTrim(fnUCASE_STR); }},
    {fnLTRIM_STR, [] { FnCaseTrim(fnLTRIM_STR); }}, {fnRTRIM_STR, [] { FnCaseTrim(fnRTRIM_STR); }},
    {fnTRIM_STR, [] { FnCaseTrim(fnTRIM_STR); }},
};

constexpr auto kHandlers = [] {
    std::array<Handler, kNormalizeFormSlot + 1> table{};
    for (const HandlerEntry &entry : kHandlerEntries)
        table[entry.Slot] = entry.Run;
    return table;
}();

} // namespace

bool DispatchStringFunction(int32_t f)
{
    size_t slot = 0;  // no handler
    if (f >= 0 && f <= FunctionCount)
        slot = size_t(f);
    else if (f == OneMoreArgBase + fnNORMALIZE)
        slot = kNormalizeFormSlot;
    if (kHandlers[slot] == nullptr)
        return false;
    kHandlers[slot]();
    return true;
}

} // namespace ov
