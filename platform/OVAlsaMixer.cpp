#include "platform/OVAlsaMixer.h"

#include "platform/OVAlsaDevice.h"

#include <QAbstractEventDispatcher>
#include <QObject>
#include <QSocketNotifier>
#include <QStringList>
#include <map>

namespace ov {

namespace {

// ALSA writes its failures to standard error itself; here they are result
// codes instead.
void SilentErrorHandler(const char *, int, const char *, int, const char *, ...)
{
}

class AlsaMixerBackend final : public MixerBackend {
public:
    AlsaMixerBackend() { snd_lib_error_set_handler(SilentErrorHandler); }
    ~AlsaMixerBackend() override { open_.clear(); }
    AlsaMixerBackend(const AlsaMixerBackend &) = delete;
    AlsaMixerBackend &operator=(const AlsaMixerBackend &) = delete;

    int DeviceCount() override;
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
    struct Opened {
        std::unique_ptr<AlsaDevice> Device;
        bool Notify = false;
        bool DeliveryPosted = false;
        std::vector<AlsaDevice::Change> Pending;
        std::vector<std::unique_ptr<QSocketNotifier>> Watchers;
    };

    int Probe(int device);
    Opened *Find(MixerHandle handle);
    // The exchange with the control of an open device.
    template <typename Exchange>
    int OnControl(MixerHandle handle, quint32 controlId, Exchange exchange);
    void Watch(MixerHandle handle, Opened &opened);
    void Activated(MixerHandle handle);
    void Deliver(MixerHandle handle);
    void EndDispatch();

