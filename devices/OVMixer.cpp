#include "devices/OVMixer.h"

#include "devices/OVMixerError.h"

namespace ov {

namespace {

constexpr int kDeviceNameLength = 32;
constexpr int kLongNameLength = 64;
constexpr int kShortNameLength = 16;
constexpr int kTargetNameLength = 32;

// At most `length` characters; a surrogate pair is not split.
QString Cut(const QString &name, qsizetype length)
{
    if (name.size() <= length)
        return name;
    if (name[length - 1].isHighSurrogate())
        --length;
    return name.left(length);
}

// The name unless the option suppresses it.
QString Copied(const TMixerOptions &options, TMixerOption suppress, const QString &name, qsizetype length)
{
    return options.Contains(suppress) ? QString() : Cut(name, length);
}

TMixerCtrl MakeControl(const MixerControlInfo &info, const TMixerOptions &options)
{
    TMixerCtrl control;
    control.ControlID = info.ControlID;
    control.ControlType = info.ControlType;
    control.Flags = info.Flags;
    if (info.ControlType == ctMute)
        control.Flags.Include(mcfUniform);
    control.MultipleItems = info.MultipleItems;
    control.Name = Copied(options, moNoControlName, info.Name, kLongNameLength);
    control.ShortName = Copied(options, moNoControlShortName, info.ShortName, kShortNameLength);
    if (!options.Contains(moNoControlBounds))
        control.Bounds = info.Bounds;
    if (!options.Contains(moNoControlMetrics))
        control.Metrics = info.Metrics;
    return control;
}

} // namespace

TMixer::TMixer(std::unique_ptr<MixerBackend> backend) : backend_(std::move(backend))
{
    backend_->SetNotices({[this](MixerHandle handle, quint32 id) { ControlChanged(handle, id); },
                          [this](MixerHandle handle, quint32 id) { LineChanged(handle, id); }});
}

// The devices close their handles on the backend, which goes after them.
TMixer::~TMixer()
{
    devices_.clear();
    backend_->SetNotices({});
}

void TMixer::Loaded()
{
    if (AutoScan)
        EnumerateMixers();
}

TMixerDev *TMixer::Device(int index) const
{
    return index >= 0 && index < DeviceCount() ? devices_[size_t(index)].get() : nullptr;
}

// ---------------------------------------------------------------- the scan

void TMixer::EnumerateMixers()
{
    devices_.clear();
    const bool notify = OnControlChange || OnLineChange;
    const int count = backend_->DeviceCount();
    for (int index = 0; index < count; ++index) {
        if (auto device = ScanDevice(index, notify))
            devices_.push_back(std::move(device));
    }
}

std::unique_ptr<TMixerDev> TMixer::ScanDevice(int index, bool notify)
{
    MixerCaps caps;
    MixerHandle handle = 0;
    if (!MixerCheck(backend_->GetDevCaps(index, caps), false)
        || !MixerCheck(backend_->Open(index, notify, handle), false))
        return nullptr;
    auto device = std::make_unique<TMixerDev>(this, handle);
    device->Name = Copied(Options, moNoDeviceName, caps.Name, kDeviceNameLength);
    device->ManufacturerID = caps.ManufacturerID;
    device->ProductID = caps.ProductID;
    device->DriverVersion = caps.DriverVersion;
    for (int destination = 0; destination < caps.Destinations; ++destination) {
        MixerLineInfo line;
        if (!MixerCheck(backend_->GetLineInfo(handle, destination, -1, line), false))
            break;
        if (Target.LineType.Contains(line.LineType))
            ScanDestination(*device, destination, line);
    }
    return device;
}

// Unless invalid items are enabled, a source left without wanted controls
// goes, and so does a destination without them and without sources.
void TMixer::ScanDestination(TMixerDev &device, int index, const MixerLineInfo &line)
{
    TMixerItem *destination = AddItem(device, nullptr, line);
    bool keptSources = false;
    for (int s = 0; s < line.Connections; ++s) {
        MixerLineInfo source;
        if (!MixerCheck(backend_->GetLineInfo(device.Handle, index, s, source), false)
            || !Target.LineType.Contains(source.LineType) || (source.Controls == 0 && !EnableInvalidItem))
            continue;
        const TMixerItem *item = AddItem(device, destination, source);
        if (item->Controls.empty() && !EnableInvalidItem)
            device.Items.pop_back();
        else
            keptSources = true;
    }
    if (!EnableInvalidItem && destination->Controls.empty() && !keptSources)
        device.Items.pop_back();
}

TMixerItem *TMixer::AddItem(TMixerDev &device, TMixerItem *parent, const MixerLineInfo &line)
{
    auto item = std::make_unique<TMixerItem>(&device, parent);
    item->Destination = line.Destination;
    item->LineID = line.LineID;
    item->Channels = line.Channels;
    item->LineType = line.LineType;
    item->Name = Copied(Options, moNoLineName, line.Name, kLongNameLength);
    item->ShortName = Copied(Options, moNoLineShortName, line.ShortName, kShortNameLength);
    item->TargetName = Copied(Options, moNoTargetName, line.TargetName, kTargetNameLength);
    AddControls(*item);
    device.Items.push_back(std::move(item));
    return device.Items.back().get();
}

// The first volume and the first mute control are the line's own.
void TMixer::AddControls(TMixerItem &item)
{
    std::vector<MixerControlInfo> controls;
    if (!MixerCheck(backend_->GetLineControls(item.Owner->Handle, item.LineID, controls), false))
        return;
    for (const MixerControlInfo &info : controls) {
        if (!Target.ControlType.Contains(info.ControlType))
            continue;
        const int index = int(item.Controls.size());
        if (info.ControlType == ctMute && item.MuteControl < 0)
            item.MuteControl = index;
        if (info.ControlType == ctVolume && item.VolumeControl < 0)
            item.VolumeControl = index;
        item.Controls.push_back(MakeControl(info, Options));
    }
}

// ---------------------------------------------------------------- the speaker line

TMixerItem *TMixer::MasterItem() const
{
    const TMixerDev *device = FirstDevice();
    return device != nullptr ? device->FindItemByType(dtSpeakers) : nullptr;
}

// Without the line, or when its device fails, the devices are found again
// and the step is tried once more: a device whose sound server went away
// stays lost even when the server is back.
bool TMixer::OnMasterItem(const std::function<void(TMixerItem &)> &step)
{
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (attempt > 0)
            EnumerateMixers();
        if (TMixerItem *item = MasterItem()) {
            try {
                step(*item);
                return true;
            } catch (const EMixerError &) {
            }
        }
    }
    return false;
}

