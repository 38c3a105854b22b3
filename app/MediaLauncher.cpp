#include "MediaLauncher.h"

#include "Playlist.h"
#include "TForm4.h"
#include "media/MediaShared.h"
#include "media/TForm2.h"
#include "media/TForm3.h"
#include "media/TForm8.h"
#include "platform/Errors.h"
#include "styled/TdxfCheckBox.h"
#include "windowing/ErrorBox.h"
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
QSize jpegDisplayHint(const QString& file, bool shrink)
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
    return {std::max(1, fit.outer.width() - Form3->frameWidth()), std::max(1, fit.outer.height() - Form3->frameHeight())};
}

// The video player of a video that failed to open holds no device: there is
// nothing to stop then.
void stopIfOpen(TMediaPlayer* player)
{
    if (player->DeviceOpen())
        player->StopPlay();
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

MediaLauncher::MediaLauncher(Playlist* playlist, QFileDialog* dialog) : playlist_(playlist), dialog_(dialog) {}

void MediaLauncher::openFile()
{
    if (!dialog_ || dialog_->exec() != QDialog::Accepted)
        return;
    const QStringList chosen = dialog_->selectedFiles();
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
    Form3->hide();
    Form2->hide();
    Form8->hide();
    if (!Form3->Panel1->isHidden())
        stopIfOpen(Form8->MediaPlayer1);
    const bool shrink = Form4->dxfCheckBox2->checked();
    try {
        Form3->Image1->setPicture(PictureFile::load(file, jpegDisplayHint(file, shrink)));
        const QSize picture = Form3->Image1->picture()->size();
        Form3->setCaption(QStringLiteral("Изображение"));
        Form3->Panel1->hide();
        Form3->Image1->show();
        Form3->setOuterSize(picture.width(), picture.height());
        const PictureFit fit = fitPicture(picture, shrink);
        if (fit.halved) {
            // Halved from the size the window really took, which the window system may have bounded.
            Form3->setOuterSize(roundInt(Form3->outerWidth() / 2.0), roundInt(Form3->outerHeight() / 2.0));
            Form3->setCaption(QStringLiteral("Изображение (50% от истинных размеров)"));
        }
        Form3->show();
        return true;
    } catch (const Exception&) {
        Form3->Image1->clear();
        showMessageDialog(kPictureError, MessageKind::Error);
        Form3->hide();
        return false;
    }
}

bool MediaLauncher::playMusic(const QString& file)
{
    Form2->show();
    Form3->hide();
    if (Form8->isVisible()) {
        stopIfOpen(Form8->MediaPlayer1);
        Form8->hide();
    }
    TMediaPlayer* player = Form2->MediaPlayer1;
    player->SetFileName(file);
    try {
        player->OpenMedia();
    } catch (const EMCIDeviceError&) {
        player->CloseMedia();
        // Nothing is left to follow: the tick would only meet a closed player.
        Form2->Timer1->setEnabled(false);
        showMessageDialog(player->LastErrorText(), MessageKind::Error);
        Form2->hide();
        return false;
    }
    if (player->LastError() != 0)
        return false;
    Form2->Timer1->setEnabled(true);
    Form2->P1->setPosition(0);
    Form2->P1->setMax(player->QueryLength());
    player->StartPlay();
    return true;
}

bool MediaLauncher::playVideo(const QString& file)
{
    Form8->show();
    Form3->show();
    if (Form2->isVisible()) {
        Form2->hide();
        stopIfOpen(Form2->MediaPlayer1);
    }
    TMediaPlayer* player = Form8->MediaPlayer1;
    player->SetFileName(file);
    try {
        player->OpenMedia();
    } catch (const EMCIDeviceError&) {
        player->CloseMedia();
        Form8->Timer1->setEnabled(false);
        // Back to picture mode, so the next picture finds no player to stop.
        Form3->Panel1->hide();
        showMessageDialog(player->LastErrorText(), MessageKind::Error);
        Form8->hide();
        Form3->hide();
        return false;
    }
    if (player->LastError() != 0)
        return false;
    Form3->Panel1->show();
    Form3->Image1->hide();
    player->SetDisplay(Form3->Panel1);
    Form3->setCaption(QStringLiteral("Экран"));
    Form8->Timer1->setEnabled(true);
    Form2->Timer1->setEnabled(false);
    Form8->P1->setPosition(0);
    Form8->P1->setMax(player->QueryLength());
    // A file without a picture stream reports no rectangle: the client area stays.
    TRect video{0, 0, Form3->clientWidth(), Form3->clientHeight()};
    player->GetVideoRect(video);
    Form3->setClientSize(video.Right - video.Left, Form3->clientHeight());
    Media.VideoNaturalWidth = Form3->clientWidth();
    Form3->setClientSize(Form3->clientWidth(), video.Bottom - video.Top);
    Media.VideoNaturalHeight = Form3->clientHeight();
    player->StartPlay();
    return true;
}
