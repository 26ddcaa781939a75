#include "platform/OVAlsaControl.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <limits>
#include <memory>

namespace ov {

namespace {

constexpr double kFullScale = 65535.0;

struct ValueFree {
    void operator()(snd_ctl_elem_value_t *value) const { snd_ctl_elem_value_free(value); }
};
using ElementValue = std::unique_ptr<snd_ctl_elem_value_t, ValueFree>;

struct InfoFree {
    void operator()(snd_ctl_elem_info_t *info) const { snd_ctl_elem_info_free(info); }
};
using ElementInfo = std::unique_ptr<snd_ctl_elem_info_t, InfoFree>;

struct IdFree {
    void operator()(snd_ctl_elem_id_t *id) const { snd_ctl_elem_id_free(id); }
};
using ElementId = std::unique_ptr<snd_ctl_elem_id_t, IdFree>;

ElementValue NewValue()
{
    snd_ctl_elem_value_t *value = nullptr;
    return ElementValue(snd_ctl_elem_value_malloc(&value) == 0 ? value : nullptr);
}

qint32 Clamp32(long value)
{
    return qint32(std::clamp<long>(value, std::numeric_limits<qint32>::min(), std::numeric_limits<qint32>::max()));
}

qint32 Round32(double value)
{
    constexpr double low = std::numeric_limits<qint32>::min();
    constexpr double high = std::numeric_limits<qint32>::max();
    return qint32(std::lround(std::clamp(value, low, high)));
}

snd_hctl_elem_t *FindElement(snd_hctl_t *hctl, const AlsaControl &control)
{
    snd_ctl_elem_id_t *raw = nullptr;
    if (snd_ctl_elem_id_malloc(&raw) != 0)
        return nullptr;
    const ElementId id(raw);
    snd_ctl_elem_id_set_interface(raw, SND_CTL_ELEM_IFACE_MIXER);
    snd_ctl_elem_id_set_name(raw, control.ElementName.constData());
    snd_ctl_elem_id_set_index(raw, control.ElementIndex);
    snd_ctl_elem_id_set_device(raw, control.ElementDevice);
    snd_ctl_elem_id_set_subdevice(raw, control.ElementSubdevice);
    return snd_hctl_find_elem(hctl, raw);
}

// The control's element and its current values.
int ReadElement(snd_hctl_t *hctl, const AlsaControl &control, snd_hctl_elem_t *&element, ElementValue &value)
{
    element = FindElement(hctl, control);
    if (element == nullptr)
        return mrInvalidControl;
    value = NewValue();
    if (!value)
        return mrNoMemory;
    const int error = snd_hctl_elem_read(element, value.get());
    return error < 0 ? AlsaResult(error) : mrOk;
}

long GetRaw(const snd_ctl_elem_value_t *value, snd_ctl_elem_type_t type, unsigned index)
{
    switch (type) {
    case SND_CTL_ELEM_TYPE_BOOLEAN: return snd_ctl_elem_value_get_boolean(value, index);
    case SND_CTL_ELEM_TYPE_ENUMERATED: return long(snd_ctl_elem_value_get_enumerated(value, index));
    default: return snd_ctl_elem_value_get_integer(value, index);
    }
}

void SetRaw(snd_ctl_elem_value_t *value, snd_ctl_elem_type_t type, unsigned index, long raw)
{
    switch (type) {
    case SND_CTL_ELEM_TYPE_BOOLEAN: snd_ctl_elem_value_set_boolean(value, index, raw); break;
    case SND_CTL_ELEM_TYPE_ENUMERATED: snd_ctl_elem_value_set_enumerated(value, index, unsigned(raw)); break;
    default: snd_ctl_elem_value_set_integer(value, index, raw); break;
    }
}

// The first item marked for the channel; -1 when none is.
long ChosenItem(const std::vector<qint32> &values, int channel, int channels, int items)
{
    for (int item = 0; item < items; ++item) {
        if (values[size_t(item * channels + channel)] != 0)
            return item;
    }
    return -1;
}

int ItemCount(const AlsaControl &control)
{
    return control.ValueType == SND_CTL_ELEM_TYPE_ENUMERATED ? control.Info.MultipleItems : 1;
}

void DescribeRange(const snd_ctl_elem_info_t *info, AlsaControl &control)
{
    control.Info.Bounds = {control.Scaled ? 0 : Clamp32(control.Min), control.Scaled ? 65535 : Clamp32(control.Max),
                           0, 0, 0, 0};
    if (control.ValueType == SND_CTL_ELEM_TYPE_INTEGER) {
        const long step = std::max(1L, snd_ctl_elem_info_get_step(info));
        control.Info.Metrics[0] = Clamp32((control.Max - control.Min) / step);
    }
}

} // namespace

bool DescribeAlsaControl(snd_hctl_elem_t *element, TMixerControlType type, bool inverted, AlsaControl &control)
{
    snd_ctl_elem_info_t *raw = nullptr;
    if (snd_ctl_elem_info_malloc(&raw) != 0)
        return false;
    const ElementInfo info(raw);
    if (snd_hctl_elem_info(element, raw) < 0 || !snd_ctl_elem_info_is_readable(raw))
        return false;
    AlsaControl described;
    described.ValueType = snd_ctl_elem_info_get_type(raw);
    described.Count = int(std::max(1U, snd_ctl_elem_info_get_count(raw)));
    switch (described.ValueType) {
    case SND_CTL_ELEM_TYPE_INTEGER:
        described.Min = snd_ctl_elem_info_get_min(raw);
        described.Max = snd_ctl_elem_info_get_max(raw);
        break;
    case SND_CTL_ELEM_TYPE_BOOLEAN: described.Max = 1; break;
    case SND_CTL_ELEM_TYPE_ENUMERATED:
        described.Info.MultipleItems = int(std::min(snd_ctl_elem_info_get_items(raw), 1024U));
        described.Max = described.Info.MultipleItems - 1;
        break;
    default: return false;
    }
    if (!snd_ctl_elem_info_is_writable(raw))
        type = described.ValueType == SND_CTL_ELEM_TYPE_INTEGER ? ctPeakMeter : ctUnknown;
    described.Scaled = type == ctVolume;
    if (described.Max < described.Min || (described.Scaled && described.Max == described.Min))
        return false;
    described.Inverted = inverted && described.ValueType == SND_CTL_ELEM_TYPE_BOOLEAN;
    described.ElementName = snd_hctl_elem_get_name(element);
    described.ElementIndex = snd_hctl_elem_get_index(element);
    described.ElementDevice = snd_hctl_elem_get_device(element);
    described.ElementSubdevice = snd_hctl_elem_get_subdevice(element);
    described.Info.ControlID = snd_hctl_elem_get_numid(element);
    described.Info.ControlType = type;
    described.Info.Name = described.Info.ShortName = QString::fromUtf8(described.ElementName);
    if (described.Count == 1)
        described.Info.Flags.Include(mcfUniform);
    if (described.Info.MultipleItems > 0)
        described.Info.Flags.Include(mcfMultiple);
    if (snd_ctl_elem_info_is_inactive(raw))
        described.Info.Flags.Include(mcfDisabled);
    DescribeRange(raw, described);
    control = std::move(described);
    return true;
}

qint32 AlsaDetailOfRaw(const AlsaControl &control, long raw)
{
    if (control.Scaled) {
        const double level = double(raw) - double(control.Min);
        return Round32(level * kFullScale / (double(control.Max) - double(control.Min)));
    }
    if (control.Inverted)
        return raw == 0 ? 1 : 0;
    return Clamp32(raw);
}

long AlsaRawOfDetail(const AlsaControl &control, qint32 detail)
{
    if (control.Scaled) {
        const double level = std::clamp(double(detail), 0.0, kFullScale);
        return control.Min + std::lround(level * (double(control.Max) - double(control.Min)) / kFullScale);
    }
    if (control.Inverted)
        return detail == 0 ? 1 : 0;
    return std::clamp<long>(detail, control.Min, control.Max);
}

int ReadAlsaValues(snd_hctl_t *hctl, const AlsaControl &control, std::vector<long> &values)
{
    snd_hctl_elem_t *element = nullptr;
    ElementValue value;
    if (const int result = ReadElement(hctl, control, element, value))
        return result;
    values.clear();
    for (int channel = 0; channel < control.Count; ++channel)
        values.push_back(GetRaw(value.get(), control.ValueType, unsigned(channel)));
    return mrOk;
}

int ReadAlsaDetails(snd_hctl_t *hctl, const AlsaControl &control, int channels, std::vector<qint32> &values)
{
    std::vector<long> raw;
    if (const int result = ReadAlsaValues(hctl, control, raw))
        return result;
    if (channels < 1 || channels > control.Count)
        return mrInvalidParam;
    values.clear();
    if (control.ValueType == SND_CTL_ELEM_TYPE_ENUMERATED) {
        for (int item = 0; item < ItemCount(control); ++item) {
            for (int channel = 0; channel < channels; ++channel)
                values.push_back(raw[size_t(channel)] == item ? 1 : 0);
        }
        return mrOk;
    }
    for (int channel = 0; channel < channels; ++channel)
        values.push_back(AlsaDetailOfRaw(control, raw[size_t(channel)]));
    return mrOk;
}

// The element is read first: channels beyond those given keep their values.
int WriteAlsaDetails(snd_hctl_t *hctl, const AlsaControl &control, int channels, const std::vector<qint32> &values)
{
    const int items = ItemCount(control);
    snd_hctl_elem_t *element = nullptr;
    ElementValue value;
    if (const int result = ReadElement(hctl, control, element, value))
        return result;
    if (channels < 1 || channels > control.Count || int(values.size()) != channels * items)
        return mrInvalidParam;
    for (int channel = 0; channel < control.Count; ++channel) {
        if (channels != 1 && channel >= channels)
            continue;
        const int given = channels == 1 ? 0 : channel;
        const long raw = control.ValueType == SND_CTL_ELEM_TYPE_ENUMERATED
            ? ChosenItem(values, given, channels, items)
            : AlsaRawOfDetail(control, values[size_t(given)]);
        if (raw < 0 && control.ValueType == SND_CTL_ELEM_TYPE_ENUMERATED)
            return mrInvalidParam;
        SetRaw(value.get(), control.ValueType, unsigned(channel), raw);
    }
    return AlsaResult(snd_hctl_elem_write(element, value.get()));
}

int AlsaResult(int error)
{
    switch (error) {
    case 0: return mrOk;
    case -ENOENT:
    case -ENODEV: return mrBadDeviceId;
    case -EBADFD:
    case -EBADF: return mrInvalidHandle;
    case -ENXIO: return mrNoDriver;
    case -ENOMEM: return mrNoMemory;
    case -EINVAL: return mrInvalidParam;
    default: return error > 0 ? mrOk : error;
    }
}

} // namespace ov
