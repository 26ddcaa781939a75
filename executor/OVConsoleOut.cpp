#include "executor/OVConsoleOut.h"

#include "executor/OVDisplayWidth.h"
#include "executor/OVStack.h"
#include "language/OVCode.h"
#include "language/OVGetTokenUnit.h"
#include "language/OVStrTbl.h"
#include "platform/OVNumberBits.h"
#include "platform/OVStringBuffer.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <string>
#include <string_view>

namespace ov {

QString OutputLine;
int OutputColumn = 0;
int PrintPrecision = 18;
int InputRestartPos = 0;
int InputRetry = 0;
QString InputReply;
int ConsoleLineCount = 0;

namespace {

// The pending line keeps a buffer up to this long for the next line.
constexpr qsizetype KeptLineRoom = 4096;

// The pending line becomes a memo line; PrintLine and PrintPrompt. The line
// leaves as a string of its own length, and the pending line keeps its
// buffer, so that a short line costs one allocation.
void FinishOutputLine(bool prompt)
{
    QString line = OutputLine.isEmpty() ? QString() : QString(OutputLine.constData(), OutputLine.size());
    if (OutputLine.capacity() <= KeptLineRoom)
        EmptyKeepingBuffer(OutputLine);
    else
        OutputLine = QString();
    OutputColumn = 0;
    QueueConsoleLine(std::move(line), prompt);
}

// ---------------------------------------------------------------- number texts

// The significant decimal digits of a magnitude and the power of ten of the
// first one (0 for zero).
struct Decimal {
    std::string Digits;
    int Exponent = 0;
};

constexpr int MaxDigits = 18;

// |x| with 18 significant digits: every text of a number starts from these,
// so rounding to fewer digits is decimal rounding of what PRINT would show
// (0.15 to one decimal is 0.2 although its binary value lies below 0.15).
Decimal ToDecimal(long double x)
{
    if (!std::isfinite(x))
        return Decimal{std::string(size_t(MaxDigits), '0'), 0};
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(x), std::chars_format::scientific,
                                      MaxDigits - 1);
    const std::string_view text(buffer, size_t(result.ptr - buffer));
    Decimal d;
    const size_t e = text.find('e');
    for (size_t i = 0; i < e; ++i) {
        if (text[i] != '.')
            d.Digits += text[i];
    }
    int exponent = 0;
    std::from_chars(text.data() + e + (text[e + 1] == '+' ? 2 : 1), text.data() + text.size(), exponent);
    d.Exponent = exponent;
    if (d.Digits.find_first_not_of('0') == std::string::npos)
        d.Exponent = 0;
    return d;
}

// Adds one to the last digit; a carry out of the first digit makes the
// number one digit longer.
void IncrementDigits(std::string &digits, int &exponent)
{
    for (size_t i = digits.size(); i-- > 0;) {
        if (digits[i] != '9') {
            ++digits[i];
            return;
        }
        digits[i] = '0';
    }
    digits.insert(digits.begin(), '1');
    ++exponent;
}

// The first `count` significant digits (1..18), rounded half away from zero.
Decimal RoundSignificant(Decimal d, int count)
{
    const size_t keep = size_t(std::clamp(count, 1, MaxDigits));
    if (keep < d.Digits.size()) {
        const bool up = d.Digits[keep] >= '5';
        d.Digits.resize(keep);
        if (up) {
            IncrementDigits(d.Digits, d.Exponent);
            d.Digits.resize(keep);
        }
    }
    return d;
}

bool IsZeroText(const std::string &digits)
{
    return digits.find_first_not_of("0.") == std::string::npos;
}

// x in fixed notation with `decimals` decimals, rounded half away from
// zero; no padding; a result of zero has no minus sign.
QString FixedText(long double x, int decimals)
{
    const Decimal d = ToDecimal(x);
    const int keep = d.Exponent + 1 + decimals;  // digits up to the last decimal
    std::string digits;                           // the number times 10^decimals
    if (keep > 0) {
        digits = d.Digits.substr(0, size_t(std::min(keep, MaxDigits)));
        int exponent = d.Exponent;
        if (keep < MaxDigits && d.Digits[size_t(keep)] >= '5')
            IncrementDigits(digits, exponent);
        if (keep > MaxDigits)
            digits.append(size_t(keep - MaxDigits), '0');
    } else if (keep == 0 && d.Digits[0] >= '5') {
        digits = "1";
    }
    if (digits.size() < size_t(decimals) + 1)
        digits.insert(0, size_t(decimals) + 1 - digits.size(), '0');
    if (decimals > 0)
        digits.insert(digits.size() - size_t(decimals), 1, '.');
    QString text;
    if (std::signbit(x) && !IsZeroText(digits))
        text += u'-';
    text += QString::fromLatin1(digits.data(), qsizetype(digits.size()));
    return text;
}

QString ExponentDigits(int exponent, bool withPlus, int minimumDigits)
{
    QString text = QString::number(std::abs(exponent));
    if (text.size() < minimumDigits)
        text.prepend(QString(minimumDigits - text.size(), u'0'));
    if (exponent < 0)
        text.prepend(u'-');
    else if (withPlus)
        text.prepend(u'+');
    return text;
}

// x in scientific notation filling `width` positions where it can: a minus
// sign when negative, one digit, a point and as many decimals as fit, "E",
// the exponent's sign and at least two digits.
QString ExponentText(long double x, int width)
{
    const Decimal d = ToDecimal(x);
    const int sign = std::signbit(x) ? 1 : 0;
    int exponentLength = 4;
    Decimal rounded;
    for (int pass = 0; pass < 2; ++pass) {
        const int decimals = std::clamp(width - sign - 2 - exponentLength, 0, MaxDigits - 1);
        rounded = RoundSignificant(d, decimals + 1);
        const int length = int(ExponentDigits(rounded.Exponent, true, 2).size()) + 1;
        if (length == exponentLength)
            break;
        exponentLength = length;
    }
    QString text;
    if (sign && !IsZeroText(rounded.Digits))
        text += u'-';
    text += QChar(rounded.Digits[0]);
    if (rounded.Digits.size() > 1) {
        text += u'.';
        text += QString::fromLatin1(rounded.Digits.data() + 1, qsizetype(rounded.Digits.size() - 1));
    }
    text += u'E';
    text += ExponentDigits(rounded.Exponent, true, 2);
    return text;
}

// ---------------------------------------------------------------- INPUT items

bool IsBlank(QChar c) { return c.unicode() <= u' '; }

// Leading and trailing blanks and control characters removed.
QString TrimBlanks(const QString &text)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && IsBlank(text[first]))
        ++first;
    while (last > first && IsBlank(text[last - 1]))
        --last;
    return text.mid(first, last - first);
}

