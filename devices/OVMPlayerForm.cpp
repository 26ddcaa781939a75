#include "devices/OVMPlayerForm.h"

#include "platform/OVAlsaMixer.h"

#include <QAudioOutput>
#include <QEventLoop>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QMediaPlayer>
#include <QPushButton>
#include <QSlider>
#include <QTimer>
#include <QUrl>

namespace ov {

namespace {

constexpr int kLoadWaitMs = 3000;

} // namespace

TMPlayerForm::TMPlayerForm(QWidget *parent) : QWidget(parent), Mixer1(MakeAlsaMixerBackend())
{
    setWindowTitle(QStringLiteral("Media Player"));
    CreateButtons();
    CreatePlayer();
    CreateMixer();
    SetButtons(false, false, false, false);
}

void TMPlayerForm::CreateButtons()
{
    auto *row = new QHBoxLayout(this);
    const auto button = [this, row](const char *caption, void (TMPlayerForm::*click)()) {
        auto *b = new QPushButton(QString::fromLatin1(caption), this);
        connect(b, &QPushButton::clicked, this, click);
        row->addWidget(b);
        return b;
    };
    PlayBtn = button("Play", &TMPlayerForm::Play);
    PauseBtn = button("Pause", &TMPlayerForm::Pause);
    StopBtn = button("Stop", &TMPlayerForm::Stop);
    NextBtn = button("Next", &TMPlayerForm::NextBtnClick);
    PrevBtn = button("Prev", &TMPlayerForm::PrevBtnClick);
    VolumeBar = new QSlider(Qt::Horizontal, this);
    VolumeBar->setRange(0, 100);
    row->addWidget(VolumeBar);
    connect(VolumeBar, &QSlider::sliderMoved, this, [this](int percent) { Mixer1.SetMasterVolume(percent); });
}

void TMPlayerForm::CreatePlayer()
{
    player_ = new QMediaPlayer(this);
    output_ = new QAudioOutput(this);
    player_->setAudioOutput(output_);
    connect(player_, &QMediaPlayer::mediaStatusChanged, this, &TMPlayerForm::MediaStatusChanged);
    connect(player_, &QMediaPlayer::errorOccurred, this, [this] {
        if (!opening_)
            emit Notified();
    });
}

// The player keeps the last error it met through every later source, so
// that no file would open again: a player that met one makes way for a new
// one before the next file.
void TMPlayerForm::RenewPlayer()
{
    if (player_->error() == QMediaPlayer::NoError)
        return;
    player_->disconnect(this);
    delete player_;
    delete output_;
    CreatePlayer();
}

// The mixer opens its devices with notices, so that the volume control
// follows the speaker line.
void TMPlayerForm::CreateMixer()
{
    Mixer1.OnControlChange = [this](TMixer *sender, TMixerDev *device, TMixerCtrl *control, TMixerItem *item) {
        Mixer1ControlChange(sender, device, control, item);
    };
    Mixer1.Loaded();
}

void TMPlayerForm::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    ShowVolume();
}

// The volume control shows the speaker line as it is now; a drag in
// progress is left alone.
void TMPlayerForm::ShowVolume()
{
    if (VolumeBar->isSliderDown())
        return;
    const int volume = Mixer1.GetMasterVolume();
    VolumeBar->setEnabled(volume >= 0);
    VolumeBar->setValue(std::max(volume, 0));
}

void TMPlayerForm::Mixer1ControlChange(TMixer *sender, TMixerDev *device, TMixerCtrl *control, TMixerItem *item)
{
    if (device == sender->FirstDevice() && item == device->FindItemByType(dtSpeakers) && item->VolumeControl >= 0
        && control == &item->Controls[size_t(item->VolumeControl)])
        ShowVolume();
}

void TMPlayerForm::MediaStatusChanged()
{
    if (player_->mediaStatus() != QMediaPlayer::EndOfMedia || opening_)
        return;
    SetButtons(true, true, false, true);
    emit Notified();
}

// ---------------------------------------------------------------- commands

bool TMPlayerForm::LoadingEnded() const
{
    const auto status = player_->mediaStatus();
    return status != QMediaPlayer::NoMedia && status != QMediaPlayer::LoadingMedia;
}

// A local event loop lets the backend report while the worker waits.
void TMPlayerForm::WaitForLoading()
{
    if (LoadingEnded() || player_->error() != QMediaPlayer::NoError)
        return;
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    connect(player_, &QMediaPlayer::mediaStatusChanged, &loop, [this, &loop] {
        if (LoadingEnded())
            loop.quit();
    });
    connect(player_, &QMediaPlayer::errorOccurred, &loop, &QEventLoop::quit);
    timer.start(kLoadWaitMs);
    loop.exec();
}

bool TMPlayerForm::OpenFile(const QString &path)
{
    RenewPlayer();
    opening_ = true;
    player_->setSource(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()));
    WaitForLoading();
    opening_ = false;
    const auto status = player_->mediaStatus();
    const bool loaded = player_->error() == QMediaPlayer::NoError
        && (status == QMediaPlayer::LoadedMedia || status == QMediaPlayer::BufferingMedia
            || status == QMediaPlayer::BufferedMedia);
    if (loaded)
        SetButtons(true, true, true, true);
    return loaded;
}

void TMPlayerForm::Close()
{
    opening_ = true;  // a source taken away is no notification
    player_->stop();
    player_->setSource(QUrl());
    opening_ = false;
    SetButtons(false, false, false, false);
}

void TMPlayerForm::Play()
{
    SetButtons(false, true, true, true);
    player_->play();
}

void TMPlayerForm::Pause()
{
    if (player_->playbackState() == QMediaPlayer::PlayingState)
        player_->pause();
    else if (player_->playbackState() == QMediaPlayer::PausedState)
        player_->play();
}

void TMPlayerForm::Stop()
{
    SetButtons(true, true, false, true);
    player_->stop();
}

// Next goes to the end of the media, Prev back to its start.
void TMPlayerForm::NextBtnClick()
{
    player_->setPosition(player_->duration());
}

void TMPlayerForm::PrevBtnClick()
{
    player_->setPosition(0);
}

MediaState TMPlayerForm::Mode() const
{
    if (!LoadingEnded() || player_->mediaStatus() == QMediaPlayer::InvalidMedia)
        return MediaState::Other;
    switch (player_->playbackState()) {
    case QMediaPlayer::StoppedState: return MediaState::Stopped;
    case QMediaPlayer::PlayingState: return MediaState::Playing;
    case QMediaPlayer::PausedState: return MediaState::Paused;
    }
    return MediaState::Other;
}

void TMPlayerForm::SetButtons(bool play, bool pause, bool stop, bool seek)
{
    PlayBtn->setEnabled(play);
    PauseBtn->setEnabled(pause);
    StopBtn->setEnabled(stop);
    NextBtn->setEnabled(seek);
    PrevBtn->setEnabled(seek);
}

} // namespace ov
