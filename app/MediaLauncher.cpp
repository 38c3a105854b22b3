#include "MediaLauncher.h"

#include "Playlist.h"
#include "Settings.h"
#include "ShellState.h"
#include "media/TForm2.h"
#include "media/TForm3.h"
#include "media/TForm8.h"
#include "platform/Errors.h"
#include "windowing/ErrorBox.h"
#include "windowing/ModalDialog.h"
#include "windowing/Rounding.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QImageReader>

#include <array>

namespace {

constexpr int kShrinkWidth = 650;
constexpr int kShrinkHeight = 450;

constexpr std::array kPictureExtensions{".dib", ".jpg", ".jpeg", ".gif", ".bmp", ".ico",
                                        ".emf", ".wmf", ".JPG", ".JPEG", ".BMP", ".GIF"};
constexpr std::array kMusicExtensions{".wav", ".ogg", ".mid", ".ac3", ".mp3", ".rmi", ".OGG", ".MP3", ".WAV"};
constexpr std::array kVideoExtensions{".avi", ".mpeg", ".mpg", ".asf", ".wmv",
                                      ".divx", ".dat", ".AVI", ".MPG", ".MPEG"};

template <class Table>
bool listed(const Table& table, const QString& extension)
{
    for (const char* entry : table)
        if (extension == QLatin1String(entry))
            return true;
    return false;
}

bool isJpeg(const QString& file)
{
    const QString extension = mediaExtension(file).toLower();
    return extension == QLatin1String(".jpg") || extension == QLatin1String(".jpeg");
}

// The client size a JPEG will be shown at, so it can be decoded no larger
// than needed; invalid when it is shown at full size or its size is unknown.
QSize jpegDisplayHint(const TForm3& screen, const QString& file, bool shrink)
{
    // Reading anything but a regular file (a named pipe) could wait for ever.
    if (!shrink || !isJpeg(file) || !QFileInfo(file).isFile())
        return {};
    const QSize full = QImageReader(file, "jpeg").size();
    if (!full.isValid())
        return {};
    const PictureFit fit = fitPicture(full, shrink);
    if (!fit.halved)
        return {};
    return {std::max(1, fit.outer.width() - screen.frameWidth()), std::max(1, fit.outer.height() - screen.frameHeight())};
}

}  // namespace

QString mediaExtension(const QString& file)
{
    const qsizetype dot = file.lastIndexOf(QLatin1Char('.'));
    if (dot < 0 || file.indexOf(QLatin1Char('/'), dot) >= 0)
        return {};
    return file.mid(dot);
}

MediaKind mediaKindOf(const QString& file)
{
    const QString extension = mediaExtension(file);
    if (extension.isEmpty())
        return MediaKind::None;
    if (listed(kPictureExtensions, extension))
        return MediaKind::Picture;
    if (listed(kMusicExtensions, extension))
        return MediaKind::Music;
    if (listed(kVideoExtensions, extension))
        return MediaKind::Video;
    return MediaKind::None;
}

PictureFit fitPicture(QSize picture, bool shrink)
{
    if (!shrink || (picture.width() <= kShrinkWidth && picture.height() <= kShrinkHeight))
        return {picture, false};
    return {QSize(roundInt(picture.width() / 2.0), roundInt(picture.height() / 2.0)), true};
}

MediaLauncher::MediaLauncher(Playlist* playlist, std::function<QFileDialog*()> dialog, MediaWindows windows,
                             const Options& options, ShellState& state)
    : playlist_(playlist), dialog_(std::move(dialog)), windows_(windows), options_(options), state_(state)
{
    // Set for good: the screen window is not used once the launcher is gone.
    windows_.screen.Image1->onUnreadable = [this] { refusePicture(); };
}

void MediaLauncher::openFile()
{
    QFileDialog* dialog = dialog_();
    if (runDialog(*dialog) != QDialog::Accepted)
        return;
    const QStringList chosen = dialog->selectedFiles();
    if (!chosen.isEmpty())
        launch(chosen.first());
}

void MediaLauncher::runSelected()
{
    if (playlist_->selectedIndex() < 0 && playlist_->count() > 0)
        playlist_->setSelectedIndex(0);
    launch(playlist_->at(playlist_->selectedIndex()));
}

void MediaLauncher::launch(const QString& file)
{
    switch (mediaKindOf(file)) {
    case MediaKind::Picture:
        showPicture(file);
        break;
    case MediaKind::Music:
        playMusic(file);
        break;
    case MediaKind::Video:
        playVideo(file);
        break;
    case MediaKind::None:
        break;
    }
}

bool MediaLauncher::showPicture(const QString& file)
{
    TForm3& screen = windows_.screen;
    screen.hide();
    windows_.music.hide();
    windows_.video.hide();
    if (screen.showsVideo())
        windows_.video.stopPlayback();
    const bool shrink = options_.shrinkPictures;
    try {
        PictureFile picture = PictureFile::open(file, jpegDisplayHint(screen, file, shrink));
        const bool halve = fitPicture(picture.size(), shrink).halved;
        screen.showPicture(std::move(picture), halve);
        return true;
    } catch (const Exception&) {
        refusePicture();
        return false;
    }
}

void MediaLauncher::refusePicture()
{
    TForm3& screen = windows_.screen;
    screen.clearPicture();
    // Gone before the box opens: a picture that broke once it was shown
    // leaves no empty window behind the box.
    screen.hide();
    showMessageDialog(kPictureError, MessageKind::Error);
}

bool MediaLauncher::playMusic(const QString& file)
{
    TForm2& music = windows_.music;
    music.show();
    windows_.screen.hide();
    if (windows_.video.isVisible()) {
        windows_.video.stopPlayback();
        windows_.video.hide();
    }
    TMediaPlayer& player = music.player();
    player.SetFileName(file);
    try {
        player.OpenMedia();
    } catch (const EMCIDeviceError&) {
        player.CloseMedia();
        // Nothing is left to follow: the tick would only meet a closed player.
        music.stopProgress();
        showMessageDialog(player.LastErrorText(), MessageKind::Error);
        music.hide();
        return false;
    }
    if (player.LastError() != 0)
        return false;
    music.startProgress(player.QueryLength());
    player.StartPlay();
    return true;
}

bool MediaLauncher::playVideo(const QString& file)
{
    TForm8& video = windows_.video;
    TForm3& screen = windows_.screen;
    video.show();
    screen.show();
    if (windows_.music.isVisible()) {
        windows_.music.hide();
        windows_.music.stopPlayback();
    }
    TMediaPlayer& player = video.player();
    player.SetFileName(file);
    try {
        player.OpenMedia();
    } catch (const EMCIDeviceError&) {
        player.CloseMedia();
        video.stopProgress();
        // Back to picture mode, so the next picture finds no player to stop.
        screen.leaveVideo();
        showMessageDialog(player.LastErrorText(), MessageKind::Error);
        video.hide();
        screen.hide();
        return false;
    }
    if (player.LastError() != 0)
        return false;
    player.SetDisplay(screen.showVideoSurface());
    windows_.music.stopProgress();
    video.startProgress(player.QueryLength());
    // A file without a picture stream reports no rectangle: the client area stays.
    TRect rect{0, 0, screen.clientWidth(), screen.clientHeight()};
    player.GetVideoRect(rect);
    const QSize natural = screen.fitVideo({rect.Right - rect.Left, rect.Bottom - rect.Top});
    state_.VideoNaturalWidth = natural.width();
    state_.VideoNaturalHeight = natural.height();
    player.StartPlay();
    return true;
}
