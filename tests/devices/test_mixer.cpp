// The mixer component over a mixer held in memory: the volume, balance and
// mute arithmetic, the scan with its filters, failures and options, the
// speaker wrappers, change notices, error texts and the listing.
#include "devices/OVMixer.h"
#include "devices/OVMixerError.h"
#include "devices/OVMixerListing.h"
#include "platform/OVMemoryMixer.h"

#include <gtest/gtest.h>

using namespace ov;

namespace {

using Levels = std::vector<qint32>;

// A mixer over a backend the test keeps a hand on.
struct Bench {
    Bench() : backend(new MemoryMixerBackend), mixer(std::unique_ptr<MixerBackend>(backend)) {}
    MemoryMixerBackend *backend;
    TMixer mixer;
};

// One device with a speaker line: a volume of the given levels (one level
// is a uniform control on a stereo line) and a mute switch, scanned.
struct SpeakerBench : Bench {
    explicit SpeakerBench(Levels levels, TMixerOptions options = {})
    {
        const int device = backend->AddDevice(QStringLiteral("Card"));
        speakers = backend->AddDestination(device, dtSpeakers, QStringLiteral("Master"),
                                           std::max(2, int(levels.size())));
        volume = backend->AddControl(speakers, ctVolume, QStringLiteral("Master Volume"), std::move(levels));
        mute = backend->AddControl(speakers, ctMute, QStringLiteral("Master Switch"), {0});
        mixer.Options = options;
        mixer.EnumerateMixers();
    }
    TMixerItem &Item() { return *mixer.FirstDevice()->Items.front(); }
    Levels &Volume() { return backend->Values(volume); }

    quint32 speakers = 0;
    quint32 volume = 0;
    quint32 mute = 0;
};

} // namespace

// ---------------------------------------------------------------- arithmetic

TEST(Mixer, VolumeWritesKeepTheBalance)
{
    SpeakerBench line({65535, 65535});
    line.Item().SetVolume(50);
    EXPECT_EQ(line.Volume(), (Levels{32768, 32768}));
    EXPECT_EQ(line.Item().GetVolume(), 50);

    line.Volume() = {40000, 20000};  // the right channel at half the left
    line.Item().SetVolume(50);
    EXPECT_EQ(line.Volume(), (Levels{32768, 16384}));

    line.Volume() = {20000, 40000};
    line.Item().SetVolume(100);
    EXPECT_EQ(line.Volume(), (Levels{32768, 65535}));
    line.Item().SetVolume(0);
    line.Item().SetVolume(30);  // silence kept the balance
    EXPECT_EQ(line.Volume(), (Levels{9830, 19660}));

    SpeakerBench surround({65535, 65535, 1234, 99});
    surround.Item().SetVolume(0);
    EXPECT_EQ(surround.Volume(), (Levels{0, 0, 1234, 99}));

    SpeakerBench uniform({100});
    uniform.Item().SetVolume(150);
    EXPECT_EQ(uniform.Volume(), (Levels{65535}));
    const int writes = uniform.backend->Writes();
    uniform.Item().SetVolume(100);  // unchanged levels are not written
    EXPECT_EQ(uniform.backend->Writes(), writes);
}

TEST(Mixer, VolumeReadsTheLouderChannelAndLearnsTheBalance)
{
    SpeakerBench line({65535, 0});
    EXPECT_EQ(line.Item().GetVolume(), 100);
    EXPECT_EQ(line.Item().BalanceRatio, 0.0f);

    line.Volume() = {1000, 1500};  // too quiet to tell the balance
    EXPECT_EQ(line.Item().GetVolume(), 2);
    EXPECT_EQ(line.Item().BalanceRatio, 0.0f);

    line.Volume() = {0, 32768};
    EXPECT_EQ(line.Item().GetVolume(), 50);
    EXPECT_EQ(line.Item().BalanceRatio, 131071.0f);

    line.Volume() = {40000, 20000};
    line.Item().GetVolume();
    line.Volume() = {40000, 20010};  // within a thousandth of the ratio
    line.Item().GetVolume();
    EXPECT_EQ(line.Item().BalanceRatio, 0.5f);

    SpeakerBench uniform({30000});  // one value: no balance to learn
    EXPECT_EQ(uniform.Item().GetVolume(), 46);
    EXPECT_EQ(uniform.Item().BalanceRatio, 1.0f);

    SpeakerBench kept({65535, 0}, {moNoBalanceAutoUpdate});
    EXPECT_EQ(kept.Item().GetVolume(), 100);
    EXPECT_EQ(kept.Item().BalanceRatio, 1.0f);
    kept.Item().SetVolume(50);
    EXPECT_EQ(kept.Volume(), (Levels{32768, 32768}));
}

