#pragma once
// What the desktop's media controls (panels, media keys) act on: the player
// that plays now and the playlist around it. Positions and lengths in
// milliseconds.
#include "platform/MediaEngine.h"

#include <QString>

class MprisPlayer {
public:
    enum class Status { Stopped, Playing, Paused };

    virtual ~MprisPlayer() = default;

    virtual Status status() const = 0;
    virtual QString file() const = 0;  // empty when nothing is open
    virtual MediaTags tags() const = 0;
    virtual qint64 lengthMs() const = 0;
    virtual qint64 positionMs() const = 0;
    virtual bool canSeek() const = 0;
    // 0.0 (silent) to 1.0.
    virtual double volume() const = 0;
    // Whether next() / previous() have an entry to go to.
    virtual bool canGoNext() const = 0;
    virtual bool canGoPrevious() const = 0;

    virtual void play() = 0;
    virtual void pause() = 0;
    virtual void playPause() = 0;
    virtual void stop() = 0;
    virtual void setPositionMs(qint64 position) = 0;
    virtual void setVolume(double volume) = 0;  // 0.0 to 1.0
    virtual void next() = 0;
    virtual void previous() = 0;
    // Appends the file a file:// URI names and launches it; false, and
    // nothing done, for any other URI.
    virtual bool openUri(const QString& uri) = 0;
    virtual void raise() = 0;
    virtual void quit() = 0;
};
