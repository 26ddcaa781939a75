// The lines and controls of one sound device as the mixer backend shows
// them, built from its simple-mixer elements and its control interface:
//
// - Each active element gives a line for its playback side and one for its
//   capture side, typed by its name (OVMixerRoles). Its volume becomes a
//   ctVolume, its playback switch a ctMute (off is muted), its capture
//   switch a ctMultipleSelect (ctMux when the card records one line at a
//   time; 1 while the line is recorded), its choice of items a ctMux.
// - Destinations: the playback elements that are speakers, headphones or
//   digital outputs, and "Capture" (dtWaveIn). A side without one makes its
//   first element with a volume the destination (dtSpeakers or dtWaveIn).
//   The other playback lines are sources of the first speakers (else of the
//   first playback destination), the other capture lines sources of the
//   first dtWaveIn.
// - The elements of the control interface that no line claims (tone,
//   loudness, 3D, meters, the rest) are controls of the first destination.
// - A line's id is the id of its first control, with bit 31 set for a
//   capture side; a control's id is the element's numid. A line without a
//   control that can be read is left out.
#pragma once

#include "platform/OVAlsaControl.h"

#include <vector>

namespace ov {

struct AlsaLine {
    snd_mixer_elem_t *Element = nullptr;  // compared only: it may be gone
    MixerLineInfo Info;
    std::vector<AlsaControl> Controls;
};

struct AlsaDestination {
    AlsaLine Line;
    std::vector<AlsaLine> Sources;
};

class AlsaMixerModel {
public:
    void Build(snd_mixer_t *mixer, snd_hctl_t *hctl, const QString &targetName);

    int DestinationCount() const { return int(destinations_.size()); }
    // Source -1 is the destination itself; null when there is no such line.
    const AlsaLine *Line(int destination, int source) const;
    const AlsaLine *LineById(quint32 id) const;
    AlsaControl *ControlById(quint32 id);
    std::vector<quint32> LineIds() const;
    std::vector<quint32> LineIdsOf(snd_mixer_elem_t *element) const;
    std::vector<AlsaControl *> Controls();

private:
    void Arrange(std::vector<AlsaLine> lines, TMixerLineType home);
    void AddInterfaceControls(snd_hctl_t *hctl, const std::vector<unsigned> &claimed);
    void Number(const QString &targetName);

    std::vector<AlsaDestination> destinations_;
};

} // namespace ov