// A balance written is read back, also when the levels it wrote are read
// first; a balance set outside is seen.
TEST(Mixer, BalanceWritesTheRatioAndReadsItBack)
{
    SpeakerBench line({65535, 65535});
    EXPECT_EQ(line.Item().GetBalance(), 50);
    const struct {
        int balance;
        Levels levels;
    } cases[] = {
        {25, {65535, 21845}}, {0, {65535, 0}}, {100, {0, 65535}}, {75, {21845, 65535}}, {50, {65535, 65535}},
    };
    for (const auto &c : cases) {
        line.Item().SetBalance(c.balance);
        EXPECT_EQ(line.Volume(), c.levels) << c.balance;
        EXPECT_EQ(line.Item().GetVolume(), 100) << c.balance;
        EXPECT_EQ(line.Item().GetBalance(), c.balance);
    }

    line.Volume() = {32768, 65535};
    EXPECT_EQ(line.Item().GetBalance(), 67);

    line.Volume() = {0, 0};
    line.Item().SetBalance(30);
    EXPECT_EQ(line.Volume(), (Levels{0, 0}));
    EXPECT_EQ(line.Item().GetBalance(), 30);
    line.Item().SetVolume(100);
    EXPECT_EQ(line.Volume(), (Levels{65535, 28086}));
}

// The balances next to the ends keep a level on the quieter channel and read
// back as themselves, from the ratio and from the levels written.
TEST(Mixer, BalancesNextToTheEndsGoBothWays)
{
    SpeakerBench line({65535, 65535});
    line.Item().SetBalance(1);
    EXPECT_FLOAT_EQ(line.Item().BalanceRatio, 1.0f / 99.0f);
    EXPECT_EQ(line.Volume(), (Levels{65535, 662}));
    EXPECT_EQ(line.Item().GetBalance(), 1);
    line.Item().SetBalance(99);
    EXPECT_FLOAT_EQ(line.Item().BalanceRatio, 99.0f);
    EXPECT_EQ(line.Volume(), (Levels{662, 65535}));
    EXPECT_EQ(line.Item().GetBalance(), 99);

    SpeakerBench outside({65535, 662});  // levels set elsewhere
    EXPECT_EQ(outside.Item().GetBalance(), 1);
    outside.Volume() = {662, 65535};
    EXPECT_EQ(outside.Item().GetBalance(), 99);
}

// Levels that add up to 3000 or more tell the balance; a new ratio replaces
// the kept one only when it differs by more than a thousandth of it.
TEST(Mixer, BalanceIsLearntFromLevelsLoudEnoughAndChangedEnough)
{
    SpeakerBench line({65535, 65535});
    line.Volume() = {1000, 1999};
    line.Item().GetVolume();
    EXPECT_EQ(line.Item().BalanceRatio, 1.0f);
    line.Volume() = {1000, 2000};
    line.Item().GetVolume();
    EXPECT_EQ(line.Item().BalanceRatio, 2.0f);

    line.Volume() = {40000, 20000};
    line.Item().GetVolume();
    line.Volume() = {40000, 20018};  // 0.09 % more
    line.Item().GetVolume();
    EXPECT_EQ(line.Item().BalanceRatio, 0.5f);
    line.Volume() = {40000, 20028};  // 0.14 % more
    line.Item().GetVolume();
    EXPECT_EQ(line.Item().BalanceRatio, 20028.0f / 40000.0f);
    line.Volume() = {40000, 19990};  // 0.19 % less than that
    line.Item().GetVolume();
    EXPECT_EQ(line.Item().BalanceRatio, 19990.0f / 40000.0f);
}

