#include "devices/OVMixerItem.h"

#include "devices/OVMixer.h"
#include "devices/OVMixerError.h"

#include <algorithm>
#include <cmath>

namespace ov {

namespace {

constexpr double kFullScale = 65535.0;
constexpr float kAllRight = 131071.0f;  // the left channel silent
constexpr int kQuietLevels = 3000;      // left + right below this say nothing of the balance

// Rounds to the nearest integer, halves to even.
int RoundEven(double x)
{
    return int(std::nearbyint(x));
}

qint32 Level(qint32 value)
{
    return std::clamp(value, 0, int(kFullScale));
}

// The louder of the first two channels, in percent.
int Percent(const std::vector<qint32> &levels)
{
    const qint32 loudest = levels.size() >= 2 ? std::max(Level(levels[0]), Level(levels[1])) : Level(levels[0]);
    return RoundEven(loudest / kFullScale * 100.0);
}

} // namespace

// ---------------------------------------------------------------- details

int TMixerItem::DetailChannels(const TMixerCtrl &control) const
{
    return control.Flags.Contains(mcfUniform) ? 1 : std::max(1, Channels);
}

std::vector<qint32> TMixerItem::GetControlDetails(const TMixerCtrl &control)
{
    std::vector<qint32> values;
    MixerCheck(Owner->Backend().GetControlDetails(Owner->Handle, control.ControlID, DetailChannels(control), values),
               true);
    return values;
}

void TMixerItem::SetControlDetails(const TMixerCtrl &control, const std::vector<qint32> &values)
{
    MixerCheck(Owner->Backend().SetControlDetails(Owner->Handle, control.ControlID, DetailChannels(control), values),
               true);
}

std::vector<qint32> TMixerItem::ReadChannelValues()
{
    return VolumeControl >= 0 ? GetControlDetails(Controls[size_t(VolumeControl)]) : std::vector<qint32>();
}

void TMixerItem::WriteChannelValues(const std::vector<qint32> &values)
{
    if (VolumeControl >= 0)
        SetControlDetails(Controls[size_t(VolumeControl)], values);
}

// ---------------------------------------------------------------- volume and balance

// A read of a stereo volume tells the balance, unless the options keep it.
void TMixerItem::LearnBalance(const std::vector<qint32> &levels)
{
    if (VolumeControl < 0 || Controls[size_t(VolumeControl)].Flags.Contains(mcfUniform)
        || Owner->Owner->Options.Contains(moNoBalanceAutoUpdate) || levels.size() < 2)
        return;
    const qint32 left = Level(levels[0]);
    const qint32 right = Level(levels[1]);
    if (left + right < kQuietLevels)
        return;
    float ratio = 0.0f;
    if (left == 0)
        ratio = kAllRight;
    else if (right != 0)
        ratio = float(right) / float(left);
    if (std::fabs(ratio - BalanceRatio) > 0.001f * BalanceRatio)
        BalanceRatio = ratio;
}

int TMixerItem::GetVolume()
{
    const std::vector<qint32> levels = ReadChannelValues();
    if (levels.empty())
        return -1;
    LearnBalance(levels);
    return Percent(levels);
}

// The louder channel takes the level; the other follows the ratio. Channels
// beyond the first two keep their levels.
void TMixerItem::WriteVolume(int percent, const std::vector<qint32> &levels)
{
    const int raw = RoundEven(std::clamp(percent, 0, 100) / 100.0 * kFullScale);
    const int full = int(kFullScale);
    std::vector<qint32> wanted = levels;
    if (levels.size() == 1) {
        wanted[0] = raw;
    } else if (raw == 0) {
        wanted[0] = wanted[1] = 0;
    } else if (BalanceRatio <= 1.0f) {
        wanted[0] = raw;
        wanted[1] = std::min(RoundEven(raw * double(BalanceRatio)), full);
    } else {
        wanted[0] = std::min(RoundEven(raw / double(BalanceRatio)), full);
        wanted[1] = raw;
    }
    if (wanted != levels)
        WriteChannelValues(wanted);
}

// The current levels come first: they may tell a balance set outside.
void TMixerItem::SetVolume(int percent)
{
    const std::vector<qint32> levels = ReadChannelValues();
    if (levels.empty())
        return;
    LearnBalance(levels);
    WriteVolume(percent, levels);
}

int TMixerItem::GetBalance()
{
    if (VolumeControl >= 0)
        LearnBalance(ReadChannelValues());
    return RoundEven(double(BalanceRatio) / (double(BalanceRatio) + 1.0) * 100.0);
}

// The current volume is written again with the new ratio; its levels are
// not learnt from, or they would undo the new balance.
void TMixerItem::SetBalance(int balance)
{
    if (balance < 1)
        BalanceRatio = 0.0f;
    else if (balance < 100)
        BalanceRatio = float(balance) / float(100 - balance);
    else
        BalanceRatio = kAllRight;
    const std::vector<qint32> levels = ReadChannelValues();
    if (!levels.empty())
        WriteVolume(Percent(levels), levels);
}

// ---------------------------------------------------------------- mute

bool TMixerItem::GetMute()
{
    if (MuteControl < 0)
        return false;
    const std::vector<qint32> values = GetControlDetails(Controls[size_t(MuteControl)]);
    return !values.empty() && values[0] != 0;
}

void TMixerItem::SetMute(bool muted)
{
    if (MuteControl < 0)
        return;
    const TMixerCtrl &control = Controls[size_t(MuteControl)];
    const std::vector<qint32> values = GetControlDetails(control);
    if (values.empty() || (values[0] != 0) == muted)
        return;
    SetControlDetails(control, std::vector<qint32>(values.size(), muted ? 1 : 0));
}

} // namespace ov
