#include "executor/OVControlFlow.h"
#include "executor/OVMThread.h"
#include "executor/OVNumFunc.h"
#include "executor/OVStack.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <vector>

using namespace ov;

namespace {

constexpr long double kMax = std::numeric_limits<long double>::max();
constexpr long double kPi = std::numbers::pi_v<long double>;
constexpr int32_t kWithArg = OneMoreArgBase;

// A number or a string argument; whole literals convert without casts.
struct Operand {
    Operand(long double x) : Number(x) {}
    Operand(int x) : Number(x) {}
    Operand(const char *s) : IsText(true), Text(s) {}
    bool IsText = false;
    long double Number = 0;
    QString Text;
};

// Runs function value f on a fresh stack holding the arguments, first first.
void Call(int32_t f, const std::vector<Operand> &args)
{
    InitStacks();
    ClearError();
    for (const Operand &x : args) {
        if (x.IsText)
            PushString(x.Text);
        else
            PushNumber(x.Number);
    }
    ASSERT_TRUE(DispatchNumericFunction(f)) << f;
}

long double Number(int32_t f, const std::vector<Operand> &args)
{
    Call(f, args);
    EXPECT_EQ(ErrorNumber, 0) << f;
    EXPECT_EQ(TagStackTop, 1) << f;
    EXPECT_EQ(TopTag(), tagNumber) << f;
    return PopNumber();
}

QString Text(int32_t f, long double x)
{
    Call(f, {x});
    EXPECT_EQ(ErrorNumber, 0) << f;
    EXPECT_EQ(TagStackTop, 1) << f;
    return PopString();
}

// Within a few units in the last place of an extended value.
void ExpectNear(long double actual, long double expected)
{
    EXPECT_LE(std::fabs(actual - expected), 8 * std::numeric_limits<long double>::epsilon() * std::fabs(expected))
        << double(actual) << " " << double(expected);
}

} // namespace

TEST(NumericFunctions, ErrorsLeaveTheFirstArgument)
{
    const struct { int32_t f; std::vector<Operand> args; int error, subject; } table[] = {
        {fnEXP, {20000}, 50013, fnEXP},
        {fnLOG2, {-kMax}, 1018, 0},
        {fnSQR, {-1e-4000L}, 1019, 0},
        {fnASIN, {1.0000001L}, 50012, fnASIN},
        {fnACOS, {-1.0000001L}, 50012, fnACOS},
        {fnCSC, {0}, 50013, fnCSC},
        {fnCOT, {0}, 50013, fnCOT},
        {fnCOSH, {-20000}, 50013, fnCOSH},
        {fnDEG, {1e4931L}, 50014, fnDEG},
        {fnROUND, {0x1p63L}, 50013, fnROUND},
        {kWithArg + fnROUND, {1, 5000}, 50013, fnROUND},   // 10^5000 overflows
        {kWithArg + fnROUND, {1, -5000}, 50013, fnROUND},  // and its inverse
        {kWithArg + fnROUND, {1e17L, 2}, 50013, fnROUND},  // beyond 64 bits
        {fnGCD, {1e19L, 1}, 50012, fnGCD},
        {fnLCM, {0, 0}, 50012, fnLCM},
        {fnLCM, {4294967311.0L, 4294967291.0L}, 50012, fnLCM},  // two primes above 2^32
        {fnPFACTOR, {0}, 50012, fnPRIMEFACTOR},
        {fnPFACTOR, {-0.5L}, 50012, fnPRIMEFACTOR},
        {fnPRIMEFACTOR, {1.0001e18L}, 50012, fnPRIMEFACTOR},
        {fnFACT, {1755}, 50012, fnFACTORIAL},
        {fnBINOM, {-1, 0}, 50012, fnBINOMIAL},
        {fnBINOM, {1e18L, 5e17L}, 50012, fnBINOMIAL},  // overflows within a few thousand steps
        {fnBINOM, {1e19L, 1}, 50012, fnBINOMIAL},
        {fnHEX_STR, {0x1p63L}, 50014, fnHEX_STR},
        {kWithArg + fnRND, {-1e19L}, 50012, fnRND},
        // Arguments that are not numbers.
        {fnABS, {"x"}, 50011, fnABS},
        {fnChangeSign, {"x"}, 50011, fnChangeSign},
        {fnMAX, {1, "x"}, 50011, fnMAX},
        {fnMIN, {"x", 1}, 50011, fnMIN},
        {kWithArg + fnROUND, {1, "2"}, 50011, fnROUND},
        {fnPFACTOR, {"9"}, 50011, fnPRIMEFACTOR},
        {fnFACT, {"5"}, 50011, fnFACTORIAL},
        {fnBINOM, {5, "2"}, 50011, fnBINOMIAL},
        {fnRANDG, {"0", 1}, 50011, fnRANDG},
    };
    for (const auto &row : table) {
        Call(row.f, row.args);
        EXPECT_EQ(ErrorNumber, row.error) << row.f;
        EXPECT_EQ(ErrorSubject, row.subject) << row.f;
        EXPECT_EQ(TagStackTop, 1) << row.f;
        const Operand &first = row.args.front();
        EXPECT_EQ(TopTag(), first.IsText ? tagString : tagNumber) << row.f;
        if (!first.IsText) {
            EXPECT_EQ(NumStack[1], first.Number) << row.f;
        }
    }
    // A reference entry is no number argument, and an empty stack fails alike.
    InitStacks();
    ClearError();
    PushNumVarRef(3);
    DispatchNumericFunction(fnABS);
    EXPECT_EQ(ErrorNumber, 50011);
    Call(fnGCD, {});
    EXPECT_EQ(ErrorNumber, 50011);
    // Values that belong to other units.
    EXPECT_FALSE(DispatchNumericFunction(fnPI));
    EXPECT_FALSE(DispatchNumericFunction(kWithArg + fnNORMALIZE));
}