TEST(Mixer, MuteWritesOnlyAChange)
{
    SpeakerBench line({65535, 65535});
    EXPECT_FALSE(line.Item().GetMute());
    line.Item().SetMute(true);
    EXPECT_EQ(line.backend->Values(line.mute), Levels{1});
    EXPECT_TRUE(line.Item().GetMute());
    const int writes = line.backend->Writes();
    line.Item().SetMute(true);
    EXPECT_EQ(line.backend->Writes(), writes);

    line.mixer.Target.ControlType = {ctVolume};  // a line without a mute switch
    line.mixer.EnumerateMixers();
    line.backend->Values(line.mute) = {1};
    EXPECT_EQ(line.Item().MuteControl, -1);
    EXPECT_FALSE(line.Item().GetMute());
    line.Item().SetMute(false);
    EXPECT_EQ(line.backend->Writes(), writes);
}

TEST(Mixer, RawDetailsAreEveryChannelOfEveryItem)
{
    Bench bench;
    const int device = bench.backend->AddDevice(QStringLiteral("Card"));
    const quint32 in = bench.backend->AddDestination(device, dtWaveIn, QStringLiteral("Capture"), 2);
    const quint32 mux = bench.backend->AddControl(in, ctMux, QStringLiteral("Input Source"), {1, 1, 0, 0, 0, 0}, 3);
    bench.mixer.Target.ControlType = {ctMux};
    bench.mixer.EnumerateMixers();
    TMixerItem &item = *bench.mixer.FirstDevice()->Items.front();
    ASSERT_EQ(item.Controls.size(), 1u);
    const TMixerCtrl &control = item.Controls.front();
    EXPECT_TRUE(control.Flags.Contains(mcfMultiple));
    EXPECT_EQ(control.MultipleItems, 3);
    EXPECT_EQ(item.GetControlDetails(control), (Levels{1, 1, 0, 0, 0, 0}));
    item.SetControlDetails(control, {0, 0, 0, 0, 1, 1});
    EXPECT_EQ(bench.backend->Values(mux), (Levels{0, 0, 0, 0, 1, 1}));

    EXPECT_THROW(item.SetControlDetails(control, {1, 1}), EMixerError);  // too few values

    bench.backend->Fail(MemoryMixerBackend::Call::Details, mux, 99);
    try {
        item.GetControlDetails(control);
        ADD_FAILURE() << "no error raised";
    } catch (const EMixerError &error) {
        EXPECT_EQ(error.Code(), 99);
        EXPECT_EQ(error.Message(), QStringLiteral(u"不明なエラー:99"));
    }
}

TEST(Mixer, ErrorTextsNameTheResultCodes)
{
    const struct {
        int code;
        const char16_t *text;
    } cases[] = {
        {2, u"デバイスIDは不正です"},
        {5, u"無効なハンドルです"},
        {6, u"デバイスドライバがありません"},
        {7, u"メモリを割り当てられないかメモリをロックできません"},
        {10, u"無効なフラグです"},
        {11, u"無効なパラメータです"},
        {1024, u"無効なラインです"},
        {1025, u"無効なコントロールです"},
        {99, u"不明なエラー:99"},
        {-5, u"不明なエラー:-5"},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(MixerErrorText(c.code), QString::fromUtf16(c.text));
        EXPECT_EQ(EMixerError(c.code).Message(), QString::fromUtf16(c.text));
    }
    EXPECT_TRUE(MixerCheck(0, true));
    EXPECT_FALSE(MixerCheck(1024, false));
    EXPECT_THROW(MixerCheck(1024, true), EMixerError);
}

