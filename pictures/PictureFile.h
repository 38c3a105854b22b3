#pragma once
// A still picture loaded from a file, the decoder chosen by the file name's
// extension (any case). Failures of any kind throw EInvalidGraphic.
#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

class PictureFile {
public:
    // displayHint: the size the picture will be shown at, when known. A JPEG
    // shown at half size or less is decoded reduced, which is much faster.
    static PictureFile load(const QString& path, QSize displayHint = {});

    // The picture's own size, whatever size it was decoded at.
    int width() const { return fullSize_.width(); }
    int height() const { return fullSize_.height(); }
    QSize size() const { return fullSize_; }

    // The decoded pixels; smaller than size() when isReduced().
    const QImage& image() const { return image_; }
    bool isReduced() const { return image_.size() != fullSize_; }

    // Decodes again at a larger scale when the picture is now shown larger
    // than it was decoded; never reduces further.
    void ensureResolution(QSize displaySize);

private:
    PictureFile(QSize fullSize, QImage image, QByteArray reducible);

    QSize fullSize_;
    QImage image_;
    QByteArray jpegData_;  // kept only while a reduced JPEG may need decoding again
};
