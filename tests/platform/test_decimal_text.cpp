#include "platform/OVDecimalText.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <optional>

using namespace ov;

namespace {

std::optional<long double> Read(const char *text)
{
    long double value = -1;
    return ReadDecimal(text, value) ? std::optional<long double>(value) : std::nullopt;
}

} // namespace

// Below the normal range a text reads as the subnormal value nearest to it;
// a value nearer zero than half the smallest one, or above the largest, is
// no number.
TEST(DecimalText, SubnormalValuesReadAsTheyAre)
{
    using limits = std::numeric_limits<long double>;
    EXPECT_EQ(Read("1E-4940"), 1e-4940L);
    EXPECT_EQ(Read("-1e-4940"), -1e-4940L);
    EXPECT_EQ(std::fpclassify(*Read("1E-4940")), FP_SUBNORMAL);
    EXPECT_EQ(Read("3.6451995318824746025E-4951"), limits::denorm_min());
    EXPECT_EQ(Read("2E-4951"), limits::denorm_min());  // above half of it
    EXPECT_EQ(Read("0.001E-4947"), limits::denorm_min() * 3);  // 2.74 times it
    EXPECT_EQ(Read("3.36210314311209350626E-4932"), limits::min());
    EXPECT_EQ(Read("1E-4951"), std::nullopt);  // rounds to zero
    EXPECT_EQ(Read("1E-5000"), std::nullopt);
    EXPECT_EQ(Read("1E5000"), std::nullopt);
    EXPECT_EQ(Read("1.18973149535723176502E+4932"), limits::max());
}

TEST(DecimalText, OnlyAWholeDecimalNumberReads)
{
    EXPECT_EQ(Read("1.5"), 1.5L);
    EXPECT_EQ(Read(".5E1"), 5.0L);
    EXPECT_EQ(Read("0"), 0.0L);
    for (const char *text : {"", "1.5x", "1E", "inf", "nan", "0x10", "1,5", " 1", "1e-4940x"})
        EXPECT_EQ(Read(text), std::nullopt) << text;
}
