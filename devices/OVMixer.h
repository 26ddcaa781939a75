// The mixer component: the platform's audio mixers as a tree of devices,
// lines and controls, built by the scan from a mixer backend and filtered
// by the wanted line and control types; volume, balance and mute per line;
// change notices; and the speaker wrappers of the interpreter. Used on one
// thread, the one that scans.
#pragma once

#include "devices/OVMixerDev.h"

#include <functional>
#include <memory>

namespace ov {

class TMixer;

// Only lines and controls of these types enter the tree.
struct TMixerTarget {
    TMixerLineTypes LineType{ltLine, ltSynthesizer, ltCompactDisk, ltWaveOut, dtSpeakers, dtWaveIn};
    TMixerControlTypes ControlType{ctVolume, ctMute};
};

using TMixerControlChangeEvent = std::function<void(TMixer *sender, TMixerDev *device, TMixerCtrl *control,
                                                    TMixerItem *item)>;
// The item is null for a line that is not in the tree (one added since the scan).
using TMixerLineChangeEvent = std::function<void(TMixer *sender, TMixerDev *device, TMixerItem *item)>;

class TMixer {
public:
    explicit TMixer(std::unique_ptr<MixerBackend> backend);
    virtual ~TMixer();
    TMixer(const TMixer &) = delete;
    TMixer &operator=(const TMixer &) = delete;

    bool AutoScan = true;
    bool EnableInvalidItem = false;  // keep lines without wanted controls
    TMixerTarget Target;
    TMixerOptions Options;
    // The scan opens the devices with notices when either is assigned; a
    // handler must not free the component.
    TMixerControlChangeEvent OnControlChange;
    TMixerLineChangeEvent OnLineChange;

    // Called once the properties are set: scans when AutoScan is on.
    void Loaded();
    // Rebuilds the tree; what cannot be read is left out, nothing raises.
    void EnumerateMixers();

    virtual int DeviceCount() const { return int(devices_.size()); }
    virtual TMixerDev *Device(int index) const;
    virtual TMixerDev *FirstDevice() const { return Device(0); }
    MixerBackend &Backend() const { return *backend_; }

    // The first device's first dtSpeakers line; -1 or false when there is
    // none, it has no such control or the backend fails. The setters clamp
    // the percent to 0..100 and do nothing without the line. Without the
    // line, or when the backend fails, they scan again first: items taken
    // from the tree before may then be gone.
    int GetMasterVolume();
    void SetMasterVolume(int percent);
    bool GetMasterMute();
    void SetMasterMute(bool muted);

private:
    std::unique_ptr<TMixerDev> ScanDevice(int index, bool notify);
    void ScanDestination(TMixerDev &device, int index, const MixerLineInfo &line);
    TMixerItem *AddItem(TMixerDev &device, TMixerItem *parent, const MixerLineInfo &line);
    void AddControls(TMixerItem &item);
    TMixerItem *MasterItem() const;
    bool OnMasterItem(const std::function<void(TMixerItem &)> &step);
    TMixerDev *DeviceByHandle(MixerHandle handle) const;
    void ControlChanged(MixerHandle handle, quint32 controlId);
    void LineChanged(MixerHandle handle, quint32 lineId);

    std::unique_ptr<MixerBackend> backend_;
    std::vector<std::unique_ptr<TMixerDev>> devices_;
};

} // namespace ov
