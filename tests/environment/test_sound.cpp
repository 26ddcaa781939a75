// The real devices on the private sound server: the mixer component over
// ALSA on its null sink (the tree, volume, balance and mute, changes made
// with pactl, the runner's listing), and a short WAV played to its end by
// the media-player window, whose notification runs the program's event sub.
#include "devices/OVMPlayerForm.h"
#include "environment/OVQtHost.h"
#include "environment/OVRunFrame.h"
#include "environment/OVRunWindows.h"
#include "executor/OVEventRun.h"
#include "executor/OVInterpreter.h"
#include "executor/OVMThread.h"
#include "platform/OVAlsaMixer.h"

#include "sound_server.h"
#include "wait_for_run.h"
#include <QDataStream>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QSlider>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>

using namespace ov;
using namespace Qt::StringLiterals;

namespace {

// A mono 16-bit WAV of a quiet tone lasting `ms` milliseconds.
bool WriteWav(const QString &path, int ms)
{
    constexpr quint32 rate = 8000;
    const quint32 samples = rate * quint32(ms) / 1000;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QDataStream out(&file);
    out.setByteOrder(QDataStream::LittleEndian);
    out.writeRawData("RIFF", 4);
    out << quint32(36 + samples * 2);
    out.writeRawData("WAVEfmt ", 8);
    out << quint32(16) << quint16(1) << quint16(1) << rate << quint32(rate * 2) << quint16(2) << quint16(16);
    out.writeRawData("data", 4);
    out << quint32(samples * 2);
    for (quint32 i = 0; i < samples; ++i)
        out << qint16((i / 8) % 2 != 0 ? 1000 : -1000);
    return out.status() == QDataStream::Ok;
}

bool WaitFor(const std::function<bool()> &done, int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

// Changes the null sink as another program would.
void Pactl(const QStringList &arguments)
{
    ASSERT_EQ(QProcess::execute(QStringLiteral("pactl"), arguments), 0) << arguments.join(u' ').toStdString();
}

// The sink back at full volume, centred and sounding.
void ResetSink()
{
    Pactl({QStringLiteral("set-sink-volume"), QStringLiteral("nullsink"), QStringLiteral("100%")});
    Pactl({QStringLiteral("set-sink-mute"), QStringLiteral("nullsink"), QStringLiteral("0")});
}

// The line's type, name and its controls' types ("dtSpeakers Master: ctVolume ctMute").
QString Describe(const TMixerItem &item)
{
    QString text = MixerLineTypeName(item.LineType) + u' ' + item.Name + u':';
    for (const TMixerCtrl &control : item.Controls)
        text += u' ' + MixerControlTypeName(control.ControlType);
    return text;
}

// The null sink's state: "RUNNING" while a stream plays into it.
QString SinkState()
{
    QProcess pactl;
    pactl.start(QStringLiteral("pactl"), {QStringLiteral("list"), QStringLiteral("short"), QStringLiteral("sinks")});
    if (!pactl.waitForFinished(10000))
        return {};
    for (const QString &line : QString::fromUtf8(pactl.readAllStandardOutput()).split(u'\n')) {
        const QStringList fields = line.split(u'\t');
        if (fields.value(1) == QStringLiteral("nullsink"))
            return fields.last();
    }
    return {};
}

} // namespace

TEST(SoundServer, MixerTreeHoldsTheSinkAndTheCaptureLine)
{
    if (!SoundServerRunning)
        GTEST_SKIP() << "no private sound server";
    TMixer mixer(MakeAlsaMixerBackend());
    mixer.EnumerateMixers();
    ASSERT_GE(mixer.DeviceCount(), 1);
    const TMixerDev &device = *mixer.FirstDevice();
    ASSERT_EQ(device.Items.size(), 2u);
    EXPECT_EQ(Describe(*device.Items[0]), QStringLiteral("dtSpeakers Master: ctVolume ctMute"));
    EXPECT_EQ(Describe(*device.Items[1]), QStringLiteral("dtWaveIn Capture: ctVolume"));
    EXPECT_EQ(device.Items[0]->Channels, 2);
    EXPECT_EQ(device.Items[0]->Controls[0].Name, QStringLiteral("Master Playback Volume"));
    EXPECT_EQ(device.Items[0]->Controls[0].Bounds[1], 65535);
    EXPECT_EQ(device.FindItemByType(dtSpeakers), device.Items[0].get());
}

TEST(SoundServer, MixerSetsReadsAndMutesTheSpeakerLine)
{
    if (!SoundServerRunning)
        GTEST_SKIP() << "no private sound server";
    TMixer mixer(MakeAlsaMixerBackend());
    mixer.Loaded();
    const int volume = mixer.GetMasterVolume();
    const bool muted = mixer.GetMasterMute();
    ASSERT_GE(volume, 0) << "the null sink's line was not found";

    mixer.SetMasterVolume(37);
    EXPECT_EQ(mixer.GetMasterVolume(), 37);
    mixer.SetMasterMute(!muted);
    EXPECT_EQ(mixer.GetMasterMute(), !muted);
    mixer.SetMasterMute(muted);
    mixer.SetMasterVolume(volume);
    EXPECT_EQ(mixer.GetMasterMute(), muted);
    EXPECT_EQ(mixer.GetMasterVolume(), volume);

    // Changes made outside are read while the device stays open (the sound
    // server's plugin learns of them a moment later).
    Pactl({QStringLiteral("set-sink-volume"), QStringLiteral("nullsink"), QStringLiteral("40%")});
    Pactl({QStringLiteral("set-sink-mute"), QStringLiteral("nullsink"), QStringLiteral("1")});
    EXPECT_TRUE(WaitFor([&] { return mixer.GetMasterVolume() == 40; }, 10000)) << mixer.GetMasterVolume();
    EXPECT_TRUE(WaitFor([&] { return mixer.GetMasterMute(); }, 10000));
    ResetSink();
}

TEST(SoundServer, MixerBalanceIsWrittenAndReadBack)
{
    if (!SoundServerRunning)
        GTEST_SKIP() << "no private sound server";
    TMixer mixer(MakeAlsaMixerBackend());
    mixer.EnumerateMixers();
    ASSERT_GE(mixer.DeviceCount(), 1);
    TMixerItem *master = mixer.FirstDevice()->FindItemByType(dtSpeakers);
    ASSERT_NE(master, nullptr);
    master->SetVolume(80);
    for (const int balance : {25, 0, 100, 70, 50}) {
        master->SetBalance(balance);
        EXPECT_EQ(master->GetVolume(), 80) << balance;
        EXPECT_EQ(master->GetBalance(), balance);
    }
    Pactl({QStringLiteral("set-sink-volume"), QStringLiteral("nullsink"), QStringLiteral("20%"),
           QStringLiteral("60%")});
    EXPECT_TRUE(WaitFor([&] { return master->GetBalance() == 75; }, 10000)) << master->GetBalance();
    ResetSink();
}

namespace {

// The sink's level on each channel as pactl reports it, in the server's raw
// units (65536 is 100 %).
QList<int> SinkLevels()
{
    QProcess pactl;
    pactl.start(QStringLiteral("pactl"), {QStringLiteral("get-sink-volume"), QStringLiteral("nullsink")});
    if (!pactl.waitForFinished(10000))
        return {};
    QList<int> levels;
    const QString text = QString::fromUtf8(pactl.readAllStandardOutput());
    static const QRegularExpression level(QStringLiteral(":\\s*(\\d+)\\s*/"));
    for (auto match = level.globalMatch(text.section(u'\n', 0, 0)); match.hasNext();)
        levels.append(match.next().captured(1).toInt());
    return levels;
}

} // namespace

// A sink above full scale reads as 100; setting 100 still brings it down to
// full scale, rather than taking it for already there.
TEST(SoundServer, VolumeAboveFullScaleIsBroughtBackByASetting)
{
    if (!SoundServerRunning)
        GTEST_SKIP() << "no private sound server";
    TMixer mixer(MakeAlsaMixerBackend());
    mixer.Loaded();
    ASSERT_GE(mixer.GetMasterVolume(), 0) << "the null sink's line was not found";
    Pactl({QStringLiteral("set-sink-volume"), QStringLiteral("nullsink"), QStringLiteral("40%")});
    ASSERT_TRUE(WaitFor([&] { return mixer.GetMasterVolume() == 40; }, 10000));
    Pactl({QStringLiteral("set-sink-volume"), QStringLiteral("nullsink"), QStringLiteral("150%")});
    ASSERT_TRUE(WaitFor([&] { return mixer.GetMasterVolume() == 100; }, 10000));
    ASSERT_EQ(SinkLevels(), (QList<int>{98304, 98304}));

    mixer.SetMasterVolume(100);
    EXPECT_EQ(SinkLevels(), (QList<int>{65536, 65536}));
    EXPECT_EQ(mixer.GetMasterVolume(), 100);
    ResetSink();
}

// Changes made with pactl arrive through the device's notices, within a
// generous time.
TEST(SoundServer, OutsideChangesReachOnControlChange)
{
    if (!SoundServerRunning)
        GTEST_SKIP() << "no private sound server";
    TMixer mixer(MakeAlsaMixerBackend());
    std::vector<const TMixerCtrl *> changed;
    mixer.OnControlChange = [&](TMixer *, TMixerDev *, TMixerCtrl *control, TMixerItem *) {
        changed.push_back(control);
    };
    mixer.Loaded();
    ASSERT_GE(mixer.DeviceCount(), 1);
    TMixerItem *master = mixer.FirstDevice()->FindItemByType(dtSpeakers);
    ASSERT_NE(master, nullptr);
    const TMixerCtrl *volume = &master->Controls[size_t(master->VolumeControl)];
    const TMixerCtrl *mute = &master->Controls[size_t(master->MuteControl)];
    const auto reported = [&](const TMixerCtrl *control) {
        return std::find(changed.begin(), changed.end(), control) != changed.end();
    };

    Pactl({QStringLiteral("set-sink-volume"), QStringLiteral("nullsink"), QStringLiteral("40%")});
    EXPECT_TRUE(WaitFor([&] { return reported(volume); }, 10000));
    EXPECT_EQ(master->GetVolume(), 40);
    Pactl({QStringLiteral("set-sink-mute"), QStringLiteral("nullsink"), QStringLiteral("1")});
    EXPECT_TRUE(WaitFor([&] { return reported(mute); }, 10000));
    EXPECT_TRUE(master->GetMute());

    // Changes that a read took first are still reported.
    changed.clear();
    Pactl({QStringLiteral("set-sink-volume"), QStringLiteral("nullsink"), QStringLiteral("55%")});
    EXPECT_TRUE(WaitFor([&] { return master->GetVolume() == 55; }, 10000));
    EXPECT_TRUE(WaitFor([&] { return reported(volume); }, 10000));
    ResetSink();
}

TEST(SoundServer, VolumeBarFollowsTheSpeakerLine)
{
    if (!SoundServerRunning)
        GTEST_SKIP() << "no private sound server";
    TMPlayerForm player;
    player.show();
    EXPECT_TRUE(player.VolumeBar->isEnabled());
    EXPECT_EQ(player.VolumeBar->value(), 100);
    Pactl({QStringLiteral("set-sink-volume"), QStringLiteral("nullsink"), QStringLiteral("40%")});
    EXPECT_TRUE(WaitFor([&] { return player.VolumeBar->value() == 40; }, 10000)) << player.VolumeBar->value();
    ResetSink();
    EXPECT_TRUE(WaitFor([&] { return player.VolumeBar->value() == 100; }, 10000)) << player.VolumeBar->value();
}

TEST(SoundServer, RunnerListsTheMixerTree)
{
    if (!SoundServerRunning)
        GTEST_SKIP() << "no private sound server";
    QProcess runner;
    runner.start(QStringLiteral(OVRUN_PATH), {QStringLiteral("--list-mixers")});
    ASSERT_TRUE(runner.waitForFinished(20000));
    EXPECT_EQ(runner.exitCode(), 0) << runner.readAllStandardError().toStdString();
    const QStringList lines = QString::fromUtf8(runner.readAllStandardOutput()).split(u'\n');
    ASSERT_GE(lines.size(), 7) << lines.join(u'\n').toStdString();
    EXPECT_TRUE(lines[0].startsWith(QStringLiteral("PulseAudio (manufacturer 0000, product 0000, driver 0x")))
        << lines[0].toStdString();
    EXPECT_EQ(lines.mid(1, 6),
              (QStringList{
                  QStringLiteral("  dtSpeakers \"Master\" 2 channels: volume 100, balance 50, mute off"),
                  QStringLiteral("    ctVolume \"Master Playback Volume\" id 3, 0..65535, 65536 steps"),
                  QStringLiteral("    ctMute \"Master Playback Switch\" id 4, 0..1, uniform"),
                  QStringLiteral("  dtWaveIn \"Capture\" 2 channels: volume 100, balance 50, mute -"),
                  QStringLiteral("    ctVolume \"Capture Volume\" id 1, 0..65535, 65536 steps"),
                  QStringLiteral("    ctMultipleSelect \"Capture Switch\" id 2, 0..1, uniform"),
              }))
        << lines.join(u'\n').toStdString();
}

namespace {

// Ends the tests when the user-interface thread has not come back within the
// bound: a window step that hangs fails at once instead of at ctest's limit.
class Watchdog {
public:
    explicit Watchdog(int ms)
        : thread_([this, ms] {
              std::unique_lock lock(mutex_);
              if (!released_.wait_for(lock, std::chrono::milliseconds(ms), [this] { return done_; })) {
                  std::fprintf(stderr, "the user-interface thread hangs: no answer within %d ms\n", ms);
                  std::abort();
              }
          })
    {
    }
    ~Watchdog()
    {
        {
            std::lock_guard lock(mutex_);
            done_ = true;
        }
        released_.notify_one();
        thread_.join();
    }
    Watchdog(const Watchdog &) = delete;
    Watchdog &operator=(const Watchdog &) = delete;

private:
    std::mutex mutex_;
    std::condition_variable released_;
    bool done_ = false;
    std::thread thread_;
};

// The real media-player window behind a console and the windows' host, for
// programs and typed lines that use MEDIAPLAYER.
class MediaRuns : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!SoundServerRunning)
            GTEST_SKIP() << "no private sound server";
        ASSERT_TRUE(dir.isValid());
        InitializeInterpreterUnits();
        windows.SetMediaPlayer(&player);
        SetRunHost(&host);
        console.Memo1->Clear();
    }
    void TearDown() override { SetRunHost(nullptr); }

    // Runs a program or, with mode 1, a typed line, and waits for its end.
    void Run(const QString &text, uint8_t mode = 0)
    {
        (mode == 0 ? SourceText : RunCommand) = text;
        RunMode = mode;
        ProgramRunning = mode == 0 ? 1 : ProgramRunning.load();
        StopRequested = 0;
        ASSERT_TRUE(runs.Start());
        WaitForRun(runs);
    }
    void Type(const QString &line) { Run(line, 1); }
    QString Text() const { return console.Memo1->toPlainText(); }
    QStringList Lines() const { return Text().split(u'\n', Qt::SkipEmptyParts); }
    // A file that is no media: some text with a sound's name.
    QString NotMedia(const QString &name)
    {
        const QString path = dir.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("not a sound\n");
        return path;
    }
    QString Wav(const QString &name, int ms)
    {
        const QString path = dir.filePath(name);
        EXPECT_TRUE(WriteWav(path, ms));
        return path;
    }

    Watchdog watchdog{30000};  // the last to go: it watches the windows' end too
    QTemporaryDir dir;
    RunController runs;
    TRunForm console{runs};
    TOVRunWindows windows{console, nullptr};
    TMPlayerForm player;
    TOVQtHost host{windows};
};

