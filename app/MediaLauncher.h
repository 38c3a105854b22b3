#pragma once
// Sends a file to the window that shows or plays it, by the file's extension.
#include <QSize>
#include <QString>

#include <functional>

class Playlist;
class QFileDialog;
class TForm2;
class TForm3;
class TForm8;
struct Options;
struct ShellState;

enum class MediaKind { None, Picture, Music, Video };

// The text from the last "." to the end, provided no "/" follows that ".".
QString mediaExtension(const QString& file);
// Exact, case-sensitive: only the spellings of the kind table match.
MediaKind mediaKindOf(const QString& file);

// The outer size the screen window shows a picture at, and whether it was
// halved: with shrinking on, pictures over 650 × 450 are shown at half size.
struct PictureFit {
    QSize outer;
    bool halved = false;
};
PictureFit fitPicture(QSize picture, bool shrink);

inline const QString kPictureError =
    QStringLiteral("Изображение отсутствует, повреждено или\rне поддерживается данной программой");

// The windows the launcher sends files to.
struct MediaWindows {
    TForm2& music;
    TForm3& screen;
    TForm8& video;
};

class MediaLauncher {
public:
    // dialog gives the main window's media file dialog, shared with the add
    // command; options are the ones in force; the launcher records the
    // video's natural size in state.
    MediaLauncher(Playlist* playlist, std::function<QFileDialog*()> dialog, MediaWindows windows,
                  const Options& options, ShellState& state);

    // Asks for a file and launches the first one chosen.
    void openFile();
    // Launches the selected entry, selecting the first when none is; raises
    // EListError on an empty playlist.
    void runSelected();
    void launch(const QString& file);

    // Each returns whether the file is now shown or playing.
    bool showPicture(const QString& file);
    // The picture error, the screen window emptied and hidden: for a picture
    // that cannot be read, found so on opening or once its decoding began.
    void refusePicture();
    bool playMusic(const QString& file);
    bool playVideo(const QString& file);

private:
    Playlist* playlist_;
    std::function<QFileDialog*()> dialog_;
    MediaWindows windows_;
    const Options& options_;
    ShellState& state_;
};
