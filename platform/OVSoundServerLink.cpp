#include "platform/OVSoundServerLink.h"

#include <alsa/asoundlib.h>
#include <cerrno>

namespace ov {

namespace {

// The first control the plugin offers; 0 when it offers none.
unsigned FirstElement(snd_ctl_t *ctl)
{
    snd_ctl_elem_list_t *list = nullptr;
    if (snd_ctl_elem_list_malloc(&list) != 0)
        return 0;
    unsigned numid = 0;
    if (snd_ctl_elem_list(ctl, list) == 0 && snd_ctl_elem_list_get_count(list) > 0
        && snd_ctl_elem_list_alloc_space(list, 1) == 0 && snd_ctl_elem_list(ctl, list) == 0
        && snd_ctl_elem_list_get_used(list) > 0)
        numid = snd_ctl_elem_list_get_numid(list, 0);
    snd_ctl_elem_list_free_space(list);
    snd_ctl_elem_list_free(list);
    return numid;
}

} // namespace

SoundServerLink::SoundServerLink()
{
    const int error = snd_ctl_open(&ctl_, "pulse", 0);
    if (error < 0) {
        ctl_ = nullptr;
        refused_ = error == -ECONNREFUSED;
        return;
    }
    element_ = FirstElement(ctl_);
}

SoundServerLink::~SoundServerLink()
{
    if (ctl_ != nullptr)
        snd_ctl_close(ctl_);
}

// A read on a lost connection fails; the plugin does not connect again.
bool SoundServerLink::Lost() const
{
    if (ctl_ == nullptr || element_ == 0)
        return refused_;
    snd_ctl_elem_value_t *value = nullptr;
    if (snd_ctl_elem_value_malloc(&value) != 0)
        return false;
    snd_ctl_elem_value_set_numid(value, element_);
    const bool lost = snd_ctl_elem_read(ctl_, value) < 0;
    snd_ctl_elem_value_free(value);
    return lost;
}

} // namespace ov