    QStringList names_;
    // GetDevCaps opens the device; Open then takes it from here.
    int probeIndex_ = -1;
    std::unique_ptr<AlsaDevice> probe_;
    std::map<MixerHandle, Opened> open_;
    MixerHandle nextHandle_ = 1;
    // A receiver may close a device while its watcher reports: the watcher
    // is deleted once the report has returned.
    int dispatching_ = 0;
    std::vector<std::unique_ptr<QSocketNotifier>> retired_;
    QObject context_;  // receives the posted deliveries; gone with the backend
};

bool HasEventLoop()
{
    return QAbstractEventDispatcher::instance() != nullptr;
}

int AlsaMixerBackend::DeviceCount()
{
    names_ = QStringList{QStringLiteral("default")};
    for (int card = -1; snd_card_next(&card) == 0 && card >= 0;)
        names_ << QStringLiteral("hw:%1").arg(card);
    probe_.reset();
    probeIndex_ = -1;
    return int(names_.size());
}

int AlsaMixerBackend::Probe(int device)
{
    if (device < 0 || device >= names_.size())
        return mrBadDeviceId;
    if (probe_ && probeIndex_ == device)
        return mrOk;
    probe_.reset();
    probeIndex_ = -1;
    const int result = AlsaDevice::Open(names_[device], probe_);
    if (result == mrOk)
        probeIndex_ = device;
    return result;
}

int AlsaMixerBackend::GetDevCaps(int device, MixerCaps &caps)
{
    if (const int result = Probe(device))
        return result;
    caps = probe_->Caps();
    return mrOk;
}

int AlsaMixerBackend::Open(int device, bool notify, MixerHandle &handle)
{
    if (const int result = Probe(device))
        return result;
    handle = nextHandle_++;
    Opened &opened = open_[handle];
    opened.Device = std::move(probe_);
    opened.Notify = notify && HasEventLoop();
    probeIndex_ = -1;
    if (opened.Notify)
        Watch(handle, opened);
    return mrOk;
}

int AlsaMixerBackend::Close(MixerHandle handle)
{
    const auto found = open_.find(handle);
    if (found == open_.end())
        return mrInvalidHandle;
    for (auto &watcher : found->second.Watchers) {
        watcher->setEnabled(false);
        if (dispatching_ > 0)
            retired_.push_back(std::move(watcher));
    }
    open_.erase(found);
    return mrOk;
}

// ---------------------------------------------------------------- lines and controls

int AlsaMixerBackend::GetLineInfo(MixerHandle handle, int destination, int source, MixerLineInfo &line)
{
    Opened *opened = Find(handle);
    if (opened == nullptr)
        return mrInvalidHandle;
    const AlsaLine *found = opened->Device->Model().Line(destination, source);
    if (found == nullptr)
        return mrInvalidLine;
    line = found->Info;
    return mrOk;
}

int AlsaMixerBackend::GetLineControls(MixerHandle handle, quint32 lineId, std::vector<MixerControlInfo> &controls)
{
    Opened *opened = Find(handle);
    if (opened == nullptr)
        return mrInvalidHandle;
    const AlsaLine *line = opened->Device->Model().LineById(lineId);
    if (line == nullptr)
        return mrInvalidLine;
    controls.clear();
    for (const AlsaControl &control : line->Controls)
        controls.push_back(control.Info);
    return mrOk;
}

template <typename Exchange>
int AlsaMixerBackend::OnControl(MixerHandle handle, quint32 controlId, Exchange exchange)
{
    Opened *opened = Find(handle);
    if (opened == nullptr)
        return mrInvalidHandle;
    const AlsaControl *control = opened->Device->Model().ControlById(controlId);
    if (control == nullptr)
        return mrInvalidControl;
    return exchange(opened->Device->ControlInterface(), *control);
}

int AlsaMixerBackend::GetControlDetails(MixerHandle handle, quint32 controlId, int channels,
                                        std::vector<qint32> &values)
{
    return OnControl(handle, controlId, [&](snd_hctl_t *hctl, const AlsaControl &control) {
        return ReadAlsaDetails(hctl, control, channels, values);
    });
}

int AlsaMixerBackend::SetControlDetails(MixerHandle handle, quint32 controlId, int channels,
                                        const std::vector<qint32> &values)
{
    return OnControl(handle, controlId, [&](snd_hctl_t *hctl, const AlsaControl &control) {
        return WriteAlsaDetails(hctl, control, channels, values);
    });
}

// ---------------------------------------------------------------- events

// The device after its pending events; their changes wait for delivery
// from the event loop.
AlsaMixerBackend::Opened *AlsaMixerBackend::Find(MixerHandle handle)
{
    const auto found = open_.find(handle);
    if (found == open_.end())
        return nullptr;
    Opened &opened = found->second;
    std::vector<AlsaDevice::Change> changes = opened.Device->TakeEvents();
    if (!opened.Notify || changes.empty())
        return &opened;
    opened.Pending.insert(opened.Pending.end(), changes.begin(), changes.end());
    if (!opened.DeliveryPosted) {
        opened.DeliveryPosted = true;
        QMetaObject::invokeMethod(&context_, [this, handle] { Deliver(handle); }, Qt::QueuedConnection);
    }
    return &opened;
}

void AlsaMixerBackend::Watch(MixerHandle handle, Opened &opened)
{
    for (const pollfd &descriptor : opened.Device->PollDescriptors()) {
        if ((descriptor.events & POLLIN) == 0)
            continue;
        auto watcher = std::make_unique<QSocketNotifier>(descriptor.fd, QSocketNotifier::Read);
        QObject::connect(watcher.get(), &QSocketNotifier::activated, &context_, [this, handle] { Activated(handle); });
        opened.Watchers.push_back(std::move(watcher));
    }
}

void AlsaMixerBackend::Activated(MixerHandle handle)
{
    ++dispatching_;
    if (Opened *opened = Find(handle)) {
        if (opened->Device->Lost()) {
            for (const auto &watcher : opened->Watchers)
                watcher->setEnabled(false);
        }
        Deliver(handle);
    }
    EndDispatch();
}

// The receiver may close devices or open new ones meanwhile: the changes
// are taken first, and the device is not touched after a report.
void AlsaMixerBackend::Deliver(MixerHandle handle)
{
    const auto found = open_.find(handle);
    if (found == open_.end())
        return;
    found->second.DeliveryPosted = false;
    const std::vector<AlsaDevice::Change> changes = std::move(found->second.Pending);
    found->second.Pending.clear();
    const MixerNotices notices = Notices();
    ++dispatching_;
    for (const AlsaDevice::Change &change : changes) {
        const auto &report = change.Line ? notices.LineChanged : notices.ControlChanged;
        if (report)
            report(handle, change.Id);
    }
    EndDispatch();
}

void AlsaMixerBackend::EndDispatch()
{
    if (--dispatching_ == 0)
        retired_.clear();
}

} // namespace

std::unique_ptr<MixerBackend> MakeAlsaMixerBackend()
{
    return std::make_unique<AlsaMixerBackend>();
}

} // namespace ov