const QString kOpenFailed = QStringLiteral(u"MediaPlayer の実行に失敗しました。");

} // namespace

TEST_F(MediaRuns, AWavPlaysToItsEndAndTheNotificationSubRuns)
{
    const QString wav = Wav(QStringLiteral("tone.wav"), 300);
    QObject::connect(&player, &TMPlayerForm::Notified, &player,
                     [this] { StartEventRun(runs, QStringLiteral("MediaPlayer_OnNotify")); });

    Run(QStringLiteral("MEDIAPLAYER.OPEN \"%1\"\r\nMEDIAPLAYER.PLAY\r\nPRINT MEDIAPLAYER.MODE\r\nEND\r\n"
                       "SUB MediaPlayer_OnNotify\r\nPRINT \"ended \"; MEDIAPLAYER.MODE\r\nEND SUB")
            .arg(wav));
    EXPECT_TRUE(Text().contains(QStringLiteral("Playing"))) << Text().toStdString();

    EXPECT_TRUE(WaitFor([&] { return Text().contains(QStringLiteral("ended Stopped")); }, 10000))
        << Text().toStdString();
    WaitForRun(runs);

    // A file the player rejects is an error, and the file open before it is closed.
    console.Memo1->Clear();
    Run(QStringLiteral("MEDIAPLAYER.OPEN \"%1\"\r\nMEDIAPLAYER.OPEN \"%2\"").arg(wav, NotMedia("bad.wav")));
    Type(QStringLiteral("MEDIAPLAYER.PLAY: PRINT MEDIAPLAYER.MODE"));
    EXPECT_TRUE(Text().contains(kOpenFailed)) << Text().toStdString();
    EXPECT_TRUE(Text().contains(QStringLiteral("\nNot Open\n"))) << Text().toStdString();
}