// ---------------------------------------------------------------- the scan

namespace {

// Card A: speakers (stereo volume and mute) holding PCM (volume), CD (mute),
// a microphone (volume), a line with only a bass control and a synthesizer
// without controls; a capture destination holding a line in; headphones
// holding a second PCM. Card B: speakers without controls or sources.
struct TreeBench : Bench {
    TreeBench()
    {
        MemoryMixerBackend &b = *backend;
        const int a = b.AddDevice(QStringLiteral("Card A"));
        speakers = b.AddDestination(a, dtSpeakers, QStringLiteral("Master"), 2);
        volume = b.AddControl(speakers, ctVolume, QStringLiteral("Master Volume"), {65535, 65535});
        b.AddControl(speakers, ctMute, QStringLiteral("Master Switch"), {0});
        pcm = b.AddSource(speakers, ltWaveOut, QStringLiteral("PCM"), 2);
        b.AddControl(pcm, ctVolume, QStringLiteral("PCM Volume"), {65535, 65535});
        cd = b.AddSource(speakers, ltCompactDisk, QStringLiteral("CD"), 2);
        b.AddControl(cd, ctMute, QStringLiteral("CD Switch"), {1});
        const quint32 mic = b.AddSource(speakers, ltMicrophone, QStringLiteral("Mic"), 1);
        b.AddControl(mic, ctVolume, QStringLiteral("Mic Volume"), {100});
        line = b.AddSource(speakers, ltLine, QStringLiteral("Line"), 2);
        bass = b.AddControl(line, ctBass, QStringLiteral("Bass"), {5});
        synth = b.AddSource(speakers, ltSynthesizer, QStringLiteral("Synth"), 2);
        const quint32 in = b.AddDestination(a, dtWaveIn, QStringLiteral("Capture"), 2);
        lineIn = b.AddSource(in, ltLine, QStringLiteral("Line In"), 2);
        b.AddControl(lineIn, ctVolume, QStringLiteral("Line Capture Volume"), {65535, 65535});
        headphones = b.AddDestination(a, dtHeadphones, QStringLiteral("Headphone"), 2);
        b.AddControl(headphones, ctMute, QStringLiteral("Headphone Switch"), {0});
        const quint32 pcm2 = b.AddSource(headphones, ltWaveOut, QStringLiteral("PCM 2"), 2);
        b.AddControl(pcm2, ctMute, QStringLiteral("PCM 2 Switch"), {0});
        const int cardB = b.AddDevice(QStringLiteral("Card B"));
        b.AddDestination(cardB, dtSpeakers, QStringLiteral("Speaker"), 2);
    }

    // Type, name and parent's name of every line of the device.
    QStringList Lines(int device)
    {
        QStringList lines;
        for (const auto &item : mixer.Device(device)->Items) {
            lines << QStringLiteral("%1 %2 <%3> %4")
                         .arg(MixerLineTypeName(item->LineType), item->Name,
                              item->Parent != nullptr ? item->Parent->Name : QString())
                         .arg(item->Controls.size());
        }
        return lines;
    }

    quint32 speakers = 0, volume = 0, pcm = 0, cd = 0, line = 0, bass = 0, synth = 0, lineIn = 0, headphones = 0;
};

} // namespace

