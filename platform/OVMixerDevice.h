// The platform's mixer as the mixer component reaches it: the speaker line of
// the sound device "default", with its volume levels on the scale 0..65535
// and its mute switch.
#pragma once

#include <memory>
#include <vector>

namespace ov {

class MixerLine {
public:
    virtual ~MixerLine() = default;
    // The levels of the line's volume, one per channel; false without a volume.
    virtual bool ReadLevels(std::vector<int> &levels) = 0;
    // Writes the first levels.size() channels; any further channel keeps its level.
    virtual bool WriteLevels(const std::vector<int> &levels) = 0;
    // False when the line has no mute switch.
    virtual bool ReadMute(bool &muted) = 0;
    virtual bool WriteMute(bool muted) = 0;
};

// The speaker line, opened afresh on every call so that changes made outside
// and a sound server started later are seen; null when there is none.
std::unique_ptr<MixerLine> OpenSpeakerLine();

} // namespace ov
