#pragma once
// What the desktop's media controls (panels, media keys) act on: the player
// that plays now. Positions and lengths in milliseconds.
#include <QString>

class MprisPlayer {
public:
    enum class Status { Stopped, Playing, Paused };

    virtual ~MprisPlayer() = default;

    virtual Status status() const = 0;
    virtual QString file() const = 0;  // empty when nothing is open
    virtual qint64 lengthMs() const = 0;
    virtual qint64 positionMs() const = 0;
    virtual bool canSeek() const = 0;

    virtual void play() = 0;
    virtual void pause() = 0;
    virtual void playPause() = 0;
    virtual void stop() = 0;
    virtual void setPositionMs(qint64 position) = 0;
    virtual void next() = 0;
    virtual void previous() = 0;
    virtual void raise() = 0;
    virtual void quit() = 0;
};