// A rejected file leaves nothing behind: a media file opens after it in a
// later run and in a typed line, and a second rejected file is rejected again.
TEST_F(MediaRuns, AFileOpensAfterARejectedOne)
{
    const QString wav = Wav(QStringLiteral("beep.wav"), 300);
    const QString text = NotMedia(QStringLiteral("x.txt"));
    const QString open = QStringLiteral("MEDIAPLAYER.OPEN \"%1\"\r\n");
    const QString mode = QStringLiteral("PRINT MEDIAPLAYER.MODE\r\n");

    Run(open.arg(text));
    ASSERT_TRUE(Text().contains(kOpenFailed)) << Text().toStdString();
    console.Memo1->Clear();
    Run(open.arg(wav) + mode);
    EXPECT_EQ(Text().count(kOpenFailed), 0) << Text().toStdString();
    EXPECT_TRUE(Text().startsWith(QStringLiteral("Stopped\n"))) << Text().toStdString();

    console.Memo1->Clear();
    Run(open.arg(text));
    Run(open.arg(NotMedia(QStringLiteral("y.wav"))));
    EXPECT_EQ(Text().count(kOpenFailed), 2) << Text().toStdString();
    Type(QStringLiteral("MEDIAPLAYER.OPEN \"%1\": MEDIAPLAYER.PLAY: PRINT MEDIAPLAYER.MODE").arg(wav));
    EXPECT_EQ(Text().count(kOpenFailed), 2) << Text().toStdString();
    EXPECT_TRUE(Text().contains(QStringLiteral("\nPlaying\n"))) << Text().toStdString();
}

