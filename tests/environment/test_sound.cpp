// The real devices on the private sound server: the speaker line of its
// null sink, and a short WAV played to its end by the media-player window,
// whose notification runs the program's event sub.
#include "devices/OVMPlayerForm.h"
#include "environment/OVQtHost.h"
#include "environment/OVRunFrame.h"
#include "environment/OVRunWindows.h"
#include "executor/OVEventRun.h"
#include "executor/OVMThread.h"
#include "language/OVInterpreter.h"
#include "platform/OVMixerDevice.h"

#include "sound_server.h"
#include "wait_for_run.h"
#include <QDataStream>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace ov;

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

} // namespace

TEST(SoundServer, MixerSetsReadsAndMutesTheSpeakerLine)
{
    if (!SoundServerRunning)
        GTEST_SKIP() << "no private sound server";
    TMixer mixer(OpenSpeakerLine);
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
}

TEST(SoundServer, AWavPlaysToItsEndAndTheNotificationSubRuns)
{
    if (!SoundServerRunning)
        GTEST_SKIP() << "no private sound server";
    QTemporaryDir dir;
    const QString wav = dir.filePath(QStringLiteral("tone.wav"));
    ASSERT_TRUE(WriteWav(wav, 300));

    InitializeInterpreterUnits();
    RunController runs;
    TRunForm console(runs);
    TOVRunWindows windows(console, nullptr);
    TMPlayerForm player;
    windows.SetMediaPlayer(&player);
    TOVQtHost host(windows);
    SetRunHost(&host);
    QObject::connect(&player, &TMPlayerForm::Notified, &player,
                     [&runs] { StartEventRun(runs, QStringLiteral("MediaPlayer_OnNotify")); });
    console.Memo1->Clear();

    SourceText = QStringLiteral("MEDIAPLAYER.OPEN \"%1\"\r\nMEDIAPLAYER.PLAY\r\nPRINT MEDIAPLAYER.MODE\r\nEND\r\n"
                                "SUB MediaPlayer_OnNotify\r\nPRINT \"ended \"; MEDIAPLAYER.MODE\r\nEND SUB")
                     .arg(wav);
    RunMode = 0;
    ProgramRunning = 1;
    StopRequested = 0;
    ASSERT_TRUE(runs.Start());
    WaitForRun(runs);
    const auto text = [&console] { return console.Memo1->toPlainText(); };
    EXPECT_TRUE(text().contains(QStringLiteral("Playing"))) << text().toStdString();

    EXPECT_TRUE(WaitFor([&] { return text().contains(QStringLiteral("ended Stopped")); }, 10000))
        << text().toStdString();
    WaitForRun(runs);

    // A file the player rejects is an error, and the file open before it is closed.
    const QString bad = dir.filePath(QStringLiteral("bad.wav"));
    QFile file(bad);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("not a sound");
    file.close();
    console.Memo1->Clear();
    SourceText = QStringLiteral("MEDIAPLAYER.OPEN \"%1\"\r\nMEDIAPLAYER.OPEN \"%2\"").arg(wav, bad);
    RunMode = 0;
    ASSERT_TRUE(runs.Start());
    WaitForRun(runs);
    RunCommand = QStringLiteral("MEDIAPLAYER.PLAY: PRINT MEDIAPLAYER.MODE");
    RunMode = 1;
    ASSERT_TRUE(runs.Start());
    WaitForRun(runs);
    EXPECT_TRUE(text().contains(QStringLiteral(u"MediaPlayer の実行に失敗しました。"))) << text().toStdString();
    EXPECT_TRUE(text().contains(QStringLiteral("\nNot Open\n"))) << text().toStdString();
    SetRunHost(nullptr);
}
