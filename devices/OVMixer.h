// The mixer component of the media-player form: the speaker line's volume
// in percent and its mute switch, over the platform's mixer line. Every call
// opens the line afresh; any failure reads as "no value" (-1, false).
#pragma once

#include "platform/OVMixerDevice.h"

#include <functional>

namespace ov {

// One line's volume and mute. The balance ratio (right level over left) is
// kept across calls, so that a volume written to a quiet or silent line
// keeps the balance it had.
class TMixerItem {
public:
    // 0..100, or -1 when the line has no volume.
    int GetVolume(MixerLine &line);
    // Writes only when the levels change; the percent is clamped to 0..100.
    void SetVolume(MixerLine &line, int percent);
    static bool GetMute(MixerLine &line);
    static void SetMute(MixerLine &line, bool muted);
    float Ratio() const { return ratio_; }

private:
    void UpdateRatio(const std::vector<int> &levels);

    float ratio_ = 1.0f;
};

class TMixer {
public:
    using LineOpener = std::function<std::unique_ptr<MixerLine>()>;
    explicit TMixer(LineOpener opener) : open_(std::move(opener)) {}

    int GetMasterVolume();
    void SetMasterVolume(int percent);
    bool GetMasterMute();
    void SetMasterMute(bool muted);

private:
    LineOpener open_;
    TMixerItem speaker_;
};

} // namespace ov
