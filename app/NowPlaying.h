#pragma once
// The player that plays now, as the desktop's media controls see it: the
// video window's while a video is open and shown, otherwise the music
// window's. Commands act as presses of that window's bar buttons; next and
// previous step through the playlist's music and video entries.
#include "NamedFiles.h"
#include "platform/MprisPlayer.h"

#include <QPointer>

#include <functional>

class Playlist;
class TPlayerForm;
class TMediaPlayer;

// The playlist entry next to from (the selected index, -1 for none) in
// direction +1 or -1 that is music or a video, wrapping past either end as
// the slide show does; from itself when it is the only one; -1 when the
// playlist has none.
int playableNeighbour(const Playlist& playlist, int from, int direction);

class NowPlaying : public MprisPlayer {
public:
    // What the media controls ask of the rest of the program.
    struct Commands {
        std::function<void()> raise;        // show the main window
        std::function<void()> quit;
        std::function<void()> runSelected;  // launch the playlist's selected entry
        // Append and launch, as files named at start.
        std::function<void(const NamedFiles&)> openFiles;
    };

    NowPlaying(TPlayerForm* music, TPlayerForm* video, Playlist* playlist, Commands commands);

    Status status() const override;
    QString file() const override;
    MediaTags tags() const override;
    qint64 lengthMs() const override;
    qint64 positionMs() const override;
    bool canSeek() const override;
    double volume() const override;
    bool canGoNext() const override;
    bool canGoPrevious() const override;

    void play() override;
    void pause() override;
    void playPause() override;
    void stop() override;
    void setPositionMs(qint64 position) override;
    void setVolume(double volume) override;
    void next() override;
    void previous() override;
    bool openUri(const QString& uri) override;
    void raise() override;
    void quit() override;

private:
    TPlayerForm* current() const;
    TMediaPlayer* player() const;
    void step(int direction);

    QPointer<TPlayerForm> music_;
    QPointer<TPlayerForm> video_;
    QPointer<Playlist> playlist_;
    Commands commands_;
    // Whether the playlist has a music or video entry, as of its revision.
    mutable quint64 checkedRevision_ = 0;
    mutable bool checked_ = false;
    mutable bool hasPlayable_ = false;
};
