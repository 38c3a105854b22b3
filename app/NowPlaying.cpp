#include "NowPlaying.h"

#include "media/TPlayerForm.h"
#include "windowing/SafeCall.h"

#include <algorithm>
#include <limits>

NowPlaying::NowPlaying(TPlayerForm* music, TPlayerForm* video, std::function<void()> raise, std::function<void()> quit)
    : music_(music), video_(video), raise_(std::move(raise)), quit_(std::move(quit))
{
}

TPlayerForm* NowPlaying::current() const
{
    for (TPlayerForm* form : {video_.data(), music_.data()})
        if (form && form->isVisible() && form->MediaPlayer1->DeviceOpen())
            return form;
    return nullptr;
}

TMediaPlayer* NowPlaying::player() const
{
    TPlayerForm* form = current();
    return form ? form->MediaPlayer1 : nullptr;
}

MprisPlayer::Status NowPlaying::status() const
{
    TMediaPlayer* p = player();
    if (!p)
        return Status::Stopped;
    switch (p->QueryMode()) {
    case pmPlaying:
        return Status::Playing;
    case pmPaused:
        return Status::Paused;
    default:
        return Status::Stopped;
    }
}

QString NowPlaying::file() const
{
    TMediaPlayer* p = player();
    return p ? p->FileName() : QString();
}

qint64 NowPlaying::lengthMs() const
{
    TMediaPlayer* p = player();
    return p ? p->QueryLength() : 0;
}

qint64 NowPlaying::positionMs() const
{
    TMediaPlayer* p = player();
    return p ? p->QueryPosition() : 0;
}

bool NowPlaying::canSeek() const
{
    return player() != nullptr;
}

// Each command is a user command: a failure shows the error box, as a
// click on the bar would.
void NowPlaying::play()
{
    if (TMediaPlayer* p = player())
        safeCall([p] { p->Press(btPlay); });
}

void NowPlaying::pause()
{
    if (TMediaPlayer* p = player(); p && status() == Status::Playing)
        safeCall([p] { p->Press(btPause); });
}

void NowPlaying::playPause()
{
    if (status() == Status::Playing)
        pause();
    else
        play();
}

void NowPlaying::stop()
{
    if (TMediaPlayer* p = player())
        safeCall([p] { p->Press(btStop); });
}

void NowPlaying::setPositionMs(qint64 position)
{
    TPlayerForm* form = current();
    if (!form)
        return;
    safeCall([form, position] {
        TMediaPlayer* p = form->MediaPlayer1;
        const bool playing = p->QueryMode() == pmPlaying;
        p->SeekTo(int(std::clamp<qint64>(position, 0, std::numeric_limits<int>::max())));
        // Seeking stops the device; a playing file goes on from there.
        if (playing)
            p->StartPlay();
        form->Timer1Timer();  // the seek bar and the read-out show the new place at once
    });
}

void NowPlaying::next()
{
    if (TMediaPlayer* p = player())
        safeCall([p] { p->Press(btNext); });
}

void NowPlaying::previous()
{
    if (TMediaPlayer* p = player())
        safeCall([p] { p->Press(btPrev); });
}

void NowPlaying::raise()
{
    if (raise_)
        raise_();
}

void NowPlaying::quit()
{
    if (quit_)
        quit_();
}
