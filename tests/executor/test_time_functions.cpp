#include "devices/OVGraphState.h"
#include "executor/OVConsoleOut.h"
#include "executor/OVDataFile.h"
#include "executor/OVHeadlessHost.h"
#include "executor/OVInterpreter.h"
#include "executor/OVMThread.h"
#include "executor/OVStack.h"
#include "executor/OVTimeFunc.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

using namespace ov;
using namespace std::chrono_literals;

namespace {

QDateTime FixedNow;
QDateTime FixedClock() { return FixedNow; }

class TimeFunctions : public ::testing::Test {
protected:
    void SetUp() override
    {
        InitializeInterpreterUnits();
        ResetOutputLine();
        SetRunHost(&host_);
        SetClockSource(FixedClock);
        ClearError();
        LastKeyCode = 0;
        LastKeyChar = 0;
        StopRequested = 0;
    }
    void TearDown() override
    {
        SetClockSource(nullptr);
        SetRunHost(nullptr);
        StopRequested = 0;
        for (int &mode : ChannelMode)
            mode = 0;
    }

    // The function's result, popped as a text or a number.
    static QString Str(int32_t f) { return Call(f), PopString(); }
    static long double Num(int32_t f) { return Call(f), PopNumber(); }
    static void Call(int32_t f)
    {
        EXPECT_TRUE(DispatchTimeFunction(f));
        EXPECT_EQ(ErrorNumber, 0);
    }
    static long double Val(const QString &text)
    {
        PushString(text);
        return Num(fnVAL);
    }
    static int32_t Error(int32_t f)
    {
        DispatchTimeFunction(f);
        const int32_t e = ErrorNumber;
        EXPECT_EQ(ErrorSubject, e >= 50011 && e <= 50014 ? (f % 10000) : 0);
        ClearError();
        TagStackTop = NumStackTop = StrStackTop = BoolStackTop = 0;
        return e;
    }

    HeadlessHost host_;
};

} // namespace

TEST_F(TimeFunctions, ValReadsHexAndDecimalAndNothingElse)
{
    EXPECT_EQ(Val("&hff"), 255);
    EXPECT_EQ(Val("&HFFFFFFFFFFFFFFFF"), 18446744073709551615.0L);
    EXPECT_EQ(Val("  -2.5e-1"), -0.25L);
    EXPECT_EQ(Val("+.5") + Val("1E3"), 1000.5L);
    EXPECT_EQ(Val("0.1"), 0.1L);  // correctly rounded to extended precision
    for (const char *bad : {"&HFG", "&H", "&H FF", "12abc", "12 ", "", ".", "1E", "E3", "--1", "INF", "NAN", "1e3x"})
        EXPECT_EQ(Val(QString::fromLatin1(bad)), 0) << bad;
    // Beyond the range of numbers: no infinity, the text counts as no number.
    EXPECT_EQ(Val("1E5000") + Val("-1E5000") + Val("&H" + QString(5000, u'F')), 0);
    EXPECT_FALSE(std::signbit(Val("-0")));
    PushNumber(1);
    EXPECT_EQ(Error(fnVAL), 50011);
}

TEST_F(TimeFunctions, ClockFunctionsOnAFixedTime)
{
    FixedNow = QDateTime(QDate(2024, 3, 1), QTime(7, 5, 9, 250));
    EXPECT_EQ(Str(fnDATE_STR), "2024/03/01");
    EXPECT_EQ(Str(fnTIME_STR), "07:05:09");
    EXPECT_EQ(Num(fnTIMER), 25509.25L);
    EXPECT_EQ(Num(fnGETHOUR), 7);
    EXPECT_EQ(Num(fnGETMINUTE), 5);
    EXPECT_EQ(Num(fnGETSECOND), 9);
    EXPECT_EQ(Num(fnGETMSECOND), 250);
    // From the start of this year: 31 + 29 days before 1 March of a leap year.
    EXPECT_EQ(Num(fnYEARTIMER), 60 * 86400 + 25509.25L);
    FixedNow = QDateTime(QDate(2025, 1, 1), QTime(0, 0));
    EXPECT_EQ(Num(fnYEARTIMER), 0);
    FixedNow = QDateTime(QDate(2025, 12, 31), QTime(23, 59, 59, 999));
    EXPECT_EQ(Num(fnYEARTIMER), 365 * 86400 - 0.001L);
    EXPECT_EQ(Str(fnTIME_STR), "23:59:59");
    EXPECT_EQ(Num(fnPI), 3.141592653589793238462643383279502884L);  // all 64 bits
}

