#include "platform/OVNumberBits.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>

using namespace ov;

TEST(NumberBits, TruncationTowardZeroOverTheWholeRange)
{
    const struct { long double x; int64_t t; } cases[] = {
        {0.0L, 0}, {-0.0L, 0}, {0.9999999999999999999L, 0}, {-0.5L, 0}, {1.0L, 1}, {-1.0L, -1},
        {2.9999999999999999L, 2}, {-2.9999999999999999L, -2}, {1e-4940L, 0}, {-1e-4940L, 0},
        {0x1p62L + 1, (int64_t(1) << 62) + 1}, {0x1p63L - 1, INT64_MAX}, {-(0x1p63L - 1), -INT64_MAX},
        {0x1p61L + 0.5L, int64_t(1) << 61}, {-0x1p63L, INT64_MIN},
    };
    for (const auto &c : cases)
        EXPECT_EQ(TruncatedInt64(c.x), c.t) << double(c.x);
    // Outside the range, as the processor's conversion: the lowest integer.
    for (long double x : {0x1p63L, -0x1p64L, 1e4000L, std::numeric_limits<long double>::infinity(),
                          std::numeric_limits<long double>::quiet_NaN()})
        EXPECT_EQ(TruncatedInt64(x), INT64_MIN) << double(x);
}

TEST(NumberBits, WholeNumbersBelow2To63)
{
    int64_t v = 99;
    EXPECT_TRUE(WholeInt64(-0.0L, v));
    EXPECT_EQ(v, 0);
    EXPECT_TRUE(WholeInt64(-12345.0L, v));
    EXPECT_EQ(v, -12345);
    EXPECT_TRUE(WholeInt64(0x1p63L - 1, v));
    EXPECT_EQ(v, INT64_MAX);
    for (long double x : {0.5L, -1e-4940L, 0x1p62L + 0.5L, 3.0L + 0x1p-62L, 0x1p63L, -0x1p63L,
                          std::numeric_limits<long double>::infinity(), std::numeric_limits<long double>::quiet_NaN()})
        EXPECT_FALSE(WholeInt64(x, v)) << double(x);
}
