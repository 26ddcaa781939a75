// The media-player window: the player of MEDIAPLAYER with its Play, Pause,
// Stop, Next and Prev buttons, and the speaker line's volume control, which
// follows changes made outside the program. The end of the media and a
// playback error are its notification.
#pragma once

#include "devices/OVMediaState.h"
#include "devices/OVMixer.h"

#include <QWidget>

class QAudioOutput;
class QMediaPlayer;
class QPushButton;
class QSlider;

namespace ov {

class TMPlayerForm : public QWidget {
    Q_OBJECT

public:
    explicit TMPlayerForm(QWidget *parent = nullptr);

    // Loads the file and waits, at most about 3 s, until loading ends;
    // false when the player rejects it.
    bool OpenFile(const QString &path);
    void Close();
    void Play();
    void Pause();  // toggles between paused and playing
    void Stop();
    MediaState Mode() const;

    QPushButton *PlayBtn = nullptr;
    QPushButton *PauseBtn = nullptr;
    QPushButton *StopBtn = nullptr;
    QPushButton *NextBtn = nullptr;
    QPushButton *PrevBtn = nullptr;
    QSlider *VolumeBar = nullptr;
    TMixer Mixer1;

signals:
    void Notified();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void CreateButtons();
    void NextBtnClick();
    void PrevBtnClick();
    void CreatePlayer();
    void RenewPlayer();
    void CreateMixer();
    void ShowVolume();
    void Mixer1ControlChange(TMixer *sender, TMixerDev *device, TMixerCtrl *control, TMixerItem *item);
    bool LoadingEnded() const;
    void WaitForLoading();
    void SetButtons(bool play, bool pause, bool stop, bool seek);
    void MediaStatusChanged();

    QMediaPlayer *player_ = nullptr;
    QAudioOutput *output_ = nullptr;
    bool opening_ = false;  // errors while a file loads are OPEN's to report
};

} // namespace ov
