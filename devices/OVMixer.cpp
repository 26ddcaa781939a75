#include "devices/OVMixer.h"

#include <algorithm>
#include <cmath>

namespace ov {

namespace {

constexpr double kFullScale = 65535.0;
constexpr float kSilentRatio = 131071.0f;  // the left channel silent: all right

// Rounds to the nearest integer, halves to even.
int RoundEven(double x) { return int(std::nearbyint(x)); }

} // namespace

// ---------------------------------------------------------------- one line

// Near silence says nothing about the balance: the ratio stays.
void TMixerItem::UpdateRatio(const std::vector<int> &levels)
{
    if (levels.size() < 2 || levels[0] + levels[1] < 3000)
        return;
    float ratio = 0.0f;
    if (levels[0] == 0)
        ratio = kSilentRatio;
    else if (levels[1] != 0)
        ratio = float(levels[1]) / float(levels[0]);
    if (std::fabs(ratio - ratio_) > 0.001f * ratio_)
        ratio_ = ratio;
}

int TMixerItem::GetVolume(MixerLine &line)
{
    std::vector<int> levels;
    if (!line.ReadLevels(levels) || levels.empty())
        return -1;
    UpdateRatio(levels);
    const int loudest = levels.size() >= 2 ? std::max(levels[0], levels[1]) : levels[0];
    return RoundEven(loudest / kFullScale * 100.0);
}

// The current levels are read first: they give the balance to keep and the
// channels beyond the first two, which keep their levels.
void TMixerItem::SetVolume(MixerLine &line, int percent)
{
    std::vector<int> levels;
    if (!line.ReadLevels(levels) || levels.empty())
        return;
    UpdateRatio(levels);
    const int raw = RoundEven(std::clamp(percent, 0, 100) / 100.0 * kFullScale);
    std::vector<int> wanted = levels;
    if (levels.size() == 1) {
        wanted[0] = raw;
    } else if (raw == 0) {
        wanted[0] = wanted[1] = 0;
    } else if (ratio_ <= 1.0f) {
        wanted[0] = raw;
        wanted[1] = std::min(RoundEven(raw * double(ratio_)), int(kFullScale));
    } else {
        wanted[0] = std::min(RoundEven(raw / double(ratio_)), int(kFullScale));
        wanted[1] = raw;
    }
    if (wanted != levels)
        line.WriteLevels(wanted);
}

bool TMixerItem::GetMute(MixerLine &line)
{
    bool muted = false;
    return line.ReadMute(muted) && muted;
}

void TMixerItem::SetMute(MixerLine &line, bool muted)
{
    bool current = false;
    if (line.ReadMute(current) && current != muted)
        line.WriteMute(muted);
}

// ---------------------------------------------------------------- the speaker line

int TMixer::GetMasterVolume()
{
    const auto line = open_();
    return line ? speaker_.GetVolume(*line) : -1;
}

void TMixer::SetMasterVolume(int percent)
{
    if (const auto line = open_())
        speaker_.SetVolume(*line, percent);
}

bool TMixer::GetMasterMute()
{
    const auto line = open_();
    return line && TMixerItem::GetMute(*line);
}

void TMixer::SetMasterMute(bool muted)
{
    if (const auto line = open_())
        TMixerItem::SetMute(*line, muted);
}

} // namespace ov