TEST(Mixer, ScanBuildsTheTreeOfWantedLinesAndControls)
{
    TreeBench bench;
    bench.mixer.EnumerateMixers();
    ASSERT_EQ(bench.mixer.DeviceCount(), 2);
    EXPECT_EQ(bench.Lines(0), (QStringList{"dtSpeakers Master <> 2", "ltWaveOut PCM <Master> 1",
                                           "ltCompactDisk CD <Master> 1", "dtWaveIn Capture <> 0",
                                           "ltLine Line In <Capture> 1"}));
    EXPECT_TRUE(bench.Lines(1).isEmpty());  // a device without lines stays

    const TMixerDev &card = *bench.mixer.FirstDevice();
    EXPECT_EQ(card.Name, QStringLiteral("Card A"));
    const TMixerItem &master = *card.Items[0];
    EXPECT_EQ(master.LineID, bench.speakers);
    EXPECT_EQ(master.Destination, 0);
    EXPECT_EQ(master.Channels, 2);
    EXPECT_EQ(master.TargetName, QStringLiteral("Card A"));
    EXPECT_EQ(master.VolumeControl, 0);
    EXPECT_EQ(master.MuteControl, 1);
    EXPECT_EQ(master.BalanceRatio, 1.0f);
    EXPECT_EQ(master.Controls[0].ControlID, bench.volume);
    EXPECT_EQ(master.Controls[0].Bounds[1], 65535);
    EXPECT_EQ(card.Items[2]->VolumeControl, -1);
    EXPECT_EQ(card.Items[2]->MuteControl, 0);
    EXPECT_EQ(card.Items[4]->Destination, 1);
    EXPECT_EQ(card.FindItemByType(dtWaveIn), card.Items[3].get());
    EXPECT_EQ(card.FindItemByType(dtHeadphones), nullptr);
    EXPECT_EQ(card.FindItemByLineID(bench.cd), card.Items[2].get());
}

TEST(Mixer, InvalidItemsAndTargetTypesChooseWhatIsKept)
{
    TreeBench bench;
    bench.mixer.EnableInvalidItem = true;
    bench.mixer.EnumerateMixers();
    EXPECT_EQ(bench.Lines(0), (QStringList{"dtSpeakers Master <> 2", "ltWaveOut PCM <Master> 1",
                                           "ltCompactDisk CD <Master> 1", "ltLine Line <Master> 0",
                                           "ltSynthesizer Synth <Master> 0", "dtWaveIn Capture <> 0",
                                           "ltLine Line In <Capture> 1"}));
    EXPECT_EQ(bench.Lines(1), QStringList{"dtSpeakers Speaker <> 0"});

    bench.mixer.EnableInvalidItem = false;
    bench.mixer.Target.LineType = {dtHeadphones, ltWaveOut, dtWaveIn};
    bench.mixer.Target.ControlType = {ctMute, ctBass};
    bench.mixer.EnumerateMixers();
    EXPECT_EQ(bench.Lines(0), (QStringList{"dtHeadphones Headphone <> 1", "ltWaveOut PCM 2 <Headphone> 1"}));

    bench.mixer.Target.LineType = TMixerLineTypes::All();
    bench.mixer.EnumerateMixers();
    EXPECT_TRUE(bench.Lines(0).contains(QStringLiteral("ltLine Line <Master> 1")));
    EXPECT_FALSE(bench.Lines(0).join(u'|').contains(QStringLiteral("Synth")));
}

TEST(Mixer, ScanSkipsWhatCannotBeRead)
{
    TreeBench bench;
    MemoryMixerBackend &b = *bench.backend;
    b.Fail(MemoryMixerBackend::Call::LineInfo, bench.pcm, 11);
    b.Fail(MemoryMixerBackend::Call::LineControls, bench.cd, 7);
    bench.mixer.EnumerateMixers();
    EXPECT_EQ(bench.Lines(0), (QStringList{"dtSpeakers Master <> 2", "dtWaveIn Capture <> 0",
                                           "ltLine Line In <Capture> 1"}));

    // A destination that cannot be read ends the device's destinations.
    b.Fail(MemoryMixerBackend::Call::LineInfo, bench.speakers, 1024);
    bench.mixer.EnumerateMixers();
    EXPECT_TRUE(bench.Lines(0).isEmpty());

    b.Fail(MemoryMixerBackend::Call::DevCaps, 0, 2);
    bench.mixer.EnumerateMixers();
    ASSERT_EQ(bench.mixer.DeviceCount(), 1);
    EXPECT_EQ(bench.mixer.FirstDevice()->Name, QStringLiteral("Card B"));
    b.Fail(MemoryMixerBackend::Call::Open, 1, 6);
    bench.mixer.EnumerateMixers();
    EXPECT_EQ(bench.mixer.DeviceCount(), 0);
    EXPECT_EQ(b.OpenHandles(), 0);
}