// Appends characters to a number text.
void Append(PrintNumberText &text, std::string_view chars)
{
    for (const char c : chars)
        text.Units[text.Length++] = char16_t(c);
}

void AppendDecimal(PrintNumberText &text, uint64_t value)
{
    char16_t digits[20];  // 2^64 has 20 digits
    int count = 0;
    do {
        digits[count++] = char16_t(u'0' + value % 10);
        value /= 10;
    } while (value != 0);
    while (count > 0)
        text.Units[text.Length++] = digits[--count];
}

// A whole number of at most `digits` digits (up to 18), which PRINT shows
// with all its digits and nothing to round, read from its bits; `value`
// then holds it.
bool IsShortWholeNumber(long double x, int digits, int64_t &value)
{
    static constexpr auto powersOfTen = [] {
        std::array<int64_t, MaxDigits + 1> powers{};
        powers[0] = 1;
        for (size_t i = 1; i < powers.size(); ++i)
            powers[i] = powers[i - 1] * 10;
        return powers;
    }();
    const int64_t limit = powersOfTen[size_t(digits)];
    return WholeInt64(x, value) && value < limit && value > -limit;
}

// A reply item as a number: an optional sign, then a decimal number with
// optional fraction and exponent. Words such as "inf" are no numbers.
bool ParseReplyNumber(QStringView item, long double &value)
{
    bool negative = false;
    if (!item.isEmpty() && (item[0] == u'+' || item[0] == u'-')) {
        negative = item[0] == u'-';
        item = item.mid(1);
    }
    const char16_t first = item.isEmpty() ? u'\0' : item[0].unicode();
    if (!((first >= u'0' && first <= u'9') || first == u'.'))
        return false;
    if (!ParseDecimal(item, value))
        return false;
    if (negative)
        value = -value;
    return true;
}

// The length of the character at pos: 2 for a surrogate pair.
qsizetype CharLength(const QString &s, qsizetype pos)
{
    return pos + 1 < s.size() && s[pos].isHighSurrogate() && s[pos + 1].isLowSurrogate() ? 2 : 1;
}

bool IsNumberFieldStart(char16_t c) { return c == u'#' || c == u'*' || c == u'+' || c == u'\\'; }
bool IsStringFieldStart(char16_t c) { return c == u'!' || c == u'&' || c == u'@' || c == u'_'; }

} // namespace

// ---------------------------------------------------------------- PRINT