TEST(NumericFunctions, RoundingAtTheEdges)
{
    EXPECT_EQ(Number(fnINT, {-1e-30L}), -1);
    EXPECT_EQ(Number(fnINT, {1e30L}), 1e30L);
    // No negative zero comes out of a rounding or a negation.
    EXPECT_FALSE(std::signbit(Number(fnFIX, {-0.5L})));
    EXPECT_FALSE(std::signbit(Number(fnCEIL, {-0.5L})));
    EXPECT_FALSE(std::signbit(Number(fnROUND, {-0.25L})));
    EXPECT_FALSE(std::signbit(Number(fnChangeSign, {0})));
    // The largest value below a half, where x + 0.5 would round up to 1.
    EXPECT_EQ(Number(fnROUND, {0.5L - 0x1p-65L}), 0);
    EXPECT_EQ(Number(fnROUND, {-0.5L}), -1);
    EXPECT_EQ(Number(fnROUND, {0x1p63L - 1}), 0x1p63L - 1);
    EXPECT_EQ(Number(fnROUND, {-0x1p63L}), -0x1p63L);

    EXPECT_EQ(Number(kWithArg + fnROUND, {1234, -2}), 1200);
    EXPECT_EQ(Number(kWithArg + fnROUND, {1250, -2}), 1300);
    EXPECT_EQ(Number(kWithArg + fnROUND, {-2.25L, 1}), -23 / 10.0L);
    ExpectNear(Number(kWithArg + fnROUND, {2, 0.5L}), 6 / std::sqrt(10.0L));
}

TEST(NumericFunctions, ValuesAtDomainEdges)
{
    EXPECT_EQ(Number(fnEXP, {-20000}), 0);
    EXPECT_EQ(Number(fnTANH, {20000}), 1);
    EXPECT_EQ(Number(fnLOG10, {1000}), 3);
    EXPECT_EQ(Number(fnLOG2, {0x1p-100L}), -100);
    EXPECT_EQ(Number(fnRAD, {1e4931L}), 1e4931L * (kPi / 180));
    // The multiple fits although the product A * B would not.
    EXPECT_EQ(Number(fnLCM, {0x1p40L, 0x1p40L}), 0x1p40L);
    EXPECT_EQ(Number(fnPFACTOR, {1.9L}), 1);
    EXPECT_EQ(Number(fnPFACTOR, {1e18L}), 2);
    EXPECT_EQ(Number(fnPFACTOR, {3000000021.0L}), 3);
    EXPECT_EQ(Number(fnPFACTOR, {1000000007}), 1000000007);
    EXPECT_EQ(Number(fnFACTORIAL, {-20.5L}), 2432902008176640000.0L);
    EXPECT_GT(Number(fnFACT, {1754}), 1e4930L);
    EXPECT_EQ(Number(fnBINOMIAL, {50, -25}), 126410606437752.0L);
}

