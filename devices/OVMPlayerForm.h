// The media-player window: the player of MEDIAPLAYER with its Play, Pause,
// Stop, Next and Prev buttons, and the speaker line's volume control, which
// follows changes made outside the program. The end of the media and a
// playback error are its notification. Each file opens in a new engine,
// which plays on a thread of its own.
#pragma once

#include "devices/OVMediaEngine.h"
#include "devices/OVMixer.h"

#include <QWidget>
#include <memory>

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
    // False when the player cannot play: it failed, did not answer within
    // about 3 s, or its sound server has gone away since the file opened.
    bool Play();
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
    void CreateMixer();
    void ShowVolume();
    void Mixer1ControlChange(TMixer *sender, TMixerDev *device, TMixerCtrl *control, TMixerItem *item);
    void SetButtons(bool play, bool pause, bool stop, bool seek);
    void MediaEnded();

    std::unique_ptr<MediaEngine> engine_;  // null while no file is open
};

} // namespace ov
