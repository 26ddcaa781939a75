// What a sound card's mixer element is, by its name: the line types of its
// playback and capture sides, and the controls that are no line.
#include "platform/OVMixerRoles.h"

#include <gtest/gtest.h>

using namespace ov;

namespace {

QString Playback(const char *name, bool levels = true)
{
    return MixerLineTypeName(ElementRole(QString::fromLatin1(name), levels).Playback);
}

QString Capture(const char *name, bool levels = true)
{
    return MixerLineTypeName(ElementRole(QString::fromLatin1(name), levels).Capture);
}

} // namespace

TEST(MixerRoles, OutputsAreDestinationsAndTheRestSources)
{
    EXPECT_EQ(Playback("Master"), "dtSpeakers");
    EXPECT_EQ(Playback("Master Mono"), "dtSpeakers");
    EXPECT_EQ(Playback("Speaker"), "dtSpeakers");
    EXPECT_EQ(Playback("Headphone"), "dtHeadphones");
    EXPECT_EQ(Playback("IEC958"), "dtDigital");
    EXPECT_EQ(Capture("IEC958"), "ltDigital");
    EXPECT_EQ(Capture("Capture"), "dtWaveIn");
    EXPECT_EQ(Playback("PCM"), "ltWaveOut");
    EXPECT_EQ(Playback("CD"), "ltCompactDisk");
    EXPECT_EQ(Capture("Line"), "ltLine");
    EXPECT_EQ(Playback("Line Out"), "ltLine");
    EXPECT_EQ(Capture("Mic"), "ltMicrophone");
    EXPECT_EQ(Capture("Front Mic"), "ltMicrophone");
    EXPECT_EQ(Playback("Synth"), "ltSynthesizer");
    EXPECT_EQ(Playback("MIDI"), "ltSynthesizer");
    EXPECT_EQ(Playback("Beep"), "ltPcSpeaker");
    EXPECT_EQ(Playback("PC Speaker"), "ltPcSpeaker");  // no speakers destination
    EXPECT_EQ(Playback("Aux"), "ltAuxiliary");
    EXPECT_EQ(Playback("Phone"), "ltTelephone");
}

// The capture side: the element named Capture is the recording destination,
// the sources that can be recorded keep their kind, and the outputs are no
// capture line.
TEST(MixerRoles, CaptureSideHasTheRecordingDestinationAndItsSources)
{
    EXPECT_EQ(Capture("Capture"), "dtWaveIn");
    EXPECT_EQ(Capture("Digital Capture"), "dtWaveIn");
    EXPECT_EQ(Playback("Capture"), "ltUnknown");
    EXPECT_EQ(Capture("PCM"), "ltWaveOut");
    EXPECT_EQ(Capture("CD"), "ltCompactDisk");
    EXPECT_EQ(Capture("Line"), "ltLine");
    EXPECT_EQ(Capture("Mic"), "ltMicrophone");
    EXPECT_EQ(Capture("Rear Mic"), "ltMicrophone");
    EXPECT_EQ(Capture("Synth"), "ltSynthesizer");
    EXPECT_EQ(Capture("MIDI"), "ltSynthesizer");
    EXPECT_EQ(Capture("Beep"), "ltPcSpeaker");
    EXPECT_EQ(Capture("PC Speaker"), "ltPcSpeaker");
    EXPECT_EQ(Capture("Aux"), "ltAuxiliary");
    EXPECT_EQ(Capture("Phone"), "ltTelephone");
    EXPECT_EQ(Capture("IEC958"), "ltDigital");
    EXPECT_EQ(Capture("Master"), "ltUnknown");
    EXPECT_EQ(Capture("Speaker"), "ltUnknown");
    EXPECT_EQ(Capture("Headphone"), "ltUnknown");
    EXPECT_EQ(Capture("Input Source", false), "ltUnknown");
    EXPECT_EQ(Capture("Video"), "ltAnalog");
}

TEST(MixerRoles, NamesMatchWholeWordsAndOthersAreAnalogOrUnknown)
{
    EXPECT_EQ(Playback("Headphone"), "dtHeadphones");  // "Phone" is no word of it
    EXPECT_EQ(Playback("Microphone"), "ltAnalog");
    EXPECT_EQ(Playback("Surround"), "ltAnalog");
    EXPECT_EQ(Capture("Surround"), "ltAnalog");
    EXPECT_EQ(Playback("Auto-Mute Mode", false), "ltUnknown");
    EXPECT_EQ(Capture("Master"), "ltUnknown");
}

TEST(MixerRoles, ToneLoudnessAnd3DAreControlsOfTheInterface)
{
    EXPECT_EQ(InterfaceControlType(QStringLiteral("Tone Control - Bass")), ctBass);
    EXPECT_EQ(InterfaceControlType(QStringLiteral("Tone Control - Treble")), ctTreble);
    EXPECT_EQ(InterfaceControlType(QStringLiteral("Loudness")), ctLoudness);
    EXPECT_EQ(InterfaceControlType(QStringLiteral("3D Control - Depth")), ctStereoEnh);
    EXPECT_EQ(InterfaceControlType(QStringLiteral("Bassline")), ctUnknown);
    EXPECT_EQ(InterfaceControlType(QStringLiteral("Master")), ctUnknown);
}

TEST(MixerRoles, TypeNamesFollowTheirLists)
{
    EXPECT_EQ(MixerLineTypeCount, 21);
    EXPECT_EQ(MixerControlTypeCount, 31);
    EXPECT_EQ(MixerLineTypeName(ltUndefined), "ltUndefined");
    EXPECT_EQ(MixerLineTypeName(dtUndefined), "dtUndefined");
    EXPECT_EQ(MixerLineTypeName(dtVoiceIn), "dtVoiceIn");
    EXPECT_EQ(MixerControlTypeName(ctCustom), "ctCustom");
    EXPECT_EQ(MixerControlTypeName(ctStereoEnh), "ctStereoEnh");
    EXPECT_EQ(MixerControlTypeName(ctUnknown), "ctUnknown");
    EXPECT_TRUE(IsDestinationType(dtUndefined));
    EXPECT_FALSE(IsDestinationType(ltUnknown));
}
