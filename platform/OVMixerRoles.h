// What a sound card's mixer element is, by its name: the line type of its
// playback side and of its capture side, and the controls of the control
// interface that are no line at all (tone, loudness, 3D).
#pragma once

#include "platform/OVMixerTypes.h"

namespace ov {

struct MixerElementRole {
    TMixerLineType Playback;
    TMixerLineType Capture;
};

// An element that matches no known role is ltAnalog on a side with levels
// or switches, ltUnknown where it has only a choice of items.
MixerElementRole ElementRole(const QString &name, bool hasLevels);

// ctBass, ctTreble, ctLoudness or ctStereoEnh for such an element, else
// ctUnknown.
TMixerControlType InterfaceControlType(const QString &name);

} // namespace ov