TEST_F(TimeFunctions, DayOfWeekReadsDatesAndRejectsOtherText)
{
    FixedNow = QDateTime(QDate(2026, 6, 15), QTime(12, 0));
    const auto day = [&](const char *text) {
        PushString(QString::fromLatin1(text));
        return Num(fnDAYOFWEEK);
    };
    EXPECT_EQ(day("2026/12/05"), 7);  // Saturday
    EXPECT_EQ(day("2024/1/7"), 1);    // Sunday
    EXPECT_EQ(day(" 2024/01/01 "), 2);
    EXPECT_EQ(day("24/1/1"), 2);      // two digits: 2024, near this year
    EXPECT_EQ(day("12/5"), 7);        // month/day of this year
    for (const char *bad : {"", "2024/2/30", "2024/13/1", "2024-01-01", "2024/1/1/1", "abc", "10000/1/1", "2024/1/"}) {
        PushString(QString::fromLatin1(bad));
        EXPECT_EQ(Error(fnDAYOFWEEK), 50012) << bad;
    }
    PushNumber(2024);
    EXPECT_EQ(Error(fnDAYOFWEEK), 50011);
}

TEST_F(TimeFunctions, LeapYearsOverTheWholeRange)
{
    // 65536 + 1900 is not folded to 16 bits, where it would be 1900.
    const std::pair<long double, bool> years[] = {{1900, false}, {2000, true}, {-2024, true}, {2024.9L, true},
                                                  {2023, false}, {65536 + 1900, true}, {1e30L, true},
                                                  {1e18L + 100, false}};
    for (const auto &[year, leap] : years) {
        PushNumber(year);
        EXPECT_TRUE(DispatchTimeFunction(fnISLEAPYEAR));
        EXPECT_EQ(PopBool(), leap) << double(year);
    }
    PushString("2000");
    EXPECT_EQ(Error(fnISLEAPYEAR), 50011);
}

TEST_F(TimeFunctions, InkeyTakesEachKeyOnce)
{
    EXPECT_EQ(Str(fnINKEY_STR), "");
    LastKeyCode = 65;
    EXPECT_EQ(Str(fnINKEY_STR), "A");
    EXPECT_EQ(Str(fnINKEY_STR), "");
    const std::pair<int, QString> keys[] = {{8, QString(QChar(7))}, {37, QString(QChar(29))}, {32, " "},
                                            {100, "4"}, {106, "*"}, {112, ""}};
    for (const auto &[code, text] : keys) {
        LastKeyCode = code;
        EXPECT_EQ(Str(fnINKEY_STR), text) << code;
        EXPECT_EQ(LastKeyCode, 0);
    }
}

TEST_F(TimeFunctions, InputWaitsForTypedCharactersAndEndsAtAStop)
{
    // Characters typed one after the other, each once the previous was taken.
    std::thread typist([] {
        for (const char32_t c : {U'a', U'b', U'\U0001F600', U'z'}) {
            char32_t none = 0;
            while (!LastKeyChar.compare_exchange_weak(none, c))
                none = 0, std::this_thread::sleep_for(1ms);
        }
    });
    host_.Console().Clear();
    AppendPrintText(u"Key? ");
    PushNumber(3.9L);
    EXPECT_EQ(Str(OneMoreArgBase + fnINPUT_STR), QString::fromUcs4(U"ab\U0001F600"));
    EXPECT_EQ(host_.Console().Lines(), QStringList{"Key? "});
    EXPECT_EQ(Str(fnINPUT_STR), "z");
    typist.join();

    PushNumber(0);
    EXPECT_EQ(Str(OneMoreArgBase + fnINPUT_STR), "");
    std::thread stopper([] { std::this_thread::sleep_for(30ms), StopRequested = 1; });
    PushNumber(5);
    EXPECT_EQ(Str(OneMoreArgBase + fnINPUT_STR), "");
    stopper.join();
    PushString("5");
    EXPECT_EQ(Error(OneMoreArgBase + fnINPUT_STR), 50011);
}

TEST_F(TimeFunctions, InputFromAChannelChecksItFirst)
{
    ChannelMode[2] = 2;
    ChannelMode[3] = 3;
    const std::pair<long double, int32_t> cases[] = {{9, 3030}, {0, 3030}, {1, 3031}, {2.5L, 3032}, {3, 3033}};
    for (const auto &[channel, error] : cases) {
        PushNumber(channel);
        PushNumber(4);
        EXPECT_EQ(Error(TwoMoreArgsBase + fnINPUT_STR), error) << double(channel);
    }
    PushNumber(1);
    PushString("4");
    EXPECT_EQ(Error(TwoMoreArgsBase + fnINPUT_STR), 50011);
}