TEST(Mixer, OptionsLeaveOutNamesBoundsAndMetrics)
{
    SpeakerBench line({65535, 65535});
    MemoryMixerBackend &b = *line.backend;
    const QString longName = QString(70, u'L');
    b.Caps(0).Name = QString(31, u'D') + QStringLiteral(u"\U0001F50A") + QStringLiteral("tail");
    b.Caps(0).ManufacturerID = 0x046d;
    b.Caps(0).DriverVersion = 0x010208;
    b.LineInfo(line.speakers).Name = longName;
    b.LineInfo(line.speakers).ShortName = longName;
    b.LineInfo(line.speakers).TargetName = longName;
    b.ControlInfo(line.volume).Name = longName;
    b.ControlInfo(line.volume).ShortName = longName;
    b.ControlInfo(line.volume).Metrics[0] = 100;
    line.mixer.EnumerateMixers();
    const TMixerDev &card = *line.mixer.FirstDevice();
    EXPECT_EQ(card.Name, QString(31, u'D'));  // a surrogate pair is not cut in two
    EXPECT_EQ(card.ManufacturerID, 0x046d);
    EXPECT_EQ(card.DriverVersion, 0x010208u);
    const TMixerItem &item = line.Item();
    EXPECT_EQ(item.Name, QString(64, u'L'));
    EXPECT_EQ(item.ShortName, QString(16, u'L'));
    EXPECT_EQ(item.TargetName, QString(32, u'L'));
    EXPECT_EQ(item.Controls[0].Name, QString(64, u'L'));
    EXPECT_EQ(item.Controls[0].ShortName, QString(16, u'L'));
    EXPECT_EQ(item.Controls[0].Metrics[0], 100);

    line.mixer.Options = {moNoDeviceName, moNoLineName, moNoLineShortName, moNoControlName, moNoControlShortName,
                          moNoTargetName, moNoControlBounds, moNoControlMetrics};
    line.mixer.EnumerateMixers();
    TMixerItem &bare = line.Item();
    EXPECT_TRUE(line.mixer.FirstDevice()->Name.isEmpty());
    EXPECT_TRUE(bare.Name.isEmpty() && bare.ShortName.isEmpty() && bare.TargetName.isEmpty());
    EXPECT_TRUE(bare.Controls[0].Name.isEmpty() && bare.Controls[0].ShortName.isEmpty());
    EXPECT_EQ(bare.Controls[0].Bounds, (std::array<qint32, 6>{}));
    EXPECT_EQ(bare.Controls[0].Metrics, (std::array<qint32, 6>{}));
    EXPECT_EQ(bare.GetVolume(), 100);
}

// A mute switch is read as one value whatever the platform says; the first
// volume and the first mute are the line's.
TEST(Mixer, TheFirstVolumeAndTheFirstUniformMuteAreTheLines)
{
    Bench bench;
    const int device = bench.backend->AddDevice(QStringLiteral("Card"));
    const quint32 speakers = bench.backend->AddDestination(device, dtSpeakers, QStringLiteral("Master"), 2);
    bench.backend->AddControl(speakers, ctBass, QStringLiteral("Bass"), {1});
    const quint32 mute = bench.backend->AddControl(speakers, ctMute, QStringLiteral("Switch"), {0, 0});
    bench.backend->AddControl(speakers, ctVolume, QStringLiteral("Volume"), {65535, 0});
    bench.backend->AddControl(speakers, ctVolume, QStringLiteral("Volume 2"), {0, 0});
    bench.backend->AddControl(speakers, ctMute, QStringLiteral("Switch 2"), {1});
    bench.mixer.EnumerateMixers();
    TMixerItem &item = *bench.mixer.FirstDevice()->Items.front();
    EXPECT_EQ(item.MuteControl, 0);
    EXPECT_EQ(item.VolumeControl, 1);
    EXPECT_TRUE(item.Controls[0].Flags.Contains(mcfUniform));
    EXPECT_FALSE(item.Controls[1].Flags.Contains(mcfUniform));
    EXPECT_EQ(item.GetVolume(), 100);
    item.SetMute(true);
    EXPECT_EQ(bench.backend->Values(mute), (Levels{1, 1}));
}

