#include "executor/OVTimeFunc.h"

#include "devices/OVGraphState.h"
#include "executor/OVConsoleOut.h"
#include "executor/OVDataFile.h"
#include "executor/OVMThread.h"
#include "executor/OVStack.h"
#include "language/OVHeader.h"
#include "platform/OVDecimalText.h"

#include <chrono>
#include <cmath>
#include <string>
#include <thread>

namespace ov {

namespace {

using namespace std::chrono_literals;

// How often the key waits look again; INKEY$ pauses as long after each read,
// so a polling loop does not take a whole processor.
constexpr auto KeyPollInterval = 5ms;

ClockSource Clock = nullptr;

QDateTime Now() { return Clock != nullptr ? Clock() : QDateTime::currentDateTime(); }

long double SecondsOfDay(const QTime &time) { return time.msecsSinceStartOfDay() / 1000.0L; }

// ---------------------------------------------------------------- clock and calendar

void FnDateStr() { PushString(Now().date().toString(QStringLiteral("yyyy/MM/dd"))); }

void FnTimeStr() { PushString(Now().time().toString(QStringLiteral("HH:mm:ss"))); }

void FnTimer() { PushNumber(SecondsOfDay(Now().time())); }

// Seconds since the start of the current year by the calendar: whole days
// before today and the time of day, so it and TIMER differ by whole days.
void FnYearTimer()
{
    const QDateTime now = Now();
    PushNumber((now.date().dayOfYear() - 1) * 86400.0L + SecondsOfDay(now.time()));
}

void FnTimePart(int32_t f)
{
    const QTime time = Now().time();
    int part = 0;
    switch (f) {
    case fnGETHOUR: part = time.hour(); break;
    case fnGETMINUTE: part = time.minute(); break;
    case fnGETSECOND: part = time.second(); break;
    default: part = time.msec(); break;
    }
    PushNumber(part);
}

// A run of decimal digits at pos, at most maxDigits long; false when none.
bool ReadDateNumber(const QString &text, qsizetype &pos, int maxDigits, int &value)
{
    const qsizetype start = pos;
    value = 0;
    while (pos < text.size() && pos - start < maxDigits && text[pos] >= u'0' && text[pos] <= u'9')
        value = value * 10 + (text[pos++].unicode() - u'0');
    return pos > start && (pos == text.size() || text[pos] < u'0' || text[pos] > u'9');
}

// Year/month/day (a year of one or two digits lies within 50 years of the
// current one) or month/day of the current year, each number of up to its
// usual digits, "/" between them, blanks around the whole allowed.
QDate ReadDateText(const QString &source, int currentYear)
{
    const QString text = source.trimmed();
    int numbers[3] = {};
    int digits[3] = {};
    int count = 0;
    qsizetype pos = 0;
    while (count < 3) {
        const qsizetype start = pos;
        if (!ReadDateNumber(text, pos, count == 0 ? 4 : 2, numbers[count]))
            return {};
        digits[count++] = int(pos - start);
        if (pos == text.size())
            break;
        if (text[pos] != u'/' || count == 3)
            return {};
        ++pos;
    }
    if (count < 2)
        return {};
    int year = currentYear;
    int month = numbers[0];
    int day = numbers[1];
    if (count == 3) {
        year = numbers[0];
        month = numbers[1];
        day = numbers[2];
        if (digits[0] <= 2) {
            const int pivot = currentYear - 50;
            year += pivot / 100 * 100;
            if (year < pivot)
                year += 100;
        }
    }
    if (year < 1 || year > 9999)
        return {};
    return QDate(year, month, day);  // invalid for a month or day out of range
}

// 1 Sunday .. 7 Saturday of a date text; a text that is no date is an error.
void FnDayOfWeek()
{
    if (TopTag() != tagString) {
        SetError(50011, fnDAYOFWEEK);
        return;
    }
    const QDate date = ReadDateText(PopString(), Now().date().year());
    if (!date.isValid()) {
        SetError(50012, fnDAYOFWEEK);
        return;
    }
    PushNumber(date.dayOfWeek() % 7 + 1);  // Qt counts Monday 1 .. Sunday 7
}

// The Gregorian rule on the whole of truncate(abs y). Every long double is
// exact under fmodl, so even years beyond 2^64 are judged correctly.
void FnIsLeapYear()
{
    if (TopTag() != tagNumber) {
        SetError(50011, fnISLEAPYEAR);
        return;
    }
    const long double year = std::trunc(std::fabs(PopNumber()));
    const bool leap = std::fmod(year, 4.0L) == 0 && (std::fmod(year, 100.0L) != 0 || std::fmod(year, 400.0L) == 0);
    PushBool(leap);
}

// ---------------------------------------------------------------- keys

QString KeyCodeText(int code)
{
    switch (code) {
    case 8: return QString(QChar(7));
    case 9: return QString(QChar(8));
    case 13: case 27: return QString(QChar(code));
    case 32: return QStringLiteral(" ");
    case 37: return QString(QChar(29));
    case 38: return QString(QChar(30));
    case 39: return QString(QChar(28));
    case 40: return QString(QChar(31));
    case 106: return QStringLiteral("*");
    case 107: return QStringLiteral("+");
    case 109: return QStringLiteral("-");
    case 110: return QStringLiteral(".");
    case 111: return QStringLiteral("/");
    default: break;
    }
    if ((code >= '0' && code <= '9') || (code >= 'A' && code <= 'Z'))
        return QString(QChar(code));
    if (code >= 96 && code <= 105)
        return QString(QChar(u'0' + (code - 96)));
    return QString();
}

// The last key taken in one step, so a key pressed meanwhile is neither lost
// nor read twice.
void FnInkey()
{
    PushString(KeyCodeText(LastKeyCode.exchange(0)));
    std::this_thread::sleep_for(KeyPollInterval);
}

// Waits for the next typed character and takes it; false when a stop of the
// run is requested first.
bool TakeTypedChar(QString &text)
{
    for (;;) {
        const char32_t c = LastKeyChar.exchange(0);
        if (c != 0) {
            text += QString::fromUcs4(&c, 1);
            return true;
        }
        if (StopRequested.load() != 0)
            return false;
        std::this_thread::sleep_for(KeyPollInterval);
    }
}

// INPUT$ and INPUT$(n): the pending console line is shown as a prompt, then
// the typed characters are collected until there are n UTF-16 units. A stop
// ends the wait with what was typed so far, which CONT then goes on with.
void FnInputKeys(bool counted)
{
    long double wanted = 1;
    if (counted) {
        if (TopTag() != tagNumber) {
            SetError(50011, fnINPUT_STR);
            return;
        }
        wanted = std::trunc(PopNumber());
    }
    PrintPrompt(QString());
    QString text;
    while (text.size() < wanted && TakeTypedChar(text)) {
    }
    PushString(std::move(text));
}

// INPUT$(channel, n): up to n characters of a channel open for input.
void FnInputFile()
{
    if (TopTag() != tagNumber || SecondTag() != tagNumber) {
        SetError(50011, fnINPUT_STR);
        return;
    }
    const long double count = std::trunc(PopNumber());
    const long double channel = std::trunc(PopNumber());
    if (channel < 1 || channel > ChannelCount) {
        SetError(3030);
        return;
    }
    const int c = int(channel);
    switch (ChannelMode[c]) {
    case 0: SetError(3031); return;
    case 2: SetError(3032); return;
    case 3: SetError(3033); return;
    default: break;
    }
    QString text;
    if (!ReadChannelChars(c, count < 0 ? 0 : count > INT32_MAX ? INT32_MAX : int(count), text)) {
        SetError(3035);
        return;
    }
    PushString(std::move(text));
}

// ---------------------------------------------------------------- conversions

void FnVal()
{
    if (TopTag() != tagString) {
        SetError(50011, fnVAL);
        return;
    }
    PushNumber(ValueOfText(PopString()));
}

void FnPi()
{
    // Significand C90FDAA22168C235 with the exponent of 2: pi rounded to 64 bits.
    PushNumber(std::ldexp(static_cast<long double>(0xC90FDAA22168C235ULL), -62));
}

void FnPiStr()
{
    PushString(QStringLiteral("3.14159 26535 89793 23846 26433 83279 50288 41971 69399 37510"));
}

// "&H" and hexadecimal digits (upper case by now); 0 for any other unit.
long double HexValue(const QString &digits)
{
    long double value = 0;
    for (const QChar unit : digits) {
        const char16_t u = unit.unicode();
        int d = 0;
        if (u >= u'0' && u <= u'9')
            d = u - u'0';
        else if (u >= u'A' && u <= u'F')
            d = u - u'A' + 10;
        else
            return 0;
        value = value * 16 + d;
    }
    return value;
}

// The decimal number that makes up the whole text after leading blanks:
// sign, digits with an optional point (one digit at least), an optional
// exponent. Its ASCII form for ReadDecimal, without a plus sign; false when
// the text is no such number.
bool DecimalNumberText(const QString &text, std::string &number)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && text[i] == u' ')
        ++i;
    if (i < n && (text[i] == u'+' || text[i] == u'-')) {
        if (text[i] == u'-')
            number += '-';
        ++i;
    }
    const auto isDigit = [&](qsizetype k) { return k < n && text[k] >= u'0' && text[k] <= u'9'; };
    int digits = 0;
    for (; isDigit(i); ++i, ++digits)
        number += char(text[i].unicode());
    if (i < n && text[i] == u'.') {
        number += '.';
        for (++i; isDigit(i); ++i, ++digits)
            number += char(text[i].unicode());
    }
    if (digits == 0)
        return false;
    if (i < n && text[i] == u'E') {
        number += 'e';
        ++i;
        if (i < n && (text[i] == u'+' || text[i] == u'-'))
            number += char(text[i++].unicode());
        if (!isDigit(i))
            return false;
        for (; isDigit(i); ++i)
            number += char(text[i].unicode());
    }
    return i == n;
}

} // namespace

