#pragma once
// The thumbnails viewer: a thumbnail grid of one folder on the right, a
// preview with the previewed file's name on the left, buttons to reload the
// folder, choose another and close. Space marks the selected thumbnail and
// hands its file to the playlist.
#include "windowing/FramedWindow.h"

#include <memory>

class ImageLibrary;
class QLabel;
class QPushButton;
class QTextEdit;
class QKeyEvent;
class TImageLibThumbnails;
class TPMultiImage;

class TThumbFromFileForm : public FramedWindow {
    Q_OBJECT
public:
    // Uses the real picture libraries.
    explicit TThumbFromFileForm(QWidget* parent = nullptr);
    explicit TThumbFromFileForm(std::shared_ptr<ImageLibrary> library, QWidget* parent = nullptr);

    // Registers the preview with the reading library, which loads it; a
    // library that cannot be loaded is reported and start-up goes on.
    void FormCreate() override;

    QString PictureFolder;

    QWidget* Panel1;
    QWidget* Panel2;
    QWidget* Panel3;
    TPMultiImage* PMultiImage2;
    QTextEdit* RichEdit1;
    QLabel* Label1;
    QPushButton* LoadallImagesBtn;
    QPushButton* BitBtn1;
    QPushButton* BrowseDirectoryBtn;
    TImageLibThumbnails* ImageLibThumbnails1;

    void LoadallImagesBtnClick();
    void BrowseDirectoryBtnClick();
    void BitBtn1Click();
    void ImageLibThumbnails1ThumbClick(int row, int col, int index, const QString& fileName, int page);
    void ImageLibThumbnails1KeyDown(QKeyEvent* event);

    // The user's picture folder with a trailing "/", when it exists.
    static QString initialPictureFolder();

signals:
    // Space on a thumbnail: the file goes to the end of the playlist.
    void addToPlaylist(const QString& fileName);

protected:
    void showEvent(QShowEvent* event) override;

private:
    std::shared_ptr<ImageLibrary> library_;
    bool shownBefore_ = false;
};

extern TThumbFromFileForm* ThumbFromFileForm;
