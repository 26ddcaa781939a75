#include "devices/OVMediaEngine.h"

#include "platform/OVSoundServerLink.h"

#include <QAudioOutput>
#include <QFileInfo>
#include <QMediaPlayer>
#include <QThread>
#include <QUrl>
#include <chrono>
#include <mutex>
#include <vector>

namespace ov {

namespace {

constexpr std::chrono::milliseconds kAnswerWait{3000};
constexpr int kEndWaitMs = 1000;

// Threads stuck in the media framework for good, and their players: never
// freed, as they may still be in use there.
void Strand(QThread *thread, QObject *player)
{
    static auto *stranded = new std::vector<QObject *>;
    stranded->push_back(thread);
    stranded->push_back(player);
}

} // namespace

// ---------------------------------------------------------------- the player's thread

// The player itself, used only on its own thread. Loading keeps its answer
// until the player reports.
class EnginePlayer : public QObject {
    Q_OBJECT

public:
    struct State {
        QMediaPlayer::MediaStatus Status = QMediaPlayer::NoMedia;
        QMediaPlayer::PlaybackState Playback = QMediaPlayer::StoppedState;
        bool Failed = false;
    };

    void Create();
    void Load(const QUrl &url, MediaAnswer answer);
    bool Play();
    void Pause();
    void Stop();
    void Seek(bool toEnd);
    // Read from any thread.
    State Snapshot() const;

signals:
    void Ended();
    void Failed();

private:
    bool Connected() const;
    void Give(bool ok);
    void StatusChanged(QMediaPlayer::MediaStatus status);
    void ErrorOccurred();
    void Publish();

