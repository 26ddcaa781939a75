// A mixer held in memory: devices, lines and controls that its owner builds,
// with the values it keeps. The unit tests drive it (changes made outside,
// failing calls), and the headless runner's simulated speaker is one.
#pragma once

#include "platform/OVMixerDevice.h"

#include <map>
#include <memory>
#include <utility>

namespace ov {

class MemoryMixerBackend final : public MixerBackend {
public:
    enum class Call { DevCaps, Open, LineInfo, LineControls, Details };

    // Lines and controls get ids unique in the backend. A control's values
    // are its channels, item by item; the line's channel count is its own.
    int AddDevice(const QString &name);
    quint32 AddDestination(int device, TMixerLineType type, const QString &name, int channels);
    quint32 AddSource(quint32 destination, TMixerLineType type, const QString &name, int channels);
    quint32 AddControl(quint32 line, TMixerControlType type, const QString &name, std::vector<qint32> values,
                       int items = 0);

    MixerCaps &Caps(int device) { return devices_.at(size_t(device)).Caps; }
    MixerLineInfo &LineInfo(quint32 line) { return lines_.at(line).Info; }
    MixerControlInfo &ControlInfo(quint32 control) { return controls_.at(control).Info; }
    std::vector<qint32> &Values(quint32 control) { return controls_.at(control).Values; }
    int Writes() const { return writes_; }
    int OpenHandles() const { return int(open_.size()); }

    // From now on the call fails with `code` for that device index, line id
    // (LineInfo, LineControls) or control id (Details).
    void Fail(Call call, quint32 key, int code) { failures_[{call, key}] = code; }
    // A change made outside the program; reported when its device is open
    // with notices.
    void ChangeValues(quint32 control, std::vector<qint32> values);
    void ChangeLine(quint32 line);

    int DeviceCount() override { return int(devices_.size()); }
    int GetDevCaps(int device, MixerCaps &caps) override;
    int Open(int device, bool notify, MixerHandle &handle) override;
    int Close(MixerHandle handle) override;
    int GetLineInfo(MixerHandle handle, int destination, int source, MixerLineInfo &line) override;
    int GetLineControls(MixerHandle handle, quint32 lineId, std::vector<MixerControlInfo> &controls) override;
    int GetControlDetails(MixerHandle handle, quint32 controlId, int channels,
                          std::vector<qint32> &values) override;
    int SetControlDetails(MixerHandle handle, quint32 controlId, int channels,
                          const std::vector<qint32> &values) override;

private:
    struct Device {
        MixerCaps Caps;
        std::vector<quint32> Destinations;
    };
    struct Line {
        int Device = 0;
        MixerLineInfo Info;
        std::vector<quint32> Sources;
        std::vector<quint32> Controls;
    };
    struct Control {
        int Device = 0;
        int Channels = 1;
        MixerControlInfo Info;
        std::vector<qint32> Values;
    };
    struct OpenDevice {
        int Device = 0;
        bool Notify = false;
    };

    void Report(int device, bool line, quint32 id);
    int Failure(Call call, quint32 key) const;
    const OpenDevice *Opened(MixerHandle handle) const;
    Control *ControlOf(MixerHandle handle, quint32 controlId, int channels, int &result);
    quint32 AddLine(int device, TMixerLineType type, const QString &name, int channels);

    std::vector<Device> devices_;
    std::map<quint32, Line> lines_;
    std::map<quint32, Control> controls_;
    std::map<MixerHandle, OpenDevice> open_;
    std::map<std::pair<Call, quint32>, int> failures_;
    quint32 nextId_ = 1;
    MixerHandle nextHandle_ = 1;
    int writes_ = 0;
};

// One device "Simulated" with a stereo speaker line "Speakers" at full
// volume, centred and not muted: its controls "Volume" and "Mute".
std::unique_ptr<MemoryMixerBackend> MakeSimulatedSpeaker();

} // namespace ov
