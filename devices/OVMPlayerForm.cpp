#include "devices/OVMPlayerForm.h"

#include "platform/OVAlsaMixer.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QSlider>

namespace ov {

TMPlayerForm::TMPlayerForm(QWidget *parent) : QWidget(parent), Mixer1(MakeAlsaMixerBackend())
{
    setWindowTitle(QStringLiteral("Media Player"));
    CreateButtons();
    CreateMixer();
    SetButtons(false, false, false, false);
}

void TMPlayerForm::CreateButtons()
{
    auto *row = new QHBoxLayout(this);
    const auto button = [this, row](const char *caption, auto click) {
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

void TMPlayerForm::MediaEnded()
{
    SetButtons(true, true, false, true);
    emit Notified();
}

// ---------------------------------------------------------------- commands

// The engine before is ended first: a new one never meets what the old one met.
bool TMPlayerForm::OpenFile(const QString &path)
{
    engine_.reset();
    engine_ = std::make_unique<MediaEngine>();
    connect(engine_.get(), &MediaEngine::Ended, this, &TMPlayerForm::MediaEnded);
    connect(engine_.get(), &MediaEngine::Failed, this, &TMPlayerForm::Notified);
    if (!engine_->Load(path)) {
        engine_.reset();
        return false;
    }
    SetButtons(true, true, true, true);
    return true;
}

// An engine ended takes its notifications with it.
void TMPlayerForm::Close()
{
    engine_.reset();
    SetButtons(false, false, false, false);
}

bool TMPlayerForm::Play()
{
    if (engine_ == nullptr || !engine_->Play())
        return false;
    SetButtons(false, true, true, true);
    return true;
}

void TMPlayerForm::Pause()
{
    if (engine_ != nullptr)
        engine_->Pause();
}

void TMPlayerForm::Stop()
{
    SetButtons(true, true, false, true);
    if (engine_ != nullptr)
        engine_->Stop();
}

// Next goes to the end of the media, Prev back to its start.
void TMPlayerForm::NextBtnClick()
{
    if (engine_ != nullptr)
        engine_->Seek(true);
}

void TMPlayerForm::PrevBtnClick()
{
    if (engine_ != nullptr)
        engine_->Seek(false);
}

MediaState TMPlayerForm::Mode() const
{
    return engine_ != nullptr ? engine_->Mode() : MediaState::Other;
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
