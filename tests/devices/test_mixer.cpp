// The mixer component's arithmetic on a line whose levels the test holds:
// volume in percent, the kept balance, and "no value" without a line.
#include "devices/OVMixer.h"

#include <gtest/gtest.h>

using namespace ov;

namespace {

class FakeLine : public MixerLine {
public:
    explicit FakeLine(std::vector<int> levels) : levels(std::move(levels)) {}
    bool ReadLevels(std::vector<int> &out) override
    {
        out = levels;
        return !levels.empty();
    }
    bool WriteLevels(const std::vector<int> &in) override
    {
        ++writes;
        std::copy(in.begin(), in.end(), levels.begin());
        return true;
    }
    bool ReadMute(bool &muted) override
    {
        muted = mute;
        return hasMute;
    }
    bool WriteMute(bool muted) override
    {
        ++writes;
        mute = muted;
        return true;
    }

    std::vector<int> levels;
    bool mute = false;
    bool hasMute = true;
    int writes = 0;
};

} // namespace

TEST(Mixer, VolumeWritesKeepTheBalance)
{
    TMixerItem item;
    FakeLine centred({65535, 65535});
    item.SetVolume(centred, 50);
    EXPECT_EQ(centred.levels, (std::vector<int>{32768, 32768}));
    EXPECT_EQ(item.GetVolume(centred), 50);

    FakeLine rightHalf({40000, 20000});
    item.SetVolume(rightHalf, 50);
    EXPECT_EQ(rightHalf.levels, (std::vector<int>{32768, 16384}));

    FakeLine leftQuiet({20000, 40000});
    item.SetVolume(leftQuiet, 100);
    EXPECT_EQ(leftQuiet.levels, (std::vector<int>{32768, 65535}));

    FakeLine surround({65535, 65535, 1234, 99});
    item.SetVolume(surround, 0);
    EXPECT_EQ(surround.levels, (std::vector<int>{0, 0, 1234, 99}));

    FakeLine mono({100});
    item.SetVolume(mono, 150);
    EXPECT_EQ(mono.levels, (std::vector<int>{65535}));
    const int writes = mono.writes;
    item.SetVolume(mono, 100);  // unchanged levels are not written
    EXPECT_EQ(mono.writes, writes);
}

TEST(Mixer, VolumeReadsTheLouderChannelAndLearnsTheBalance)
{
    TMixerItem item;
    FakeLine leftOnly({65535, 0});
    EXPECT_EQ(item.GetVolume(leftOnly), 100);
    EXPECT_EQ(item.Ratio(), 0.0f);

    FakeLine nearSilent({1000, 1500});  // too quiet to tell the balance
    EXPECT_EQ(item.GetVolume(nearSilent), 2);
    EXPECT_EQ(item.Ratio(), 0.0f);

    FakeLine rightOnly({0, 32768});
    EXPECT_EQ(item.GetVolume(rightOnly), 50);
    EXPECT_EQ(item.Ratio(), 131071.0f);

    FakeLine none({});
    EXPECT_EQ(item.GetVolume(none), -1);
}

TEST(Mixer, WithoutALineEveryReadIsNoValue)
{
    TMixer mixer([] { return std::unique_ptr<MixerLine>(); });
    mixer.SetMasterVolume(50);
    mixer.SetMasterMute(true);
    EXPECT_EQ(mixer.GetMasterVolume(), -1);
    EXPECT_FALSE(mixer.GetMasterMute());

    FakeLine noSwitch({65535, 65535});
    noSwitch.hasMute = false;
    noSwitch.mute = true;
    TMixerItem::SetMute(noSwitch, false);
    EXPECT_FALSE(TMixerItem::GetMute(noSwitch));
    EXPECT_EQ(noSwitch.writes, 0);
}