PrintNumberText PrintNumber(long double x)
{
    PrintNumberText text;
    if (std::isnan(x)) {
        Append(text, "NAN");
        return text;
    }
    if (std::isinf(x)) {
        Append(text, x > 0 ? " INF" : "-INF");
        return text;
    }
    Append(text, x < 0 ? "-" : " ");
    const int precision = std::clamp(PrintPrecision, 1, MaxDigits);
    if (int64_t whole = 0; IsShortWholeNumber(x, precision, whole)) {  // zero too
        AppendDecimal(text, whole < 0 ? uint64_t(0) - uint64_t(whole) : uint64_t(whole));
        return text;
    }
    Decimal d = RoundSignificant(ToDecimal(x), precision);
    const size_t last = d.Digits.find_last_not_of('0');
    d.Digits.resize(last + 1);
    const std::string_view digits = d.Digits;
    const int exponent = d.Exponent;
    if (exponent >= precision || exponent < -4) {
        Append(text, digits.substr(0, 1));
        if (digits.size() > 1) {
            Append(text, ".");
            Append(text, digits.substr(1));
        }
        Append(text, exponent < 0 ? "E-" : "E");
        AppendDecimal(text, uint64_t(std::abs(exponent)));
    } else if (exponent >= 0) {
        const size_t integerDigits = size_t(exponent) + 1;
        Append(text, digits.substr(0, integerDigits));
        for (size_t i = digits.size(); i < integerDigits; ++i)
            Append(text, "0");
        if (digits.size() > integerDigits) {
            Append(text, ".");
            Append(text, digits.substr(integerDigits));
        }
    } else {
        Append(text, "0.");
        for (int i = 0; i < -exponent - 1; ++i)
            Append(text, "0");
        Append(text, digits);
    }
    return text;
}

QString FormatPrintNumber(long double x)
{
    return PrintNumber(x).View().toString();
}

void AppendPrintText(QStringView text)
{
    AppendUnits(OutputLine, text);
    OutputColumn += StrDisplayWidth(text);
}

void PrintComma()
{
    const int zone = std::max(1, PrintPrecision + 5);
    const int next = (OutputColumn / zone + 1) * zone;
    OutputLine += QString(next - OutputColumn, u' ');
    OutputColumn = next;
}

void PrintLine(const QString &text)
{
    AppendPrintText(text);
    FinishOutputLine(false);
}

void PrintPrompt(const QString &text)
{
    AppendPrintText(text);
    FinishOutputLine(true);
}

void PrintTab()
{
    long double n = PopNumber();
    if (ErrorNumber != 0)
        return;
    if (n >= 120)
        n = 120;
    if (!(n >= 1))  // also keeps a huge negative from the integer conversion
        return;
    const int column = int(n);
    if (column > OutputColumn) {
        OutputLine += QString(column - OutputColumn, u' ');
        OutputColumn = column;
    }
}

void ExecPrint()
{
    switch (TopTag()) {
    case tagNumber: AppendPrintText(PrintNumber(PopNumber()).View()); break;
    case tagString: AppendPrintText(PopString()); break;
    case tagBool: AppendPrintText(PopBool() ? QStringLiteral("True") : QStringLiteral("False")); break;
    case tagTabMark: PrintTab(); break;
    default: SetError(50022, stPRINT); break;
    }
}

void ResetOutputLine()
{
    OutputLine.clear();
    OutputColumn = 0;
}

// ---------------------------------------------------------------- PRINT USING

QString InsertThousandsSeparators(const QString &text)
{
    // Only the digits count: a sign in front is no digit (-123456 gives
    // -123,456), and the run ends at the point or the exponent.
    qsizetype first = 0;
    while (first < text.size() && !text[first].isDigit())
        ++first;
    qsizetype end = first;
    while (end < text.size() && text[end].isDigit())
        ++end;
    QString result = text.left(first);
    for (qsizetype i = first; i < end; ++i) {
        result += text[i];
        const qsizetype fromRight = end - i;
        if (fromRight > 3 && fromRight % 3 == 1)
            result += u',';
    }
    result += text.mid(end);
    return result;
}

