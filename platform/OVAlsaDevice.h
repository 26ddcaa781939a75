// One sound device opened through ALSA's simple mixer: its capabilities,
// the model of its lines and controls, and the changes its events bring.
// Its control interface is non-blocking, so that events are taken without
// waiting.
#pragma once

#include "platform/OVAlsaMixerModel.h"

#include <memory>
#include <poll.h>

namespace ov {

class AlsaDevice {
public:
    struct Change {
        bool Line;  // else a control's value
        quint32 Id;
    };

    // `name` is an ALSA device name ("default", "hw:0"); a MixerResult code.
    static int Open(const QString &name, std::unique_ptr<AlsaDevice> &device);
    ~AlsaDevice();
    AlsaDevice(const AlsaDevice &) = delete;
    AlsaDevice &operator=(const AlsaDevice &) = delete;

    const MixerCaps &Caps() const { return caps_; }
    AlsaMixerModel &Model() { return model_; }
    snd_hctl_t *ControlInterface() const { return hctl_; }
    std::vector<pollfd> PollDescriptors() const;

    // Takes the pending events: the model follows elements added, removed
    // or changed in kind, and the changed lines and control values are
    // returned.
    std::vector<Change> TakeEvents();
    // The events could not be read (a card gone): its descriptors would
    // report for ever.
    bool Lost() const { return lost_; }

private:
    explicit AlsaDevice(snd_mixer_t *mixer) : mixer_(mixer) {}
    static int MixerEvent(snd_mixer_t *mixer, unsigned int mask, snd_mixer_elem_t *element);
    static int ElementEvent(snd_mixer_elem_t *element, unsigned int mask);
    void ReadCaps(const QString &name);
    void Rebuild();
    void ChangedLines(const std::vector<quint32> &before, std::vector<Change> &changes) const;
    void ChangedValues(std::vector<Change> &changes);

    snd_mixer_t *mixer_;
    snd_hctl_t *hctl_ = nullptr;
    MixerCaps caps_;
    AlsaMixerModel model_;
    bool reshaped_ = false;       // elements added, removed or changed in kind
    bool valuesChanged_ = false;
    bool lost_ = false;
    std::vector<snd_mixer_elem_t *> changedInKind_;
};

} // namespace ov
