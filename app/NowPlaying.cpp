#include "NowPlaying.h"

#include "MediaLauncher.h"
#include "Playlist.h"
#include "media/TPlayerForm.h"
#include "windowing/SafeCall.h"

#include <QDir>

#include <algorithm>
#include <limits>

namespace {

bool playable(const QString& entry)
{
    const MediaKind kind = mediaKindOf(entry);
    return kind == MediaKind::Music || kind == MediaKind::Video;
}

}  // namespace

int playableNeighbour(const Playlist& playlist, int from, int direction)
{
    const int count = playlist.count();
    if (count == 0)
        return -1;
    // With nothing selected, the first step lands on the first or the last entry.
    if (from < 0 || from >= count)
        from = direction > 0 ? -1 : count;
    for (int k = 1; k <= count; ++k) {
        const int index = int(((qint64(from) + qint64(k) * direction) % count + count) % count);
        if (playable(playlist.at(index)))
            return index;
    }
    return -1;
}

NowPlaying::NowPlaying(TPlayerForm* music, TPlayerForm* video, Playlist* playlist, Commands commands)
    : music_(music), video_(video), playlist_(playlist), commands_(std::move(commands))
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

MediaTags NowPlaying::tags() const
{
    TMediaPlayer* p = player();
    return p ? p->Tags() : MediaTags();
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

// Both windows play at one loudness, kept in their players.
double NowPlaying::volume() const
{
    for (TPlayerForm* form : {music_.data(), video_.data()})
        if (form)
            return form->MediaPlayer1->Volume();
    return 1.0;
}

void NowPlaying::setVolume(double volume)
{
    for (TPlayerForm* form : {music_.data(), video_.data()})
        if (form)
            form->MediaPlayer1->SetVolume(volume);
}

bool NowPlaying::canGoNext() const
{
    if (!playlist_)
        return false;
    // Asked on every refresh: the playlist is searched again only once it changed.
    if (!checked_ || checkedRevision_ != playlist_->revision()) {
        hasPlayable_ = playableNeighbour(*playlist_, -1, 1) >= 0;
        checkedRevision_ = playlist_->revision();
        checked_ = true;
    }
    return hasPlayable_;
}

bool NowPlaying::canGoPrevious() const
{
    // Stepping wraps, so either way finds the same entries.
    return canGoNext();
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
    step(1);
}

void NowPlaying::previous()
{
    step(-1);
}

void NowPlaying::step(int direction)
{
    if (!playlist_)
        return;
    safeCall([&] {
        const int index = playableNeighbour(*playlist_, playlist_->selectedIndex(), direction);
        if (index < 0)
            return;
        playlist_->setSelectedIndex(index);
        if (commands_.runSelected)
            commands_.runSelected();
    });
}

bool NowPlaying::openUri(const QString& uri)
{
    if (filePathFromUri(uri).isEmpty())
        return false;
    if (commands_.openFiles)
        commands_.openFiles(resolveNamedFiles({uri}, QDir::currentPath()));
    return true;
}

void NowPlaying::raise()
{
    if (commands_.raise)
        commands_.raise();
}

void NowPlaying::quit()
{
    if (commands_.quit)
        commands_.quit();
}