// ---------------------------------------------------------------- the speaker wrappers

TEST(Mixer, MasterWrappersUseTheFirstDevicesSpeakers)
{
    Bench none;
    none.mixer.EnumerateMixers();
    none.mixer.SetMasterVolume(50);
    none.mixer.SetMasterMute(true);
    EXPECT_EQ(none.mixer.GetMasterVolume(), -1);
    EXPECT_FALSE(none.mixer.GetMasterMute());

    SpeakerBench line({65535, 65535});
    line.mixer.SetMasterVolume(150);
    EXPECT_EQ(line.mixer.GetMasterVolume(), 100);
    line.mixer.SetMasterVolume(-5);
    EXPECT_EQ(line.Volume(), (Levels{0, 0}));
    line.mixer.SetMasterVolume(33);
    EXPECT_EQ(line.mixer.GetMasterVolume(), 33);
    line.mixer.SetMasterMute(true);
    EXPECT_TRUE(line.mixer.GetMasterMute());

    // A failing backend reads as no value, and writes nothing.
    line.backend->Fail(MemoryMixerBackend::Call::Details, line.volume, 5);
    line.backend->Fail(MemoryMixerBackend::Call::Details, line.mute, 5);
    EXPECT_EQ(line.mixer.GetMasterVolume(), -1);
    EXPECT_FALSE(line.mixer.GetMasterMute());
    line.mixer.SetMasterVolume(10);
    line.mixer.SetMasterMute(false);

    // Speakers on a second device only, or without a volume control.
    Bench second;
    second.backend->AddDevice(QStringLiteral("Capture only"));
    const int card = second.backend->AddDevice(QStringLiteral("Card"));
    const quint32 speakers = second.backend->AddDestination(card, dtSpeakers, QStringLiteral("Master"), 2);
    second.backend->AddControl(speakers, ctMute, QStringLiteral("Master Switch"), {1});
    second.mixer.EnumerateMixers();
    EXPECT_EQ(second.mixer.GetMasterVolume(), -1);
    EXPECT_FALSE(second.mixer.GetMasterMute());
    second.backend->Fail(MemoryMixerBackend::Call::DevCaps, 0, 2);
    second.mixer.EnumerateMixers();
    EXPECT_EQ(second.mixer.GetMasterVolume(), -1);
    EXPECT_TRUE(second.mixer.GetMasterMute());
}

TEST(Mixer, LoadedScansOnlyWithAutoScan)
{
    Bench fresh;
    fresh.backend->AddDevice(QStringLiteral("Card"));
    fresh.mixer.AutoScan = false;
    fresh.mixer.Loaded();
    EXPECT_EQ(fresh.mixer.DeviceCount(), 0);
    fresh.mixer.AutoScan = true;
    fresh.mixer.Loaded();
    EXPECT_EQ(fresh.mixer.DeviceCount(), 1);
    fresh.mixer.EnumerateMixers();  // a new scan closes the handles of the last
    EXPECT_EQ(fresh.backend->OpenHandles(), 1);
}

// ---------------------------------------------------------------- notices

