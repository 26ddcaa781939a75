// Whole-number work on 80-bit numbers done on their bits. A cast of an 80-bit
// number to an integer, and std::trunc, switch the x87 rounding mode and
// back, which stalls the pipeline; the counts, positions and channel numbers
// that programs pass to built-ins, and the rows and columns of figures, are
// read here without that.
//
// The 80-bit format: the 64-bit mantissa with its explicit leading bit in
// bytes 0-7, the sign and the 15-bit exponent (bias 16383) in bytes 8-9.
#pragma once

#include <cstdint>
#include <cstring>

namespace ov {

struct NumberBits {
    uint64_t Mantissa = 0;
    int Exponent = 0;  // unbiased: the value is Mantissa * 2^(Exponent - 63)
    bool Negative = false;
};

// Read where the number lies: a number in memory is not loaded as a number.
inline NumberBits BitsOf(const long double &x)
{
    uint64_t mantissa = 0;
    uint16_t signAndExponent = 0;
    std::memcpy(&mantissa, &x, sizeof mantissa);
    std::memcpy(&signAndExponent, reinterpret_cast<const char *>(&x) + 8, sizeof signAndExponent);
    return {mantissa, int(signAndExponent & 0x7FFF) - 16383, (signAndExponent & 0x8000) != 0};
}

// truncate(x) for |x| below 2^63; any other x (infinities and NaN too)
// gives the lowest integer, as the processor's own conversion does.
inline int64_t TruncatedInt64(long double x)
{
    const NumberBits b = BitsOf(x);
    if (b.Exponent > 62)
        return INT64_MIN;
    const uint64_t magnitude = b.Exponent < 0 ? 0 : b.Mantissa >> (63 - b.Exponent);
    return b.Negative ? -int64_t(magnitude) : int64_t(magnitude);
}

// Signs of x; zero is neither.
inline bool IsBelowZero(const long double &x)
{
    const NumberBits b = BitsOf(x);
    return b.Negative && b.Mantissa != 0;
}
inline bool IsAboveZero(const long double &x)
{
    const NumberBits b = BitsOf(x);
    return !b.Negative && b.Mantissa != 0;
}

// True when |x| is below 2^63 and whole; `value` then holds it.
inline bool WholeInt64(long double x, int64_t &value)
{
    const NumberBits b = BitsOf(x);
    if (b.Exponent > 62)
        return false;
    if (b.Exponent < 0) {
        value = 0;
        return b.Mantissa == 0;  // zero, or a fraction
    }
    const int fractionBits = 63 - b.Exponent;
    if ((b.Mantissa & ((uint64_t(1) << fractionBits) - 1)) != 0)
        return false;
    const auto magnitude = int64_t(b.Mantissa >> fractionBits);
    value = b.Negative ? -magnitude : magnitude;
    return true;
}

} // namespace ov
