#include "platform/OVMemoryMixer.h"

#include <algorithm>

namespace ov {

// ---------------------------------------------------------------- building

int MemoryMixerBackend::AddDevice(const QString &name)
{
    Device device;
    device.Caps.Name = name;
    devices_.push_back(device);
    return int(devices_.size()) - 1;
}

quint32 MemoryMixerBackend::AddLine(int device, TMixerLineType type, const QString &name, int channels)
{
    const quint32 id = nextId_++;
    Line &line = lines_[id];
    line.Device = device;
    line.Info.LineID = id;
    line.Info.LineType = type;
    line.Info.Channels = channels;
    line.Info.Name = name;
    line.Info.ShortName = name;
    line.Info.TargetName = devices_.at(size_t(device)).Caps.Name;
    return id;
}

quint32 MemoryMixerBackend::AddDestination(int device, TMixerLineType type, const QString &name, int channels)
{
    const quint32 id = AddLine(device, type, name, channels);
    devices_.at(size_t(device)).Destinations.push_back(id);
    return id;
}

quint32 MemoryMixerBackend::AddSource(quint32 destination, TMixerLineType type, const QString &name, int channels)
{
    const quint32 id = AddLine(lines_.at(destination).Device, type, name, channels);
    lines_.at(destination).Sources.push_back(id);
    return id;
}

quint32 MemoryMixerBackend::AddControl(quint32 line, TMixerControlType type, const QString &name,
                                       std::vector<qint32> values, int items)
{
    const quint32 id = nextId_++;
    Control &control = controls_[id];
    control.Device = lines_.at(line).Device;
    control.Channels = std::max(1, int(values.size()) / std::max(1, items));
    control.Values = std::move(values);
    control.Info.ControlID = id;
    control.Info.ControlType = type;
    control.Info.Name = name;
    control.Info.ShortName = name;
    control.Info.MultipleItems = items;
    control.Info.Bounds = {0, 65535, 0, 0, 0, 0};
    if (control.Channels == 1)
        control.Info.Flags.Include(mcfUniform);
    if (items > 0)
        control.Info.Flags.Include(mcfMultiple);
    lines_.at(line).Controls.push_back(id);
    return id;
}

// The receiver may close devices and open others: the handles to tell are
// taken first, and each is told while it is still open.
void MemoryMixerBackend::Report(int device, bool line, quint32 id)
{
    std::vector<MixerHandle> handles;
    for (const auto &[handle, opened] : open_) {
        if (opened.Device == device && opened.Notify)
            handles.push_back(handle);
    }
    const MixerNotices notices = Notices();
    const auto &report = line ? notices.LineChanged : notices.ControlChanged;
    for (const MixerHandle handle : handles) {
        if (report && open_.count(handle) != 0)
            report(handle, id);
    }
}

void MemoryMixerBackend::ChangeValues(quint32 control, std::vector<qint32> values)
{
    Control &changed = controls_.at(control);
    changed.Values = std::move(values);
    Report(changed.Device, false, control);
}

void MemoryMixerBackend::ChangeLine(quint32 line)
{
    Report(lines_.at(line).Device, true, line);
}

// ---------------------------------------------------------------- calls

int MemoryMixerBackend::Failure(Call call, quint32 key) const
{
    const auto found = failures_.find({call, key});
    return found != failures_.end() ? found->second : mrOk;
}

const MemoryMixerBackend::OpenDevice *MemoryMixerBackend::Opened(MixerHandle handle) const
{
    const auto found = open_.find(handle);
    return found != open_.end() ? &found->second : nullptr;
}

int MemoryMixerBackend::GetDevCaps(int device, MixerCaps &caps)
{
    if (device < 0 || device >= DeviceCount())
        return mrBadDeviceId;
    if (const int failure = Failure(Call::DevCaps, quint32(device)))
        return failure;
    caps = devices_[size_t(device)].Caps;
    caps.Destinations = int(devices_[size_t(device)].Destinations.size());
    return mrOk;
}

int MemoryMixerBackend::Open(int device, bool notify, MixerHandle &handle)
{
    if (device < 0 || device >= DeviceCount())
        return mrBadDeviceId;
    if (const int failure = Failure(Call::Open, quint32(device)))
        return failure;
    handle = nextHandle_++;
    open_[handle] = {device, notify};
    return mrOk;
}

int MemoryMixerBackend::Close(MixerHandle handle)
{
    return open_.erase(handle) != 0 ? mrOk : mrInvalidHandle;
}

int MemoryMixerBackend::GetLineInfo(MixerHandle handle, int destination, int source, MixerLineInfo &line)
{
    const OpenDevice *open = Opened(handle);
    if (open == nullptr)
        return mrInvalidHandle;
    const auto &destinations = devices_[size_t(open->Device)].Destinations;
    if (destination < 0 || destination >= int(destinations.size()))
        return mrInvalidLine;
    const Line &parent = lines_.at(destinations[size_t(destination)]);
    if (source < -1 || source >= int(parent.Sources.size()))
        return mrInvalidLine;
    const Line &wanted = source < 0 ? parent : lines_.at(parent.Sources[size_t(source)]);
    if (const int failure = Failure(Call::LineInfo, wanted.Info.LineID))
        return failure;
    line = wanted.Info;
    line.Destination = destination;
    line.Source = source;
    line.Connections = int(wanted.Sources.size());
    line.Controls = int(wanted.Controls.size());
    return mrOk;
}

int MemoryMixerBackend::GetLineControls(MixerHandle handle, quint32 lineId, std::vector<MixerControlInfo> &controls)
{
    const OpenDevice *open = Opened(handle);
    if (open == nullptr)
        return mrInvalidHandle;
    const auto found = lines_.find(lineId);
    if (found == lines_.end() || found->second.Device != open->Device)
        return mrInvalidLine;
    if (const int failure = Failure(Call::LineControls, lineId))
        return failure;
    controls.clear();
    for (const quint32 id : found->second.Controls)
        controls.push_back(controls_.at(id).Info);
    return mrOk;
}

MemoryMixerBackend::Control *MemoryMixerBackend::ControlOf(MixerHandle handle, quint32 controlId, int channels,
                                                           int &result)
{
    const OpenDevice *open = Opened(handle);
    const auto found = controls_.find(controlId);
    if (open == nullptr)
        result = mrInvalidHandle;
    else if (found == controls_.end() || found->second.Device != open->Device)
        result = mrInvalidControl;
    else if (channels < 1 || channels > found->second.Channels)
        result = mrInvalidParam;
    else
        result = Failure(Call::Details, controlId);
    return result == mrOk ? &found->second : nullptr;
}

int MemoryMixerBackend::GetControlDetails(MixerHandle handle, quint32 controlId, int channels,
                                          std::vector<qint32> &values)
{
    int result = mrOk;
    const Control *control = ControlOf(handle, controlId, channels, result);
    if (control == nullptr)
        return result;
    const int items = int(control->Values.size()) / control->Channels;
    values.clear();
    for (int item = 0; item < items; ++item) {
        const auto first = control->Values.begin() + item * control->Channels;
        values.insert(values.end(), first, first + channels);
    }
    return mrOk;
}

int MemoryMixerBackend::SetControlDetails(MixerHandle handle, quint32 controlId, int channels,
                                          const std::vector<qint32> &values)
{
    int result = mrOk;
    Control *control = ControlOf(handle, controlId, channels, result);
    if (control == nullptr)
        return result;
    const int items = int(control->Values.size()) / control->Channels;
    if (int(values.size()) != items * channels)
        return mrInvalidParam;
    for (int item = 0; item < items; ++item) {
        for (int channel = 0; channel < control->Channels; ++channel) {
            if (channels == 1 || channel < channels)
                control->Values[size_t(item * control->Channels + channel)] =
                    values[size_t(item * channels + std::min(channel, channels - 1))];
        }
    }
    ++writes_;
    return mrOk;
}

std::unique_ptr<MemoryMixerBackend> MakeSimulatedSpeaker()
{
    auto backend = std::make_unique<MemoryMixerBackend>();
    const int device = backend->AddDevice(QStringLiteral("Simulated"));
    const quint32 speakers = backend->AddDestination(device, dtSpeakers, QStringLiteral("Speakers"), 2);
    backend->AddControl(speakers, ctVolume, QStringLiteral("Volume"), {65535, 65535});
    const quint32 mute = backend->AddControl(speakers, ctMute, QStringLiteral("Mute"), {0});
    backend->ControlInfo(mute).Bounds = {0, 1, 0, 0, 0, 0};
    return backend;
}

} // namespace ov
