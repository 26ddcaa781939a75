#include "executor/OVNumFunc.h"

#include "executor/OVConsoleOut.h"
#include "executor/OVControlFlow.h"
#include "executor/OVMThread.h"
#include "executor/OVOperators.h"
#include "executor/OVStack.h"

#include <QString>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <numbers>

// Every handler takes its arguments from the top of the value stack (the
// last one on top) and leaves one result in place of them. Floating-point
// exceptions stay masked, so a handler that can fail tests its result: an
// infinity or NaN becomes the handler's error number and never reaches a
// program. Long doubles are range-checked before any conversion to an
// integer, which would be undefined out of range.
//
// After an error the first argument stays on the stack and the others are
// taken off, as the operators do, so the stack holds as many entries as after
// success (a formula evaluated with errors stays consistent).

namespace ov {

int RadiansMode = 1;

namespace {

constexpr long double kInt64Limit = 0x1p63L;  // 2^63, exactly representable
constexpr long double kRadiansPerDegree = std::numbers::pi_v<long double> / 180.0L;
constexpr long double kDegreesPerRadian = 180.0L / std::numbers::pi_v<long double>;
// The largest n whose factorial is below the extended range (1755! is not).
constexpr long double kLargestFactorial = 1754.0L;

// Turns -0 into +0, so that a zero result never prints or converts as negative.
inline long double Unsigned0(long double x)
{
    return x == 0 ? 0.0L : x;
}

// x truncated toward zero as a signed 64-bit integer; false out of range.
bool ToInt64(long double x, int64_t &out)
{
    const long double t = std::trunc(x);
    if (!(t >= -kInt64Limit && t < kInt64Limit))
        return false;
    out = int64_t(t);
    return true;
}

// ---------------------------------------------------------------- the stack


// Sets the error and leaves only the first of `count` arguments.
[[gnu::cold]] void Fail(int count, int32_t number, int32_t subject = 0)
{
    SetError(number, subject);
    for (int i = 1; i < count && TagStackTop >= 2; ++i)
        DropTop();
}

// Reads the `count` numbers on top into x, the first argument first; when one
// of them is not a number (tag 1), error 50011 with `subject`.
bool Arguments(int count, int32_t subject, long double *x)
{
    bool numbers = TagStackTop >= count && NumStackTop >= count;
    for (int i = 0; numbers && i < count; ++i)
        numbers = TagStack[size_t(TagStackTop - i)] == tagNumber;
    if (!numbers) {
        Fail(count, 50011, subject);
        return false;
    }
    for (int i = 0; i < count; ++i)
        x[i] = NumStack[size_t(NumStackTop - count + 1 + i)];
    return true;
}

// Replaces the `count` numbers on top by the result.
void Return(int count, long double result)
{
    NumStackTop -= count - 1;
    TagStackTop -= count - 1;
    NumStack[size_t(NumStackTop)] = Unsigned0(result);
}

// The same, when the result may be out of range: then `error` instead.
void ReturnChecked(int count, long double result, int32_t error, int32_t subject)
{
    if (IsFiniteNumber(result))
        Return(count, result);
    else
        Fail(count, error, subject);
}

void ReturnString(int count, QString &&text)
{
    NumStackTop -= count;
    TagStackTop -= count;
    PushString(std::move(text));
}

// ---------------------------------------------------------------- helpers

// The whole number nearest to x, halves away from zero; false when it lies
// outside the signed 64-bit range. The fraction x - trunc(x) is exact, so no
// rounding of x + 0.5 can carry a value just below a half upwards.
bool RoundHalfAway(long double x, long double &out)
{
    long double whole = std::trunc(x);
    if (std::fabs(x - whole) >= 0.5L)
        whole += x < 0 ? -1.0L : 1.0L;
    int64_t checked;
    if (!ToInt64(whole, checked))
        return false;
    out = whole;
    return true;
}

int64_t Gcd(int64_t a, int64_t b)
{
    while (b != 0) {
        const int64_t r = a % b;
        a = b;
        b = r;
    }
    return a;
}

// The smallest prime factor of n >= 1 (n itself when prime, 1 for 1).
int64_t SmallestPrimeFactor(int64_t n)
{
    if (n % 2 == 0)
        return 2;
    if (n % 3 == 0)
        return 3;
    for (int64_t d = 5; d * d <= n; d += 6) {
        if (n % d == 0)
            return d;
        if (n % (d + 2) == 0)
            return d + 2;
    }
    return n;
}

long double ToRadians(long double x)
{
    return RadiansMode == 0 ? x * kRadiansPerDegree : x;
}

long double FromRadians(long double x)
{
    return RadiansMode == 0 ? x * kDegreesPerRadian : x;
}

// ---------------------------------------------------------------- one argument

// A one-argument function whose result, when not finite, is `error`; with
// error 0 the result is finite for every finite argument.
template <typename F>
void Unary(int32_t f, int32_t error, F compute)
{
    long double x;
    if (!Arguments(1, f, &x))
        return;
    if (error == 0)
        Return(1, compute(x));
    else
        ReturnChecked(1, compute(x), error, f);
}

void FnAbs()
{
    Unary(fnABS, 0, [](long double x) { return std::fabs(x); });
}

// The unary minus the translator emits for a negated number.
void FnNegate()
{
    Unary(fnChangeSign, 0, [](long double x) { return -x; });
}

void FnSgn()
{
    Unary(fnSGN, 0, [](long double x) { return x > 0 ? 1.0L : x < 0 ? -1.0L : 0.0L; });
}

void FnRound()
{
    long double x;
    if (!Arguments(1, fnROUND, &x))
        return;
    long double rounded;
    if (RoundHalfAway(x, rounded))
        Return(1, rounded);
    else
        Fail(1, 50013, fnROUND);
}

void FnLog(int32_t f)
{
    long double x;
    if (!Arguments(1, f, &x))
        return;
    if (!(x > 0)) {
        Fail(1, 1018);
        return;
    }
    long double result = f == fnLOG ? std::log(x) : f == fnLOG10 ? std::log10(x) : std::log2(x);
    // The library's decimal logarithm may miss an exact power of ten by a
    // unit in the last place; LOG10(1000) is 3.
    if (f == fnLOG10) {
        const long double whole = std::round(result);
        if (whole != result && std::pow(10.0L, whole) == x)
            result = whole;
    }
    Return(1, result);
}

void FnSqr()
{
    long double x;
    if (!Arguments(1, fnSQR, &x))
        return;
    if (x < 0) {
        Fail(1, 1019);
        return;
    }
    Return(1, std::sqrt(x));
}

void FnTanCotSecCsc(int32_t f)
{
    Unary(f, 50013, [f](long double x) {
        x = ToRadians(x);
        switch (f) {
        case fnTAN: return std::tan(x);
        case fnCOT: return std::cos(x) / std::sin(x);
        case fnSEC: return 1.0L / std::cos(x);
        default: return 1.0L / std::sin(x);
        }
    });
}

void FnAsinAcos(int32_t f)
{
    long double x;
    if (!Arguments(1, f, &x))
        return;
    if (!(std::fabs(x) <= 1)) {
        Fail(1, 50012, f);
        return;
    }
    Return(1, FromRadians(f == fnASIN ? std::asin(x) : std::acos(x)));
}

void FnHyperbolic(int32_t f)
{
    Unary(f, 50013, [f](long double x) {
        return f == fnSINH ? std::sinh(x) : f == fnCOSH ? std::cosh(x) : std::tanh(x);
    });
}

void FnPrimeFactor()
{
    long double x;
    if (!Arguments(1, fnPRIMEFACTOR, &x))
        return;
    // Below 1 in magnitude there is no whole number to factor.
    const long double magnitude = std::fabs(x);
    if (!(magnitude >= 1 && magnitude <= 1e18L)) {
        Fail(1, 50012, fnPRIMEFACTOR);
        return;
    }
    Return(1, (long double)SmallestPrimeFactor(int64_t(magnitude)));
}

void FnFact()
{
    long double x;
    if (!Arguments(1, fnFACTORIAL, &x))
        return;
    const long double n = std::trunc(std::fabs(x));
    if (n > kLargestFactorial) {
        Fail(1, 50012, fnFACTORIAL);
        return;
    }
    long double product = 1.0L;
    for (int i = 2; i <= int(n); ++i)
        product *= i;
    ReturnChecked(1, product, 50012, fnFACTORIAL);
}

void FnHex()
{
    long double x;
    if (!Arguments(1, fnHEX_STR, &x))
        return;
    int64_t n;
    if (!ToInt64(x, n)) {
        Fail(1, 50014, fnHEX_STR);
        return;
    }
    ReturnString(1, QString::number(uint64_t(n), 16).toUpper());
}

// Scientific notation with 18 significant digits and an exponent of a sign
// and at least four digits: 1.00000000000000000E+0000.
void FnFloatToStr()
{
    long double x;
    if (!Arguments(1, fnFLOATTOSTR, &x))
        return;
    char buffer[64];
    const auto [end, failure] = std::to_chars(buffer, buffer + sizeof buffer, Unsigned0(x),
                                              std::chars_format::scientific, 17);
    if (failure != std::errc() || !IsFiniteNumber(x)) {
        Fail(1, 50014, fnFLOATTOSTR);
        return;
    }
    const QString text = QString::fromLatin1(buffer, end - buffer);
    const qsizetype e = text.indexOf(u'e');
    const QString digits = text.mid(e + 2);
    QString result = text.left(e);
    result += u'E';
    result += text[e + 1];
    result += QString(std::max<qsizetype>(0, 4 - digits.size()), u'0');
    result += digits;
    ReturnString(1, std::move(result));
}

// The extended value's fields: sign, unbiased exponent and the 63 fraction
// bits of the significand (the explicit integer bit is not shown).
void FnFloatToStrBin()
{
    long double x;
    if (!Arguments(1, fnFLOATTOSTRBIN, &x))
        return;
    unsigned char bytes[sizeof(long double)];
    std::memcpy(bytes, &x, sizeof bytes);
    uint64_t significand;
    uint16_t signExponent;
    std::memcpy(&significand, bytes, 8);
    std::memcpy(&signExponent, bytes + 8, 2);
    QString text = signExponent & 0x8000 ? QStringLiteral("- 2^(") : QStringLiteral("+ 2^(");
    text += QString::number(int(signExponent & 0x7FFF) - 16383);
    text += QStringLiteral(")*1.");
    for (int bit = 62; bit >= 0; --bit)
        text += (significand >> bit) & 1 ? u'1' : u'0';
    ReturnString(1, std::move(text));
}

void FnStr()
{
    long double x;
    if (Arguments(1, fnSTR_STR, &x))
        ReturnString(1, FormatPrintNumber(x));
}

// ---------------------------------------------------------------- random numbers

void FnRnd()
{
    LastRandom = NextRandom();
    PushNumber(LastRandom);
}

// RND(x): x = 0 repeats the last value, x > 0 draws, and x < 0 gives a value
// fixed by x without touching the generator.
void FnRndArg()
{
    long double x;
    if (!Arguments(1, fnRND, &x))
        return;
    x = std::trunc(x);
    if (x > 0) {
        LastRandom = NextRandom();
    } else if (x < 0) {
        int64_t n;
        if (!ToInt64(-x, n)) {
            Fail(1, 50012, fnRND);
            return;
        }
        const int64_t product = int64_t(uint64_t(n) * 147483647u);  // wraps in 64 bits
        const int64_t r = product % 1147483647;
        LastRandom = (long double)(r < 0 ? -r : r) / 1147483648.0L;
    }
    Return(1, LastRandom);
}

// A normally distributed draw by the polar method.
void FnRandG()
{
    long double x[2];
    if (!Arguments(2, fnRANDG, x))
        return;
    long double u1, u2, s;
    do {
        u1 = 2 * NextRandom() - 1;
        u2 = 2 * NextRandom() - 1;
        s = u1 * u1 + u2 * u2;
    } while (!(s > 0 && s < 1));  // s = 0 would take the logarithm of 0
    ReturnChecked(2, std::sqrt(-2 * std::log(s) / s) * u1 * x[1] + x[0], 50013, fnRANDG);
}

// ---------------------------------------------------------------- two arguments

// ROUND(x, n) to n decimals, n negative or fractional too. With n < 0 the
// scale 10^-n divides instead of 10^n multiplying: it is exact for whole
// n up to 27, so ROUND(1234, -2) is exactly 1200.
void FnRoundDigits()
{
    long double x[2];
    if (!Arguments(2, fnROUND, x))
        return;
    const bool decimals = x[1] >= 0;
    const long double scale = std::pow(10.0L, std::fabs(x[1]));
    const long double scaled = decimals ? x[0] * scale : x[0] / scale;
    long double rounded;
    if (!IsFiniteNumber(scaled) || !RoundHalfAway(scaled, rounded)) {
        Fail(2, 50013, fnROUND);
        return;
    }
    // A scale that overflowed gives 0 * infinity, which fails here.
    ReturnChecked(2, decimals ? rounded / scale : rounded * scale, 50013, fnROUND);
}

void FnMaxMin(int32_t f)
{
    long double x[2];
    if (Arguments(2, f, x))
        Return(2, f == fnMAX ? (x[0] > x[1] ? x[0] : x[1]) : (x[0] < x[1] ? x[0] : x[1]));
}

// The truncated magnitudes of the two arguments as 64-bit integers.
bool WholeMagnitudes(const long double *x, int64_t &a, int64_t &b)
{
    return ToInt64(std::fabs(x[0]), a) && ToInt64(std::fabs(x[1]), b);
}

void FnGcd()
{
    long double x[2];
    if (!Arguments(2, fnGCD, x))
        return;
    int64_t a, b;
    if (!WholeMagnitudes(x, a, b)) {
        Fail(2, 50012, fnGCD);
        return;
    }
    Return(2, (long double)Gcd(a, b));
}

// A / GCD * B: fails only when the multiple itself is beyond 64 bits.
void FnLcm()
{
    long double x[2];
    if (!Arguments(2, fnLCM, x))
        return;
    int64_t a, b, lcm;
    if (!WholeMagnitudes(x, a, b) || (a == 0 && b == 0)
        || __builtin_mul_overflow(a / Gcd(a, b), b, &lcm)) {
        Fail(2, 50012, fnLCM);
        return;
    }
    Return(2, (long double)lcm);
}

void FnBinom()
{
    long double x[2];
    if (!Arguments(2, fnBINOMIAL, x))
        return;
    int64_t n, k;
    if (x[0] < 0 || !WholeMagnitudes(x, n, k)) {
        Fail(2, 50012, fnBINOMIAL);
        return;
    }
    if (n < k) {
        Return(2, 0);
        return;
    }
    // Each step multiplies by at least 1, so a large m ends in an overflow
    // long before it would count to the end.
    const int64_t m = std::min(k, n - k);
    long double r = 1.0L;
    for (int64_t i = 1; i <= m && IsFiniteNumber(r); ++i)
        r = r * (long double)(n - i + 1) / (long double)i;
    ReturnChecked(2, r, 50012, fnBINOMIAL);
}

} // namespace

bool DispatchNumericFunction(int32_t f)
{
    switch (f) {
    case fnABS: FnAbs(); break;
    case fnChangeSign: FnNegate(); break;
    case fnSGN: FnSgn(); break;
    case fnINT: Unary(f, 50013, [](long double x) { return std::floor(x); }); break;
    case fnFIX: Unary(f, 50013, [](long double x) { return std::trunc(x); }); break;
    case fnCEIL: Unary(f, 50013, [](long double x) { return std::ceil(x); }); break;
    case fnROUND: FnRound(); break;
    case OneMoreArgBase + fnROUND: FnRoundDigits(); break;
    case fnEXP: Unary(f, 50013, [](long double x) { return std::exp(x); }); break;
    case fnLOG:
    case fnLOG10:
    case fnLOG2: FnLog(f); break;
    case fnSQR: FnSqr(); break;
    case fnSIN: Unary(f, 0, [](long double x) { return std::sin(ToRadians(x)); }); break;
    case fnCOS: Unary(f, 0, [](long double x) { return std::cos(ToRadians(x)); }); break;
    case fnTAN:
    case fnCOT:
    case fnSEC:
    case fnCSC: FnTanCotSecCsc(f); break;
    case fnASIN:
    case fnACOS: FnAsinAcos(f); break;
    case fnATN: Unary(f, 0, [](long double x) { return FromRadians(std::atan(x)); }); break;
    case fnSINH:
    case fnCOSH:
    case fnTANH: FnHyperbolic(f); break;
    case fnDEG: Unary(f, 50014, [](long double x) { return x * kDegreesPerRadian; }); break;
    case fnRAD: Unary(f, 50014, [](long double x) { return x * kRadiansPerDegree; }); break;
    case fnMAX:
    case fnMIN: FnMaxMin(f); break;
    case fnRND: FnRnd(); break;
    case OneMoreArgBase + fnRND: FnRndArg(); break;
    case fnRANDG: FnRandG(); break;
    case fnGCD: FnGcd(); break;
    case fnLCM: FnLcm(); break;
    case fnPFACTOR:
    case fnPRIMEFACTOR: FnPrimeFactor(); break;
    case fnFACT:
    case fnFACTORIAL: FnFact(); break;
    case fnBINOM:
    case fnBINOMIAL: FnBinom(); break;
    case fnSTR_STR: FnStr(); break;
    case fnHEX_STR: FnHex(); break;
    case fnFLOATTOSTR: FnFloatToStr(); break;
    case fnFLOATTOSTRBIN: FnFloatToStrBin(); break;
    default: return false;
    }
    return true;
}

} // namespace ov
