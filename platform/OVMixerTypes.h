// The vocabulary the mixer component and its backends share: the kinds of
// lines and controls, the control flags, small sets of them, and the result
// codes of the backends' calls.
#pragma once

#include <QString>
#include <bitset>
#include <cstddef>
#include <initializer_list>

namespace ov {

// Each list gives the enumeration and its names; the order is fixed.
#define OV_MIXER_LINE_TYPES(X)                                                                                   \
    X(ltUndefined) X(ltDigital) X(ltLine) X(ltMicrophone) X(ltSynthesizer) X(ltCompactDisk) X(ltTelephone)       \
    X(ltPcSpeaker) X(ltWaveOut) X(ltAuxiliary) X(ltAnalog) X(ltUnknown) X(dtUndefined) X(dtDigital) X(dtLine)    \
    X(dtMonitor) X(dtSpeakers) X(dtHeadphones) X(dtTelephone) X(dtWaveIn) X(dtVoiceIn)

#define OV_MIXER_CONTROL_TYPES(X)                                                                                \
    X(ctCustom) X(ctBass) X(ctEqualizer) X(ctFader) X(ctTreble) X(ctVolume) X(ctMixer) X(ctMultipleSelect)       \
    X(ctMux) X(ctSingleSelect) X(ctBooleanMeter) X(ctPeakMeter) X(ctSignedMeter) X(ctUnsignedMeter)              \
    X(ctDecibels) X(ctPercent) X(ctSigned) X(ctUnsigned) X(ctPan) X(ctQsoundPan) X(ctSlider) X(ctBoolean)        \
    X(ctButton) X(ctLoudness) X(ctMono) X(ctMute) X(ctOnOff) X(ctStereoEnh) X(ctMicroTime) X(ctMilliTime)        \
    X(ctUnknown)

#define OV_MIXER_ENUMERATOR(name) name,
enum TMixerLineType { OV_MIXER_LINE_TYPES(OV_MIXER_ENUMERATOR) };
enum TMixerControlType { OV_MIXER_CONTROL_TYPES(OV_MIXER_ENUMERATOR) };
#undef OV_MIXER_ENUMERATOR

constexpr int MixerLineTypeCount = dtVoiceIn + 1;
constexpr int MixerControlTypeCount = ctUnknown + 1;

// Destinations (dtUndefined and after) hold the source lines.
constexpr bool IsDestinationType(TMixerLineType type) { return type >= dtUndefined; }

QString MixerLineTypeName(TMixerLineType type);
QString MixerControlTypeName(TMixerControlType type);

enum TMixerControlFlag { mcfUniform, mcfMultiple, mcfDisabled };

enum TMixerOption {
    moNoDeviceName,
    moNoLineName,
    moNoLineShortName,
    moNoControlName,
    moNoControlShortName,
    moNoTargetName,
    moNoControlBounds,
    moNoControlMetrics,
    moNoBalanceAutoUpdate,
};

// A set of the values of a small enumeration.
template <typename E, std::size_t N>
class TEnumSet {
public:
    TEnumSet() = default;
    TEnumSet(std::initializer_list<E> members)
    {
        for (const E member : members)
            Include(member);
    }
    static TEnumSet All()
    {
        TEnumSet all;
        all.bits_.set();
        return all;
    }

    bool Contains(E member) const { return bits_.test(std::size_t(member)); }
    void Include(E member) { bits_.set(std::size_t(member)); }
    void Exclude(E member) { bits_.reset(std::size_t(member)); }
    bool Empty() const { return bits_.none(); }
    bool operator==(const TEnumSet &) const = default;

private:
    std::bitset<N> bits_;
};

using TMixerLineTypes = TEnumSet<TMixerLineType, MixerLineTypeCount>;
using TMixerControlTypes = TEnumSet<TMixerControlType, MixerControlTypeCount>;
using TMixerControlFlags = TEnumSet<TMixerControlFlag, mcfDisabled + 1>;
using TMixerOptions = TEnumSet<TMixerOption, moNoBalanceAutoUpdate + 1>;

// Results of the backends' calls; any other nonzero value is a failure of
// the backend's own numbering.
enum MixerResult : int {
    mrOk = 0,
    mrBadDeviceId = 2,
    mrInvalidHandle = 5,
    mrNoDriver = 6,
    mrNoMemory = 7,
    mrInvalidFlag = 10,
    mrInvalidParam = 11,
    mrInvalidLine = 1024,
    mrInvalidControl = 1025,
};

} // namespace ov
