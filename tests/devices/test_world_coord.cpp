#include "devices/OVWorldCoord.h"

#include <gtest/gtest.h>
#include <limits>

using namespace ov;

TEST(WorldCoord, HalvesRoundToEvenAndConversionsSaturate)
{
    EXPECT_EQ(RoundHalfEven(0.5L), 0.0L);
    EXPECT_EQ(RoundHalfEven(1.5L), 2.0L);
    EXPECT_EQ(RoundHalfEven(-1.5L), -2.0L);
    EXPECT_EQ(RoundHalfEven(-2.5L), -2.0L);
    EXPECT_EQ(RoundHalfEven(2.4999L), 2.0L);
    EXPECT_EQ(RoundHalfEven(1e30L), 1e30L);
    EXPECT_EQ(RoundSaturate(1e30L, -32767, 32767), 32767);
    EXPECT_EQ(RoundSaturate(-1e300L, -32767, 32767), -32767);
    EXPECT_EQ(TruncSaturate(-3.9L, -10, 10), -3);
    EXPECT_EQ(TruncSaturate(std::numeric_limits<long double>::quiet_NaN(), 5, 10), 0);
}
