#include "platform/OVMixerRoles.h"

namespace ov {

namespace {

// A name matches a key that stands in it as whole words ("Front Mic" is a
// microphone, "Headphone" no telephone). The first matching row wins, so
// destinations and longer keys come first.
struct RoleRow {
    const char *Key;
    TMixerLineType Playback;
    TMixerLineType Capture;
};

constexpr RoleRow kRoles[] = {
    {"Master", dtSpeakers, ltUnknown},
    {"PC Speaker", ltPcSpeaker, ltPcSpeaker},
    {"Speaker", dtSpeakers, ltUnknown},
    {"Headphone", dtHeadphones, ltUnknown},
    {"IEC958", dtDigital, ltDigital},
    {"Capture", ltUnknown, dtWaveIn},
    {"PCM", ltWaveOut, ltWaveOut},
    {"CD", ltCompactDisk, ltCompactDisk},
    {"Line", ltLine, ltLine},
    {"Mic", ltMicrophone, ltMicrophone},
    {"Synth", ltSynthesizer, ltSynthesizer},
    {"MIDI", ltSynthesizer, ltSynthesizer},
    {"Beep", ltPcSpeaker, ltPcSpeaker},
    {"Aux", ltAuxiliary, ltAuxiliary},
    {"Phone", ltTelephone, ltTelephone},
};

struct InterfaceRow {
    const char *Key;
    TMixerControlType Type;
};

constexpr InterfaceRow kInterfaceControls[] = {
    {"Bass", ctBass},
    {"Treble", ctTreble},
    {"Loudness", ctLoudness},
    {"3D", ctStereoEnh},
};

bool IsWordEdge(const QString &name, qsizetype at)
{
    return at < 0 || at >= name.size() || name[at] == u' ';
}

bool ContainsWords(const QString &name, const char *key)
{
    const QString words = QString::fromLatin1(key);
    for (qsizetype at = name.indexOf(words); at >= 0; at = name.indexOf(words, at + 1)) {
        if (IsWordEdge(name, at - 1) && IsWordEdge(name, at + words.size()))
            return true;
    }
    return false;
}

} // namespace

MixerElementRole ElementRole(const QString &name, bool hasLevels)
{
    for (const RoleRow &row : kRoles) {
        if (ContainsWords(name, row.Key))
            return {row.Playback, row.Capture};
    }
    const TMixerLineType other = hasLevels ? ltAnalog : ltUnknown;
    return {other, other};
}

TMixerControlType InterfaceControlType(const QString &name)
{
    for (const InterfaceRow &row : kInterfaceControls) {
        if (ContainsWords(name, row.Key))
            return row.Type;
    }
    return ctUnknown;
}

} // namespace ov