TEST(Mixer, ChangesReachTheHandlersAssignedBeforeTheScan)
{
    TreeBench bench;
    struct Seen {
        TMixerDev *device;
        TMixerCtrl *control;
        TMixerItem *item;
    };
    std::vector<Seen> controls;
    std::vector<Seen> lines;
    bench.mixer.OnControlChange = [&](TMixer *sender, TMixerDev *device, TMixerCtrl *control, TMixerItem *item) {
        EXPECT_EQ(sender, &bench.mixer);
        controls.push_back({device, control, item});
    };
    bench.mixer.EnumerateMixers();
    bench.mixer.OnLineChange = [&](TMixer *, TMixerDev *device, TMixerItem *item) {
        lines.push_back({device, nullptr, item});
    };

    bench.backend->ChangeValues(bench.volume, {100, 100});
    ASSERT_EQ(controls.size(), 1u);
    const TMixerDev *card = bench.mixer.FirstDevice();
    EXPECT_EQ(controls[0].device, card);
    EXPECT_EQ(controls[0].item, card->Items[0].get());
    EXPECT_EQ(controls[0].control, &card->Items[0]->Controls[0]);
    EXPECT_EQ(controls[0].item->GetVolume(), 0);
    bench.backend->ChangeValues(bench.bass, {9});  // not in the tree
    EXPECT_EQ(controls.size(), 1u);

    bench.backend->ChangeLine(bench.cd);
    bench.backend->ChangeLine(bench.synth);  // not in the tree
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].item, card->Items[2].get());
    EXPECT_EQ(lines[1].device, card);
    EXPECT_EQ(lines[1].item, nullptr);

    // A handler may scan again; the devices of an earlier scan report no more.
    bench.mixer.OnControlChange = [&](TMixer *sender, TMixerDev *, TMixerCtrl *, TMixerItem *) {
        sender->EnumerateMixers();
        controls.push_back({});
    };
    bench.backend->ChangeValues(bench.volume, {200, 200});
    EXPECT_EQ(controls.size(), 2u);
    EXPECT_EQ(bench.mixer.FirstDevice()->Items[0]->GetVolume(), 0);
}

TEST(Mixer, DevicesScannedWithoutHandlersReportNothing)
{
    SpeakerBench line({65535, 65535});
    int reports = 0;
    line.mixer.OnControlChange = [&](TMixer *, TMixerDev *, TMixerCtrl *, TMixerItem *) { ++reports; };
    line.backend->ChangeValues(line.volume, {1, 1});
    EXPECT_EQ(reports, 0);
    line.mixer.EnumerateMixers();
    line.backend->ChangeValues(line.volume, {2, 2});
    EXPECT_EQ(reports, 1);
}

// ---------------------------------------------------------------- listing

TEST(Mixer, ListingShowsTheTreeWithCurrentValues)
{
    TreeBench bench;
    bench.backend->Caps(0).ManufacturerID = 0x046d;
    bench.backend->Values(bench.volume) = {65535, 21845};
    bench.backend->Fail(MemoryMixerBackend::Call::Details, bench.cd + 1, 1025);
    bench.mixer.EnumerateMixers();
    EXPECT_EQ(ListMixerTree(bench.mixer),
              (QStringList{
                  QStringLiteral("Card A (manufacturer 046d, product 0000, driver 0x000000)"),
                  QStringLiteral("  dtSpeakers \"Master\" 2 channels: volume 100, balance 25, mute off"),
                  QStringLiteral("    ctVolume \"Master Volume\" id 2, 0..65535"),
                  QStringLiteral("    ctMute \"Master Switch\" id 3, 0..65535, uniform"),
                  QStringLiteral("    ltWaveOut \"PCM\" 2 channels: volume 100, balance 50, mute -"),
                  QStringLiteral("      ctVolume \"PCM Volume\" id 5, 0..65535"),
                  QString::fromUtf16(u"    ltCompactDisk \"CD\" 2 channels: volume -, balance -, "
                                     u"mute (無効なコントロールです)"),
                  QStringLiteral("      ctMute \"CD Switch\" id 7, 0..65535, uniform"),
                  QStringLiteral("  dtWaveIn \"Capture\" 2 channels: volume -, balance -, mute -"),
                  QStringLiteral("    ltLine \"Line In\" 2 channels: volume 100, balance 50, mute -"),
                  QStringLiteral("      ctVolume \"Line Capture Volume\" id 15, 0..65535"),
                  QStringLiteral("Card B (manufacturer 0000, product 0000, driver 0x000000)"),
              }));
}
