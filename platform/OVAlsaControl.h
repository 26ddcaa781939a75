// One control of a sound card's mixer as the mixer backend shows it: an
// element of the card's control interface, read and written as details.
// The element is found again by its name on every use, so that one removed
// meanwhile is never touched.
#pragma once

#include "platform/OVMixerDevice.h"

#include <QByteArray>
#include <alsa/asoundlib.h>
#include <vector>

namespace ov {

struct AlsaControl {
    QByteArray ElementName;
    unsigned ElementIndex = 0;
    unsigned ElementDevice = 0;
    unsigned ElementSubdevice = 0;
    MixerControlInfo Info;
    snd_ctl_elem_type_t ValueType = SND_CTL_ELEM_TYPE_NONE;
    int Count = 1;  // the values the element holds: its channels
    long Min = 0;
    long Max = 0;
    bool Scaled = false;    // a volume: details on the scale 0..65535
    bool Inverted = false;  // a playback switch shown as mute: off is 1
    std::vector<long> Seen;  // the values as last seen, for change notices
};

// Describes the element as a control of the wanted type; a read-only level
// is a peak meter. False when its values cannot be exchanged as details.
bool DescribeAlsaControl(snd_hctl_elem_t *element, TMixerControlType type, bool inverted, AlsaControl &control);

// A raw value of the element as a detail, and back. A volume's range maps
// onto 0..65535; a level the card holds beyond its range (a sound server
// above 100 %) lies beyond 0..65535 too, so that it never passes for full
// scale or silence. Written details are kept within the range.
qint32 AlsaDetailOfRaw(const AlsaControl &control, long raw);
long AlsaRawOfDetail(const AlsaControl &control, qint32 detail);

// The element's values as the card holds them (enumerated: the chosen item
// of each channel).
int ReadAlsaValues(snd_hctl_t *hctl, const AlsaControl &control, std::vector<long> &values);
int ReadAlsaDetails(snd_hctl_t *hctl, const AlsaControl &control, int channels, std::vector<qint32> &values);
int WriteAlsaDetails(snd_hctl_t *hctl, const AlsaControl &control, int channels, const std::vector<qint32> &values);

// The mixer result code of an ALSA error; one without an equivalent keeps
// its own (negative) number.
int AlsaResult(int error);

} // namespace ov