TEST(NumericFunctions, DegreeMode)
{
    RadiansMode = 0;
    ExpectNear(Number(fnSIN, {30}), 0.5L);
    ExpectNear(Number(fnTAN, {45}), 1);
    ExpectNear(Number(fnSEC, {60}), 2);
    ExpectNear(Number(fnATN, {1}), 45);
    ExpectNear(Number(fnACOS, {-1}), 180);
    ExpectNear(Number(fnDEG, {kPi}), 180);  // DEG and RAD ignore the mode
    ExpectNear(Number(fnRAD, {180}), kPi);
    ExpectNear(Number(fnSINH, {1}), std::sinh(1.0L));  // so do the hyperbolic functions
    RadiansMode = 1;
    ExpectNear(Number(fnCOT, {kPi / 4}), 1);
}

TEST(NumericFunctions, RandomSequence)
{
    SeedRandom(12345678);
    LastRandom = NextRandom();
    EXPECT_EQ(Number(kWithArg + fnRND, {0}), 2689212039.0L / 0x1p32L);
    Call(fnRND, {});
    EXPECT_EQ(PopNumber(), 2238198948.0L / 0x1p32L);
    EXPECT_EQ(Number(kWithArg + fnRND, {-0.9L}), 2238198948.0L / 0x1p32L);  // truncates to 0
    EXPECT_EQ(Number(kWithArg + fnRND, {3}), 458069813.0L / 0x1p32L);
    EXPECT_EQ(LastRandom, 458069813.0L / 0x1p32L);

    // A negative argument gives a fixed value and leaves the generator alone.
    const uint32_t seed = RandomSeed();
    EXPECT_EQ(Number(kWithArg + fnRND, {-5}), 737418235.0L / 1147483648.0L);
    EXPECT_EQ(Number(kWithArg + fnRND, {-5}), 737418235.0L / 1147483648.0L);
    EXPECT_EQ(Number(kWithArg + fnRND, {0}), 737418235.0L / 1147483648.0L);
    EXPECT_EQ(RandomSeed(), seed);
    // The product wraps in 64 bits and its remainder counts as a magnitude.
    const long double wrapped = Number(kWithArg + fnRND, {-1e17L});
    EXPECT_TRUE(wrapped >= 0 && wrapped < 1) << double(wrapped);

    EXPECT_EQ(Number(fnRANDG, {7, 0}), 7);
    long double sum = 0;
    for (int i = 0; i < 4000; ++i)
        sum += Number(fnRANDG, {10, 2});
    EXPECT_NEAR(double(sum / 4000), 10, 0.2);
}

TEST(NumericFunctions, NumberTexts)
{
    EXPECT_EQ(Text(fnHEX_STR, 0), "0");
    EXPECT_EQ(Text(fnHEX_STR, -2.9L), "FFFFFFFFFFFFFFFE");
    EXPECT_EQ(Text(fnHEX_STR, -0x1p63L), "8000000000000000");

    EXPECT_EQ(Text(fnFLOATTOSTR, 0), "0.00000000000000000E+0000");
    EXPECT_EQ(Text(fnFLOATTOSTR, 0.1L), "1.00000000000000000E-0001");
    EXPECT_EQ(Text(fnFLOATTOSTR, 2.0L / 3), "6.66666666666666667E-0001");
    EXPECT_EQ(Text(fnFLOATTOSTR, -kMax), "-1.18973149535723177E+4932");

    const QString zeros(63, u'0');
    EXPECT_EQ(Text(fnFLOATTOSTRBIN, 1), "+ 2^(0)*1." + zeros);
    EXPECT_EQ(Text(fnFLOATTOSTRBIN, 0), "+ 2^(-16383)*1." + zeros);
    EXPECT_EQ(Text(fnFLOATTOSTRBIN, -0.75L), "- 2^(-1)*1.1" + zeros.left(62));
    EXPECT_EQ(Text(fnFLOATTOSTRBIN, 1 + 0x1p-63L), "+ 2^(0)*1." + zeros.left(62) + "1");
}
