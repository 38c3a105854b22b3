#pragma once
// The player that plays now, as the desktop's media controls see it: the
// video window's while a video is open and shown, otherwise the music
// window's. Commands act as presses of that window's bar buttons.
#include "platform/MprisPlayer.h"

#include <QPointer>

#include <functional>

class TPlayerForm;
class TMediaPlayer;

class NowPlaying : public MprisPlayer {
public:
    NowPlaying(TPlayerForm* music, TPlayerForm* video, std::function<void()> raise, std::function<void()> quit);

    Status status() const override;
    QString file() const override;
    qint64 lengthMs() const override;
    qint64 positionMs() const override;
    bool canSeek() const override;

    void play() override;
    void pause() override;
    void playPause() override;
    void stop() override;
    void setPositionMs(qint64 position) override;
    void next() override;
    void previous() override;
    void raise() override;
    void quit() override;

private:
    TPlayerForm* current() const;
    TMediaPlayer* player() const;

    QPointer<TPlayerForm> music_;
    QPointer<TPlayerForm> video_;
    std::function<void()> raise_;
    std::function<void()> quit_;
};
