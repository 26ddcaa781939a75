// The details of a sound card's volume element: its raw range, whatever its
// ends, maps onto 0..65535 and back; levels beyond the range stay beyond.
#include "platform/OVAlsaControl.h"

#include <gtest/gtest.h>

using namespace ov;

namespace {

AlsaControl Volume(long min, long max)
{
    AlsaControl control;
    control.ValueType = SND_CTL_ELEM_TYPE_INTEGER;
    control.Min = min;
    control.Max = max;
    control.Scaled = true;
    return control;
}

} // namespace

TEST(AlsaControl, RangesThatDoNotStartAtZeroMapOntoTheWholeScale)
{
    for (const AlsaControl &control : {Volume(10, 20), Volume(-10000, 0), Volume(-50, 50)}) {
        const long middle = control.Min + (control.Max - control.Min) / 2;
        EXPECT_EQ(AlsaDetailOfRaw(control, control.Min), 0) << control.Min;
        EXPECT_EQ(AlsaDetailOfRaw(control, control.Max), 65535) << control.Min;
        EXPECT_EQ(AlsaDetailOfRaw(control, middle), 32768) << control.Min;
        EXPECT_EQ(AlsaRawOfDetail(control, 0), control.Min);
        EXPECT_EQ(AlsaRawOfDetail(control, 65535), control.Max);
        EXPECT_EQ(AlsaRawOfDetail(control, 32768), middle);
        for (long raw = control.Min; raw <= control.Max; raw += 1 + (control.Max - control.Min) / 97)
            EXPECT_EQ(AlsaRawOfDetail(control, AlsaDetailOfRaw(control, raw)), raw) << raw;
    }
}

// A sound server above 100 % holds more than the element's maximum: the
// detail says so, rather than full scale, and a write stays in the range.
TEST(AlsaControl, LevelsBeyondTheRangeStayBeyondTheScale)
{
    const AlsaControl server = Volume(0, 65536);
    EXPECT_EQ(AlsaDetailOfRaw(server, 65536), 65535);
    EXPECT_EQ(AlsaDetailOfRaw(server, 98304), 98303);
    EXPECT_GT(AlsaDetailOfRaw(server, 65537), 65535);
    EXPECT_LT(AlsaDetailOfRaw(Volume(10, 20), 9), 0);
    EXPECT_EQ(AlsaDetailOfRaw(server, std::numeric_limits<long>::max()), std::numeric_limits<qint32>::max());
    EXPECT_EQ(AlsaRawOfDetail(server, 98303), 65536);
    EXPECT_EQ(AlsaRawOfDetail(Volume(10, 20), -5), 10);
}