// The same at the window itself, one file straight after the other.
TEST_F(MediaRuns, ThePlayerOpensAFileRightAfterARejectedOne)
{
    const QString wav = Wav(QStringLiteral("beep.wav"), 300);
    EXPECT_FALSE(player.OpenFile(NotMedia(QStringLiteral("x.txt"))));
    ASSERT_TRUE(player.OpenFile(wav));
    EXPECT_EQ(player.Mode(), MediaState::Stopped);
    EXPECT_TRUE(player.PlayBtn->isEnabled());
    EXPECT_FALSE(player.OpenFile(NotMedia(QStringLiteral("y.txt"))));
    EXPECT_TRUE(player.OpenFile(wav));
    player.Play();
    EXPECT_TRUE(WaitFor([&] { return player.Mode() == MediaState::Playing; }, 10000));
    player.Close();
}

// With the sound server gone, PLAY fails at once and the console takes the
// next line; once it is back, the mixer reads the real speaker line again
// and a file plays.
TEST_F(MediaRuns, ThePlayerAndTheMixerOutliveTheSoundServer)
{
    const QString wav = Wav(QStringLiteral("tone.wav"), 2000);
    const QString failed = u"エラー:"_s + kOpenFailed;
    Run(QStringLiteral("MEDIAPLAYER.OPEN \"%1\"").arg(wav));
    ASSERT_EQ(Lines(), QStringList{u"OK"_s});
    ASSERT_TRUE(KillSoundServer());
    console.Memo1->Clear();

    Type(QStringLiteral("MEDIAPLAYER.PLAY: PRINT \"played\""));
    Type(QStringLiteral("PRINT MEDIAPLAYER.MODE; AUDIOMIXER.MASTERVOLUME; AUDIOMIXER.MASTERMUTE"));
    EXPECT_EQ(Lines(), (QStringList{failed, u"OK"_s, u"Not Open-1False"_s, u"OK"_s}));

    ASSERT_TRUE(RestartSoundServer());
    console.Memo1->Clear();
    Type(QStringLiteral("AUDIOMIXER.MASTERMUTE = TRUE: PRINT AUDIOMIXER.MASTERVOLUME; AUDIOMIXER.MASTERMUTE"));
    Type(QStringLiteral("AUDIOMIXER.MASTERMUTE = FALSE: PRINT AUDIOMIXER.MASTERMUTE"));
    Type(QStringLiteral("MEDIAPLAYER.OPEN \"%1\": MEDIAPLAYER.PLAY: PRINT MEDIAPLAYER.MODE").arg(wav));
    EXPECT_EQ(Lines(), (QStringList{u" 100True"_s, u"OK"_s, u"False"_s, u"OK"_s, u"Playing"_s, u"OK"_s}));
}

