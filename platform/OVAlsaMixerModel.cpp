#include "platform/OVAlsaMixerModel.h"

#include "platform/OVMixerRoles.h"

#include <algorithm>
#include <array>

namespace ov {

namespace {

constexpr quint32 kCaptureLine = 0x80000000u;

// The parts of an element's side and the control-interface names that
// hold them, tried in this order ("Master Playback Volume", "Master Volume").
struct Part {
    bool Capture;
    std::array<const char *, 3> Suffixes;
    snd_ctl_elem_type_t ValueType;
    TMixerControlType Type;
    bool Inverted;
    bool (*Present)(snd_mixer_elem_t *);
};

bool HasPlaybackVolume(snd_mixer_elem_t *e)
{
    return snd_mixer_selem_has_playback_volume(e) || snd_mixer_selem_has_common_volume(e);
}
bool HasPlaybackSwitch(snd_mixer_elem_t *e)
{
    return snd_mixer_selem_has_playback_switch(e) || snd_mixer_selem_has_common_switch(e);
}
bool HasCaptureVolume(snd_mixer_elem_t *e) { return snd_mixer_selem_has_capture_volume(e); }
bool HasCaptureSwitch(snd_mixer_elem_t *e) { return snd_mixer_selem_has_capture_switch(e); }
bool IsPlaybackChoice(snd_mixer_elem_t *e) { return snd_mixer_selem_is_enum_playback(e); }
bool IsCaptureChoice(snd_mixer_elem_t *e) { return snd_mixer_selem_is_enum_capture(e); }

constexpr auto kInteger = SND_CTL_ELEM_TYPE_INTEGER;
constexpr auto kBoolean = SND_CTL_ELEM_TYPE_BOOLEAN;
constexpr auto kChoice = SND_CTL_ELEM_TYPE_ENUMERATED;

const Part kParts[] = {
    {false, {" Playback Volume", " Volume", ""}, kInteger, ctVolume, false, HasPlaybackVolume},
    {false, {" Playback Switch", " Switch", ""}, kBoolean, ctMute, true, HasPlaybackSwitch},
    {false, {" Playback Enum", " Enum", ""}, kChoice, ctMux, false, IsPlaybackChoice},
    {true, {" Capture Volume", " Volume", ""}, kInteger, ctVolume, false, HasCaptureVolume},
    {true, {" Capture Switch", " Switch", ""}, kBoolean, ctMultipleSelect, false, HasCaptureSwitch},
    {true, {" Capture Enum", " Enum", ""}, kChoice, ctMux, false, IsCaptureChoice},
};

snd_hctl_elem_t *FindMixerElement(snd_hctl_t *hctl, const QByteArray &name, unsigned index)
{
    snd_ctl_elem_id_t *id = nullptr;
    if (snd_ctl_elem_id_malloc(&id) != 0)
        return nullptr;
    snd_ctl_elem_id_set_interface(id, SND_CTL_ELEM_IFACE_MIXER);
    snd_ctl_elem_id_set_name(id, name.constData());
    snd_ctl_elem_id_set_index(id, index);
    snd_hctl_elem_t *element = snd_hctl_find_elem(hctl, id);
    snd_ctl_elem_id_free(id);
    return element;
}

bool FindPart(snd_hctl_t *hctl, snd_mixer_elem_t *element, const Part &part, AlsaControl &control)
{
    TMixerControlType type = part.Type;
    if (type == ctMultipleSelect && snd_mixer_selem_has_capture_switch_exclusive(element))
        type = ctMux;
    const QByteArray base = snd_mixer_selem_get_name(element);
    for (const char *suffix : part.Suffixes) {
        snd_hctl_elem_t *found = FindMixerElement(hctl, base + suffix, snd_mixer_selem_get_index(element));
        if (found != nullptr && DescribeAlsaControl(found, type, part.Inverted, control)
            && control.ValueType == part.ValueType)
            return true;
    }
    return false;
}

bool IsClaimed(const std::vector<unsigned> &claimed, quint32 id)
{
    return std::find(claimed.begin(), claimed.end(), id) != claimed.end();
}

QString LineName(snd_mixer_elem_t *element)
{
    const QString name = QString::fromUtf8(snd_mixer_selem_get_name(element));
    const unsigned index = snd_mixer_selem_get_index(element);
    return index == 0 ? name : QStringLiteral("%1 %2").arg(name).arg(index);
}

// The line of one side of the element, when any of its parts can be read
// and is not another line's already.
void AddSideLine(snd_hctl_t *hctl, snd_mixer_elem_t *element, bool capture, std::vector<unsigned> &claimed,
                 std::vector<AlsaLine> &lines)
{
    AlsaLine line;
    line.Element = element;
    bool levels = false;
    for (const Part &part : kParts) {
        AlsaControl control;
        if (part.Capture != capture || !part.Present(element) || !FindPart(hctl, element, part, control)
            || IsClaimed(claimed, control.Info.ControlID))
            continue;
        levels = levels || part.ValueType != kChoice;
        claimed.push_back(control.Info.ControlID);
        line.Info.Channels = std::max(line.Info.Channels, control.Count);
        line.Controls.push_back(std::move(control));
    }
    if (line.Controls.empty())
        return;
    const MixerElementRole role = ElementRole(QString::fromUtf8(snd_mixer_selem_get_name(element)), levels);
    line.Info.LineType = capture ? role.Capture : role.Playback;
    line.Info.LineID = line.Controls.front().Info.ControlID | (capture ? kCaptureLine : 0);
    line.Info.Name = line.Info.ShortName = LineName(element);
    lines.push_back(std::move(line));
}

bool HasVolume(const AlsaLine &line)
{
    return std::any_of(line.Controls.begin(), line.Controls.end(),
                       [](const AlsaControl &c) { return c.Info.ControlType == ctVolume; });
}

bool IsDestination(const AlsaLine &line)
{
    return IsDestinationType(line.Info.LineType);
}

// Every line, destinations each before their sources.
template <typename Destinations, typename Visit>
void VisitLines(Destinations &destinations, Visit visit)
{
    for (auto &destination : destinations) {
        visit(destination.Line);
        for (auto &source : destination.Sources)
            visit(source);
    }
}

} // namespace

void AlsaMixerModel::Build(snd_mixer_t *mixer, snd_hctl_t *hctl, const QString &targetName)
{
    destinations_.clear();
    std::vector<unsigned> claimed;
    std::vector<AlsaLine> playback;
    std::vector<AlsaLine> capture;
    for (snd_mixer_elem_t *e = snd_mixer_first_elem(mixer); e != nullptr; e = snd_mixer_elem_next(e)) {
        const QString name = QString::fromUtf8(snd_mixer_selem_get_name(e));
        if (!snd_mixer_selem_is_active(e) || InterfaceControlType(name) != ctUnknown)
            continue;
        AddSideLine(hctl, e, false, claimed, playback);
        AddSideLine(hctl, e, true, claimed, capture);
    }
    Arrange(std::move(playback), dtSpeakers);
    Arrange(std::move(capture), dtWaveIn);
    AddInterfaceControls(hctl, claimed);
    Number(targetName);
}

void AlsaMixerModel::Arrange(std::vector<AlsaLine> lines, TMixerLineType home)
{
    if (lines.empty())
        return;
    if (std::none_of(lines.begin(), lines.end(), IsDestination)) {
        const auto loudest = std::find_if(lines.begin(), lines.end(), HasVolume);
        (loudest != lines.end() ? *loudest : lines.front()).Info.LineType = home;
    }
    const size_t first = destinations_.size();
    for (AlsaLine &line : lines) {
        if (IsDestination(line))
            destinations_.push_back({std::move(line), {}});
    }
    size_t holder = first;
    for (size_t d = first; d < destinations_.size(); ++d) {
        if (destinations_[d].Line.Info.LineType == home) {
            holder = d;
            break;
        }
    }
    for (AlsaLine &line : lines) {
        if (!line.Controls.empty() && !IsDestination(line))
            destinations_[holder].Sources.push_back(std::move(line));
    }
}

void AlsaMixerModel::AddInterfaceControls(snd_hctl_t *hctl, const std::vector<unsigned> &claimed)
{
    if (destinations_.empty())
        return;
    auto &controls = destinations_.front().Line.Controls;
    for (snd_hctl_elem_t *e = snd_hctl_first_elem(hctl); e != nullptr; e = snd_hctl_elem_next(e)) {
        AlsaControl control;
        if (snd_hctl_elem_get_interface(e) != SND_CTL_ELEM_IFACE_MIXER
            || IsClaimed(claimed, snd_hctl_elem_get_numid(e)))
            continue;
        const TMixerControlType type = InterfaceControlType(QString::fromUtf8(snd_hctl_elem_get_name(e)));
        if (DescribeAlsaControl(e, type, false, control))
            controls.push_back(std::move(control));
    }
}

void AlsaMixerModel::Number(const QString &targetName)
{
    for (size_t d = 0; d < destinations_.size(); ++d) {
        AlsaDestination &destination = destinations_[d];
        for (int s = -1; s < int(destination.Sources.size()); ++s) {
            AlsaLine &line = s < 0 ? destination.Line : destination.Sources[size_t(s)];
            line.Info.Destination = int(d);
            line.Info.Source = s;
            line.Info.Connections = s < 0 ? int(destination.Sources.size()) : 0;
            line.Info.Controls = int(line.Controls.size());
            line.Info.TargetName = targetName;
        }
    }
}

// ---------------------------------------------------------------- lookups

const AlsaLine *AlsaMixerModel::Line(int destination, int source) const
{
    if (destination < 0 || destination >= DestinationCount())
        return nullptr;
    const AlsaDestination &holder = destinations_[size_t(destination)];
    if (source < -1 || source >= int(holder.Sources.size()))
        return nullptr;
    return source < 0 ? &holder.Line : &holder.Sources[size_t(source)];
}

const AlsaLine *AlsaMixerModel::LineById(quint32 id) const
{
    const AlsaLine *found = nullptr;
    VisitLines(destinations_, [&](const AlsaLine &line) {
        if (found == nullptr && line.Info.LineID == id)
            found = &line;
    });
    return found;
}

AlsaControl *AlsaMixerModel::ControlById(quint32 id)
{
    for (AlsaControl *control : Controls()) {
        if (control->Info.ControlID == id)
            return control;
    }
    return nullptr;
}

std::vector<AlsaControl *> AlsaMixerModel::Controls()
{
    std::vector<AlsaControl *> controls;
    VisitLines(destinations_, [&](AlsaLine &line) {
        for (AlsaControl &control : line.Controls)
            controls.push_back(&control);
    });
    return controls;
}

std::vector<quint32> AlsaMixerModel::LineIds() const
{
    std::vector<quint32> ids;
    VisitLines(destinations_, [&](const AlsaLine &line) { ids.push_back(line.Info.LineID); });
    return ids;
}

std::vector<quint32> AlsaMixerModel::LineIdsOf(snd_mixer_elem_t *element) const
{
    std::vector<quint32> ids;
    VisitLines(destinations_, [&](const AlsaLine &line) {
        if (line.Element == element)
            ids.push_back(line.Info.LineID);
    });
    return ids;
}

} // namespace ov
