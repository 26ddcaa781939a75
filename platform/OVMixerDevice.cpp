#include "platform/OVMixerDevice.h"

#include <alsa/asoundlib.h>
#include <algorithm>
#include <cmath>
#include <cstring>

namespace ov {

namespace {

constexpr double kFullScale = 65535.0;

// ALSA writes its failures to standard error itself; here they read as "no
// mixer" instead.
void SilentErrorHandler(const char *, int, const char *, int, const char *, ...)
{
}

struct MixerCloser {
    void operator()(snd_mixer_t *mixer) const { snd_mixer_close(mixer); }
};
using MixerHandle = std::unique_ptr<snd_mixer_t, MixerCloser>;

bool HasName(snd_mixer_elem_t *element, const char *name)
{
    return std::strcmp(snd_mixer_selem_get_name(element), name) == 0;
}

// "Master", else "PCM", else the first element with a playback volume.
snd_mixer_elem_t *FindSpeakerElement(snd_mixer_t *mixer)
{
    snd_mixer_elem_t *pcm = nullptr;
    snd_mixer_elem_t *first = nullptr;
    for (snd_mixer_elem_t *e = snd_mixer_first_elem(mixer); e != nullptr; e = snd_mixer_elem_next(e)) {
        if (!snd_mixer_selem_is_active(e) || !snd_mixer_selem_has_playback_volume(e))
            continue;
        if (HasName(e, "Master"))
            return e;
        if (pcm == nullptr && HasName(e, "PCM"))
            pcm = e;
        if (first == nullptr)
            first = e;
    }
    return pcm != nullptr ? pcm : first;
}

class AlsaSpeakerLine : public MixerLine {
public:
    AlsaSpeakerLine(MixerHandle mixer, snd_mixer_elem_t *element) : mixer_(std::move(mixer)), element_(element) {}

    bool ReadLevels(std::vector<int> &levels) override;
    bool WriteLevels(const std::vector<int> &levels) override;
    bool ReadMute(bool &muted) override;
    bool WriteMute(bool muted) override;

private:
    std::vector<snd_mixer_selem_channel_id_t> Channels() const;
    bool Range(long &low, long &high) const
    {
        return snd_mixer_selem_get_playback_volume_range(element_, &low, &high) == 0 && high > low;
    }

    MixerHandle mixer_;
    snd_mixer_elem_t *element_;
};

std::vector<snd_mixer_selem_channel_id_t> AlsaSpeakerLine::Channels() const
{
    if (snd_mixer_selem_is_playback_mono(element_))
        return {SND_MIXER_SCHN_MONO};
    std::vector<snd_mixer_selem_channel_id_t> channels;
    for (int c = 0; c <= SND_MIXER_SCHN_LAST; ++c) {
        const auto channel = snd_mixer_selem_channel_id_t(c);
        if (snd_mixer_selem_has_playback_channel(element_, channel))
            channels.push_back(channel);
    }
    return channels;
}

bool AlsaSpeakerLine::ReadLevels(std::vector<int> &levels)
{
    long low = 0, high = 0;
    const auto channels = Channels();
    if (!Range(low, high) || channels.empty())
        return false;
    levels.clear();
    for (const auto channel : channels) {
        long value = 0;
        if (snd_mixer_selem_get_playback_volume(element_, channel, &value) != 0)
            return false;
        value = std::clamp(value, low, high);
        levels.push_back(int(std::lround(double(value - low) * kFullScale / double(high - low))));
    }
    return true;
}

bool AlsaSpeakerLine::WriteLevels(const std::vector<int> &levels)
{
    long low = 0, high = 0;
    const auto channels = Channels();
    if (!Range(low, high))
        return false;
    for (size_t i = 0; i < levels.size() && i < channels.size(); ++i) {
        const double level = std::clamp(levels[i], 0, int(kFullScale));
        const long value = low + std::lround(level * double(high - low) / kFullScale);
        if (snd_mixer_selem_set_playback_volume(element_, channels[i], value) != 0)
            return false;
    }
    return true;
}

// The switch is on while the line sounds: muted is its off state.
bool AlsaSpeakerLine::ReadMute(bool &muted)
{
    int on = 1;
    if (!snd_mixer_selem_has_playback_switch(element_)
        || snd_mixer_selem_get_playback_switch(element_, SND_MIXER_SCHN_FRONT_LEFT, &on) != 0)
        return false;
    muted = on == 0;
    return true;
}

bool AlsaSpeakerLine::WriteMute(bool muted)
{
    return snd_mixer_selem_has_playback_switch(element_)
        && snd_mixer_selem_set_playback_switch_all(element_, muted ? 0 : 1) == 0;
}

} // namespace

std::unique_ptr<MixerLine> OpenSpeakerLine()
{
    snd_lib_error_set_handler(SilentErrorHandler);
    snd_mixer_t *raw = nullptr;
    if (snd_mixer_open(&raw, 0) != 0)
        return nullptr;
    MixerHandle mixer(raw);
    if (snd_mixer_attach(raw, "default") != 0 || snd_mixer_selem_register(raw, nullptr, nullptr) != 0
        || snd_mixer_load(raw) != 0)
        return nullptr;
    snd_mixer_elem_t *element = FindSpeakerElement(raw);
    if (element == nullptr)
        return nullptr;
    return std::make_unique<AlsaSpeakerLine>(std::move(mixer), element);
}

} // namespace ov