    QMediaPlayer *player_ = nullptr;
    // Made with the player's own connection: the player does not start
    // once it is lost.
    std::unique_ptr<SoundServerLink> link_;
    MediaAnswer loading_;  // null once loading has ended
    mutable std::mutex mutex_;
    State state_;
};

void EnginePlayer::Create()
{
    player_ = new QMediaPlayer(this);
    player_->setAudioOutput(new QAudioOutput(this));
    connect(player_, &QMediaPlayer::mediaStatusChanged, this, &EnginePlayer::StatusChanged);
    connect(player_, &QMediaPlayer::playbackStateChanged, this, &EnginePlayer::Publish);
    connect(player_, &QMediaPlayer::errorOccurred, this, &EnginePlayer::ErrorOccurred);
}

EnginePlayer::State EnginePlayer::Snapshot() const
{
    std::lock_guard lock(mutex_);
    return state_;
}

void EnginePlayer::Publish()
{
    std::lock_guard lock(mutex_);
    state_ = {player_->mediaStatus(), player_->playbackState(), player_->error() != QMediaPlayer::NoError};
}

void EnginePlayer::Give(bool ok)
{
    if (loading_)
        loading_->set_value(ok);
    loading_.reset();
}

// A server that refuses connections would only fail the loading. The
// backend may report during the call itself.
void EnginePlayer::Load(const QUrl &url, MediaAnswer answer)
{
    link_ = std::make_unique<SoundServerLink>();
    if (link_->Lost()) {
        answer->set_value(false);
        return;
    }
    loading_ = std::move(answer);
    player_->setSource(url);
    StatusChanged(player_->mediaStatus());
}

bool EnginePlayer::Connected() const
{
    return link_ == nullptr || !link_->Lost();
}

// Errors met later, while playing, are notifications.
bool EnginePlayer::Play()
{
    if (!Connected())
        return false;
    player_->play();
    Publish();
    return player_->error() == QMediaPlayer::NoError;
}

void EnginePlayer::Pause()
{
    if (player_->playbackState() == QMediaPlayer::PlayingState)
        player_->pause();
    else if (player_->playbackState() == QMediaPlayer::PausedState && Connected())
        player_->play();
    Publish();
}

void EnginePlayer::Seek(bool toEnd)
{
    if (Connected())
        player_->setPosition(toEnd ? player_->duration() : 0);
}

void EnginePlayer::Stop()
{
    player_->stop();
    Publish();
}

// The end of the media is a notification; while a file loads, any status
// but loading ends the wait.
void EnginePlayer::StatusChanged(QMediaPlayer::MediaStatus status)
{
    Publish();
    if (loading_) {
        if (player_->error() != QMediaPlayer::NoError)
            Give(false);
        else if (status != QMediaPlayer::NoMedia && status != QMediaPlayer::LoadingMedia)
            Give(status == QMediaPlayer::LoadedMedia || status == QMediaPlayer::BufferingMedia
                 || status == QMediaPlayer::BufferedMedia);
    } else if (status == QMediaPlayer::EndOfMedia) {
        emit Ended();
    }
}

// An error while the file loads is OPEN's to report.
void EnginePlayer::ErrorOccurred()
{
    Publish();
    if (loading_)
        Give(false);
    else
        emit Failed();
}

// ---------------------------------------------------------------- the user-interface side

MediaEngine::MediaEngine() : thread_(new QThread), player_(new EnginePlayer)
{
    player_->moveToThread(thread_);
    connect(thread_, &QThread::finished, player_, &QObject::deleteLater);
    connect(player_, &EnginePlayer::Ended, this, &MediaEngine::Ended);
    connect(player_, &EnginePlayer::Failed, this, [this] {
        broken_ = true;
        emit Failed();
    });
    thread_->start();
    QMetaObject::invokeMethod(player_, &EnginePlayer::Create);
}

MediaEngine::~MediaEngine()
{
    thread_->quit();
    if (thread_->wait(kEndWaitMs))
        delete thread_;
    else
        Strand(thread_, player_);
}

bool MediaEngine::Answered(std::future<bool> answer)
{
    if (answer.wait_for(kAnswerWait) != std::future_status::ready || !answer.get())
        broken_ = true;
    return !broken_;
}

// Runs the step on the player's thread and waits for its answer.
bool MediaEngine::Request(std::function<void(EnginePlayer &, MediaAnswer)> step)
{
    auto answer = std::make_shared<std::promise<bool>>();
    auto future = answer->get_future();
    QMetaObject::invokeMethod(player_, [player = player_, step = std::move(step), answer] { step(*player, answer); });
    return Answered(std::move(future));
}

bool MediaEngine::Load(const QString &path)
{
    const QUrl url = QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath());
    return Request([url](EnginePlayer &player, MediaAnswer answer) { player.Load(url, std::move(answer)); });
}

bool MediaEngine::Play()
{
    return !Broken() && Request([](EnginePlayer &player, MediaAnswer answer) { answer->set_value(player.Play()); });
}

void MediaEngine::Pause()
{
    if (!Broken())
        Request([](EnginePlayer &player, MediaAnswer answer) {
            player.Pause();
            answer->set_value(true);
        });
}

void MediaEngine::Stop()
{
    if (!Broken())
        Request([](EnginePlayer &player, MediaAnswer answer) {
            player.Stop();
            answer->set_value(true);
        });
}

void MediaEngine::Seek(bool toEnd)
{
    if (!Broken())
        QMetaObject::invokeMethod(player_, [player = player_, toEnd] { player->Seek(toEnd); });
}

bool MediaEngine::Broken() const
{
    return broken_ || player_->Snapshot().Failed;
}

MediaState MediaEngine::Mode() const
{
    const EnginePlayer::State state = player_->Snapshot();
    if (broken_ || state.Failed || state.Status == QMediaPlayer::NoMedia || state.Status == QMediaPlayer::LoadingMedia
        || state.Status == QMediaPlayer::InvalidMedia)
        return MediaState::Other;
    switch (state.Playback) {
    case QMediaPlayer::StoppedState: return MediaState::Stopped;
    case QMediaPlayer::PlayingState: return MediaState::Playing;
    case QMediaPlayer::PausedState: return MediaState::Paused;
    }
    return MediaState::Other;
}

} // namespace ov

#include "OVMediaEngine.moc"
