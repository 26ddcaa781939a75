// A connection of its own to the sound server, through ALSA's PulseAudio
// plugin, made beside a media player's. Once the server has gone away the
// connection stays lost, even when the server comes back, as the player's
// does: a player must not start on a lost connection, since the media
// framework's audio thread then hangs for good. Without the plugin there
// is no connection, and nothing is known to be lost.
#pragma once

struct _snd_ctl;

namespace ov {

class SoundServerLink {
public:
    SoundServerLink();
    ~SoundServerLink();
    SoundServerLink(const SoundServerLink &) = delete;
    SoundServerLink &operator=(const SoundServerLink &) = delete;

    // True when the server refused the connection, or the connection made
    // has been lost since.
    bool Lost() const;

private:
    _snd_ctl *ctl_ = nullptr;
    unsigned element_ = 0;  // a control read to test the connection; 0 for none
    bool refused_ = false;
};

} // namespace ov