// The server lost while a file plays: the player reports it, and the
// statements after it neither hang nor play; a file plays once it is back.
// (The server goes once the sound reaches it: the media framework may hang
// for good when it goes while playing starts.)
TEST_F(MediaRuns, TheSoundServerLostWhilePlaying)
{
    bool notified = false;
    QObject::connect(&player, &TMPlayerForm::Notified, &player, [&notified] { notified = true; });
    const QString wav = Wav(QStringLiteral("long.wav"), 5000);
    Run(QStringLiteral("MEDIAPLAYER.OPEN \"%1\": MEDIAPLAYER.PLAY").arg(wav));
    ASSERT_TRUE(WaitFor([] { return SinkState() == QStringLiteral("RUNNING"); }, 10000));
    ASSERT_TRUE(KillSoundServer());
    EXPECT_TRUE(WaitFor([&] { return notified; }, 10000));

    console.Memo1->Clear();
    Type(QStringLiteral("PRINT MEDIAPLAYER.MODE: MEDIAPLAYER.STOP: MEDIAPLAYER.PAUSE: PRINT \"on\""));
    Type(QStringLiteral("MEDIAPLAYER.PLAY"));
    Type(QStringLiteral("PRINT MEDIAPLAYER.MODE"));
    EXPECT_EQ(Lines(), (QStringList{u"Unsuport Mode"_s, u"on"_s, u"OK"_s, u"エラー:"_s + kOpenFailed, u"OK"_s,
                                    u"Not Open"_s, u"OK"_s}));

    ASSERT_TRUE(RestartSoundServer());
    console.Memo1->Clear();
    Type(QStringLiteral("MEDIAPLAYER.OPEN \"%1\": MEDIAPLAYER.PLAY: PRINT MEDIAPLAYER.MODE").arg(wav));
    EXPECT_EQ(Lines(), (QStringList{u"Playing"_s, u"OK"_s}));
}

// A file opened before the server went away and came back is on a lost
// connection: PLAY fails rather than start on it, and the file opens and
// plays again.
TEST_F(MediaRuns, AFileOpenedBeforeTheServerCameBackIsOpenedAgain)
{
    const QString wav = Wav(QStringLiteral("tone.wav"), 2000);
    Run(QStringLiteral("MEDIAPLAYER.OPEN \"%1\"").arg(wav));
    ASSERT_TRUE(KillSoundServer());
    ASSERT_TRUE(RestartSoundServer());
    console.Memo1->Clear();

    Type(QStringLiteral("MEDIAPLAYER.PLAY: PRINT \"played\""));
    Type(QStringLiteral("MEDIAPLAYER.OPEN \"%1\": MEDIAPLAYER.PLAY: PRINT MEDIAPLAYER.MODE").arg(wav));
    EXPECT_EQ(Lines(), (QStringList{u"エラー:"_s + kOpenFailed, u"OK"_s, u"Playing"_s, u"OK"_s}));
}