void SetClockSource(ClockSource source) { Clock = source; }

long double ValueOfText(const QString &text)
{
    QString s = text;
    for (QChar &unit : s) {
        if (unit >= u'a' && unit <= u'z')
            unit = QChar(unit.unicode() - (u'a' - u'A'));
    }
    long double value = 0;
    if (s.size() >= 3 && s.startsWith(QStringLiteral("&H"))) {
        value = HexValue(s.mid(2));
    } else {
        std::string number;
        if (!DecimalNumberText(s, number))
            return 0;
        if (!ReadDecimal(number, value))
            return 0;
    }
    // Beyond the range of numbers the text counts as no number; and a
    // negative zero reads as zero.
    return std::isfinite(value) && value != 0 ? value : 0.0L;
}

bool DispatchTimeFunction(int32_t f)
{
    switch (f) {
    case fnDATE_STR: FnDateStr(); return true;
    case fnTIME_STR: FnTimeStr(); return true;
    case fnTIMER: FnTimer(); return true;
    case fnYEARTIMER: FnYearTimer(); return true;
    case fnGETHOUR: case fnGETMINUTE: case fnGETSECOND: case fnGETMSECOND: FnTimePart(f); return true;
    case fnDAYOFWEEK: FnDayOfWeek(); return true;
    case fnISLEAPYEAR: FnIsLeapYear(); return true;
    case fnINKEY_STR: FnInkey(); return true;
    case fnINPUT_STR: FnInputKeys(false); return true;
    case OneMoreArgBase + fnINPUT_STR: FnInputKeys(true); return true;
    case TwoMoreArgsBase + fnINPUT_STR: FnInputFile(); return true;
    case fnVAL: FnVal(); return true;
    case fnPI: FnPi(); return true;
    case fnPI_STR: FnPiStr(); return true;
    default: return false;
    }
}

} // namespace ov
