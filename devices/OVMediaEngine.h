// A media player on a thread of its own. When the sound server goes away,
// the media framework's audio thread can stick on the lost server while it
// holds locks that a position query, a state change or the player's end
// then wait for, for ever (and with them every later player of the
// process). So the user-interface thread never calls the player: it posts
// each command to the player's thread and waits for the answer within a
// bound. The player never starts on a connection to the server that has
// been lost, which is what sticks for certain. An engine that failed or did
// not answer in time plays no more and is replaced; a thread stuck for good
// is left behind.
#pragma once

#include "devices/OVMediaState.h"

#include <QObject>
#include <functional>
#include <future>
#include <memory>

class QThread;

namespace ov {

class EnginePlayer;
// A command's answer, given on the player's thread.
using MediaAnswer = std::shared_ptr<std::promise<bool>>;

class MediaEngine : public QObject {
    Q_OBJECT

public:
    MediaEngine();
    // Ends the player on its thread, waiting for that at most a second.
    ~MediaEngine() override;
    MediaEngine(const MediaEngine &) = delete;
    MediaEngine &operator=(const MediaEngine &) = delete;

    // Each waits at most about 3 s for the player's answer.
    // False when the player rejects the file or has not loaded it, or the
    // sound server refuses connections.
    bool Load(const QString &path);
    // False when the player failed, or the sound server has gone away since
    // the file was loaded; errors met later while playing are Failed.
    bool Play();
    void Pause();  // toggles between paused and playing
    void Stop();
    // Posted only: the buttons Next (the end) and Prev (the start).
    void Seek(bool toEnd);

    MediaState Mode() const;
    // Failed, or did not answer: the engine does nothing more.
    bool Broken() const;

signals:
    void Ended();   // the media played to its end
    void Failed();  // an error after loading

private:
    bool Request(std::function<void(EnginePlayer &, MediaAnswer)> step);
    bool Answered(std::future<bool> answer);

    QThread *thread_;
    EnginePlayer *player_;  // lives on thread_ and is deleted there
    bool broken_ = false;
};

} // namespace ov