int TMixer::GetMasterVolume()
{
    int volume = -1;
    OnMasterItem([&volume](TMixerItem &item) { volume = item.GetVolume(); });
    return volume;
}

void TMixer::SetMasterVolume(int percent)
{
    OnMasterItem([percent](TMixerItem &item) { item.SetVolume(percent); });
}

bool TMixer::GetMasterMute()
{
    bool muted = false;
    OnMasterItem([&muted](TMixerItem &item) { muted = item.GetMute(); });
    return muted;
}

void TMixer::SetMasterMute(bool muted)
{
    OnMasterItem([muted](TMixerItem &item) { item.SetMute(muted); });
}

// ---------------------------------------------------------------- notices

TMixerDev *TMixer::DeviceByHandle(MixerHandle handle) const
{
    for (const auto &device : devices_) {
        if (device->Handle == handle)
            return device.get();
    }
    return nullptr;
}

// Controls left out of the tree are not reported. The handler is copied:
// it may assign another, or scan again.
void TMixer::ControlChanged(MixerHandle handle, quint32 controlId)
{
    TMixerDev *device = DeviceByHandle(handle);
    TMixerCtrl *control = nullptr;
    TMixerItem *item = device != nullptr ? device->FindItemByControlID(controlId, control) : nullptr;
    if (item == nullptr || !OnControlChange)
        return;
    const TMixerControlChangeEvent handler = OnControlChange;
    handler(this, device, control, item);
}

void TMixer::LineChanged(MixerHandle handle, quint32 lineId)
{
    TMixerDev *device = DeviceByHandle(handle);
    if (device == nullptr || !OnLineChange)
        return;
    const TMixerLineChangeEvent handler = OnLineChange;
    handler(this, device, device->FindItemByLineID(lineId));
}

} // namespace ov
