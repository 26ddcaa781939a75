#include "platform/OVAlsaDevice.h"

#include <QFile>
#include <algorithm>
#include <cerrno>
#include <map>

namespace ov {

namespace {

// The library's version as 0xMMmmss.
quint32 LibraryVersion()
{
    const QStringList parts = QString::fromLatin1(snd_asoundlib_version()).split(u'.');
    quint32 version = 0;
    for (int i = 0; i < 3; ++i)
        version = (version << 8) | (i < parts.size() ? (parts[i].toUInt() & 0xFF) : 0);
    return version;
}

// A USB card names its vendor and product ("046d:0a44").
void ReadUsbId(int card, MixerCaps &caps)
{
    QFile file(QStringLiteral("/proc/asound/card%1/usbid").arg(card));
    if (card < 0 || !file.open(QIODevice::ReadOnly))
        return;
    const QList<QByteArray> ids = file.readLine().trimmed().split(':');
    bool vendorOk = false;
    bool productOk = false;
    const quint16 vendor = ids.value(0).toUShort(&vendorOk, 16);
    const quint16 product = ids.value(1).toUShort(&productOk, 16);
    if (ids.size() == 2 && vendorOk && productOk) {
        caps.ManufacturerID = vendor;
        caps.ProductID = product;
    }
}

} // namespace

int AlsaDevice::Open(const QString &name, std::unique_ptr<AlsaDevice> &device)
{
    snd_mixer_t *mixer = nullptr;
    if (const int error = snd_mixer_open(&mixer, 0); error < 0)
        return AlsaResult(error);
    std::unique_ptr<AlsaDevice> opened(new AlsaDevice(mixer));
    const QByteArray id = name.toLocal8Bit();
    int error = snd_mixer_attach(mixer, id.constData());
    if (error >= 0)
        error = snd_mixer_selem_register(mixer, nullptr, nullptr);
    if (error >= 0)
        error = snd_mixer_load(mixer);
    if (error >= 0)
        error = snd_mixer_get_hctl(mixer, id.constData(), &opened->hctl_);
    if (error < 0)
        return AlsaResult(error);
    snd_ctl_nonblock(snd_hctl_ctl(opened->hctl_), 1);
    snd_mixer_set_callback(mixer, MixerEvent);
    snd_mixer_set_callback_private(mixer, opened.get());
    opened->ReadCaps(name);
    opened->Rebuild();
    device = std::move(opened);
    return mrOk;
}

AlsaDevice::~AlsaDevice()
{
    snd_mixer_close(mixer_);
}

// The card's name where it has one ("default" has that of the sound
// server's plugin), else the device name.
void AlsaDevice::ReadCaps(const QString &name)
{
    caps_.Name = name;
    caps_.DriverVersion = LibraryVersion();
    snd_ctl_card_info_t *info = nullptr;
    if (snd_ctl_card_info_malloc(&info) != 0)
        return;
    if (snd_ctl_card_info(snd_hctl_ctl(hctl_), info) == 0) {
        const QString card = QString::fromUtf8(snd_ctl_card_info_get_name(info));
        if (!card.isEmpty())
            caps_.Name = card;
        ReadUsbId(snd_ctl_card_info_get_card(info), caps_);
    }
    snd_ctl_card_info_free(info);
}

std::vector<pollfd> AlsaDevice::PollDescriptors() const
{
    std::vector<pollfd> descriptors(size_t(std::max(0, snd_mixer_poll_descriptors_count(mixer_))));
    const int filled = snd_mixer_poll_descriptors(mixer_, descriptors.data(), unsigned(descriptors.size()));
    descriptors.resize(size_t(std::max(0, filled)));
    return descriptors;
}

// ---------------------------------------------------------------- events

int AlsaDevice::MixerEvent(snd_mixer_t *mixer, unsigned int mask, snd_mixer_elem_t *)
{
    auto *device = static_cast<AlsaDevice *>(snd_mixer_get_callback_private(mixer));
    if ((mask & SND_CTL_EVENT_MASK_ADD) != 0)
        device->reshaped_ = true;
    return 0;
}

int AlsaDevice::ElementEvent(snd_mixer_elem_t *element, unsigned int mask)
{
    auto *device = static_cast<AlsaDevice *>(snd_mixer_elem_get_callback_private(element));
    auto &changed = device->changedInKind_;
    if (mask == SND_CTL_EVENT_MASK_REMOVE) {
        device->reshaped_ = true;
        changed.erase(std::remove(changed.begin(), changed.end(), element), changed.end());
        return 0;
    }
    if ((mask & SND_CTL_EVENT_MASK_INFO) != 0) {
        device->reshaped_ = true;
        changed.push_back(element);
    }
    if ((mask & SND_CTL_EVENT_MASK_VALUE) != 0)
        device->valuesChanged_ = true;
    return 0;
}

std::vector<AlsaDevice::Change> AlsaDevice::TakeEvents()
{
    const std::vector<quint32> before = model_.LineIds();
    reshaped_ = false;
    valuesChanged_ = false;
    changedInKind_.clear();
    std::vector<Change> changes;
    if (const int error = snd_mixer_handle_events(mixer_); error < 0 && error != -EAGAIN)
        lost_ = true;
    if (reshaped_) {
        Rebuild();
        ChangedLines(before, changes);
    }
    if (reshaped_ || valuesChanged_)
        ChangedValues(changes);
    return changes;
}

// The values seen before stay with their controls, so that a change that
// came with the rebuild is still reported.
void AlsaDevice::Rebuild()
{
    std::map<quint32, std::vector<long>> seen;
    for (const AlsaControl *control : model_.Controls())
        seen[control->Info.ControlID] = control->Seen;
    model_.Build(mixer_, hctl_, caps_.Name);
    for (AlsaControl *control : model_.Controls()) {
        const auto found = seen.find(control->Info.ControlID);
        if (found != seen.end())
            control->Seen = found->second;
        else
            ReadAlsaValues(hctl_, *control, control->Seen);
    }
    for (snd_mixer_elem_t *e = snd_mixer_first_elem(mixer_); e != nullptr; e = snd_mixer_elem_next(e)) {
        snd_mixer_elem_set_callback(e, ElementEvent);
        snd_mixer_elem_set_callback_private(e, this);
    }
    caps_.Destinations = model_.DestinationCount();
}

// Lines that came, went, or belong to an element changed in kind.
void AlsaDevice::ChangedLines(const std::vector<quint32> &before, std::vector<Change> &changes) const
{
    const std::vector<quint32> after = model_.LineIds();
    std::vector<quint32> lines;
    const auto absent = [](const std::vector<quint32> &ids, quint32 id) {
        return std::find(ids.begin(), ids.end(), id) == ids.end();
    };
    for (const quint32 id : before) {
        if (absent(after, id))
            lines.push_back(id);
    }
    for (const quint32 id : after) {
        if (absent(before, id))
            lines.push_back(id);
    }
    for (snd_mixer_elem_t *element : changedInKind_) {
        for (const quint32 id : model_.LineIdsOf(element)) {
            if (absent(lines, id))
                lines.push_back(id);
        }
    }
    for (const quint32 id : lines)
        changes.push_back({true, id});
}

void AlsaDevice::ChangedValues(std::vector<Change> &changes)
{
    for (AlsaControl *control : model_.Controls()) {
        std::vector<long> values;
        if (ReadAlsaValues(hctl_, *control, values) != mrOk || values == control->Seen)
            continue;
        control->Seen = std::move(values);
        changes.push_back({false, control->Info.ControlID});
    }
}

} // namespace ov