QString FormatPictureNumber(const QString &picture, qsizetype &pos)
{
    QString prefix;
    char16_t trailing = 0;  // the trailing sign, "+" or "-"
    int width = 0;
    int decimals = 0;
    bool point = false;
    bool grouped = false;
    bool exponent = false;
    for (; pos < picture.size(); ++pos) {
        const char16_t c = picture[pos].unicode();
        const int position = width + 1;
        if (c == u'#') {
            if (point)
                ++decimals;
        } else if (c == u'.') {
            point = true;
        } else if (c == u',') {
            grouped = true;
        } else if (c == u'^') {
            exponent = true;
        } else if (c == u'+' || c == u'-') {
            if (position == 1)
                prefix = QChar(c);
            else
                trailing = c;
        } else if ((c == u'*' && position <= 2) || (c == u'0' && position == 2) || (c == u'\\' && position <= 3)) {
            prefix += QChar(c);
        } else {
            break;
        }
        ++width;
    }
    if (prefix.startsWith(u'+'))
        trailing = 0;
    if (width == 0)
        return {};
    if (TopTag() != tagNumber) {
        SetError(3501);
        return {};
    }
    long double x = PopNumber();

    QString sign;
    if (trailing == u'+') {
        sign = x < 0 ? QStringLiteral("-") : QStringLiteral("+");
        x = std::fabs(x);
    } else if (trailing == u'-') {
        sign = x < 0 ? QStringLiteral("-") : QStringLiteral(" ");
        x = std::fabs(x);
    }
    QString text = exponent ? ExponentText(x, width - 1) : FixedText(x, decimals);
    if (grouped)
        text = InsertThousandsSeparators(text);
    text += sign;
    if (prefix == u"+" && x > 0)
        text.prepend(u'+');
    if (prefix == u"\\" || (prefix.size() >= 3 && prefix[2] == u'\\'))
        text.prepend(u'\\');

    if (text.size() > width)
        return u'%' + text;
    QChar fill = u' ';
    if (prefix.startsWith(u'*') && prefix.size() >= 2 && (prefix[1] == u'*' || prefix[1] == u'0'))
        fill = prefix[1];
    return QString(width - text.size(), fill) + text;
}

QString FormatPictureString(const QString &picture, qsizetype &pos)
{
    const char16_t c = picture[pos].unicode();
    if (c == u'_') {
        ++pos;
        if (pos >= picture.size()) {
            SetError(3502);
            return {};
        }
        const qsizetype length = CharLength(picture, pos);
        const QString text = picture.mid(pos, length);
        pos += length;
        return text;
    }
    int positions = 1;
    ++pos;
    if (c == u'&') {
        qsizetype end = pos;
        while (end < picture.size() && picture[end] == u' ')
            ++end;
        if (end < picture.size() && picture[end] == u'&')
            ++end;
        positions += int(end - pos);
        pos = end;
    }
    if (TopTag() != tagString) {
        SetError(3501);
        return {};
    }
    const QString s = PopString();
    if (c == u'@')
        return s;
    if (c == u'!')
        return s.isEmpty() ? QStringLiteral(" ") : s.left(CharLength(s, 0));
    // "&": as many characters as positions, cut or padded with blanks
    qsizetype end = 0;
    int taken = 0;
    while (taken < positions && end < s.size()) {
        end += CharLength(s, end);
        ++taken;
    }
    return s.left(end) + QString(std::min(positions - taken, 40), u' ');
}

void WriteUsingPicture(const QString &picture, const std::function<void(const QString &)> &write)
{
    QString literal;
    qsizetype pos = 0;
    while (pos < picture.size()) {
        const char16_t c = picture[pos].unicode();
        if (IsNumberFieldStart(c) || IsStringFieldStart(c)) {
            write(literal);
            literal.clear();
            const QString field =
                IsNumberFieldStart(c) ? FormatPictureNumber(picture, pos) : FormatPictureString(picture, pos);
            if (ErrorNumber != 0)
                return;
            write(field);
        } else {
            // a high surrogate takes the unit after it along
            const qsizetype length = picture[pos].isHighSurrogate() && pos + 1 < picture.size() ? 2 : 1;
            literal += picture.mid(pos, length);
            pos += length;
        }
    }
    write(literal);
}

void ExecPrintUsing()
{
    if (TopTag() != tagString) {
        SetError(50002);
        return;
    }
    WriteUsingPicture(PopString(), AppendPrintText);
}

// ---------------------------------------------------------------- INPUT items

void ExecInputNumberItem()
{
    QString item;
    const qsizetype comma = InputReply.indexOf(u',');
    if (comma >= 0) {
        item = InputReply.left(comma);
        InputReply = InputReply.mid(comma + 1);
    } else {
        item = InputReply;
        InputReply.clear();
    }
    item = TrimBlanks(item);
    long double value = 0;
    if (!item.isEmpty() && !ParseReplyNumber(item, value)) {
        // ask the whole INPUT again
        InputRetry = 1;
        CodePos = InputRestartPos;
        return;
    }
    WorkNumVars[1].Value = value;
}

void ExecInputStringItem()
{
    const QString reply = TrimBlanks(InputReply);
    QString item;
    qsizetype end = -1;  // the comma after the item, or -1: the item runs to the end
    if (reply.startsWith(u'"')) {
        const qsizetype quote = reply.indexOf(u'"', 1);
        if (quote >= 0)
            end = reply.indexOf(u',', quote);
    } else {
        end = reply.indexOf(u',');
    }
    if (end < 0) {
        item = reply;
        InputReply.clear();
    } else {
        item = reply.left(end);
        InputReply = reply.mid(end + 1);
    }
    WorkStrVars[1].Value = TrimBlanks(item);
}

} // namespace ov
