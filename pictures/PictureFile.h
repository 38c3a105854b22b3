#pragma once
// A still picture loaded from a file, the decoder chosen by the file name's
// extension (any case). Failures of any kind throw EInvalidGraphic.
#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

#include <functional>
#include <memory>

class JpegRowReader;

class PictureFile {
public:
    // displayHint: the size the picture will be shown at, when known. A JPEG
    // shown at half size or less is decoded reduced, which is much faster.
    static PictureFile load(const QString& path, QSize displayHint = {});
    // As load(), except that a whole JPEG (its data ends where the format
    // says) is decoded on a thread of its own, top to bottom, and open()
    // returns at once: a window shows its top part before the rest is
    // decoded. A JPEG cut short is decoded at once, so that it fails here.
    static PictureFile open(const QString& path, QSize displayHint = {});

    PictureFile(PictureFile&&) noexcept;
    PictureFile& operator=(PictureFile&&) noexcept;
    ~PictureFile();

    // The picture's own size, whatever size it was decoded at.
    int width() const { return fullSize_.width(); }
    int height() const { return fullSize_.height(); }
    QSize size() const { return fullSize_; }

    // The decoded pixels; smaller than size() when isReduced(). Rows from
    // rowsReady() down are black until they are decoded.
    const QImage& image() const { return image_; }
    bool isReduced() const { return image_.size() != fullSize_; }

    int rowsReady() const;
    bool isComplete() const { return rowsReady() == image_.height(); }
    // The decoding has ended: every row is ready, or the data broke.
    bool isDecoded() const;
    // Runs once the decoding has ended (at once when it has), on the
    // decoding thread; again after each decoding at a larger scale.
    void whenDecoded(std::function<void()> done);
    // Waits until at least rows of image() are ready. Data that breaks after
    // the picture was opened throws EInvalidGraphic; the rows read so far
    // stay, the rest black, and the picture counts as complete.
    void readRows(int rows);

    // Decodes again at a larger scale when the picture is now shown larger
    // than it was decoded; never reduces further.
    void ensureResolution(QSize displaySize);

private:
    PictureFile(QSize fullSize, QImage image, QByteArray reducible);
    static PictureFile read(const QString& path, QSize displayHint, bool onDemand);
    void decodeJpeg(QSize displaySize);

    QSize fullSize_;
    QImage image_;
    QByteArray jpegData_;  // kept only while a reduced JPEG may need decoding again
    bool onDemand_ = false;
    std::function<void()> whenDecoded_;
    std::unique_ptr<JpegRowReader> pending_;  // while rows of a JPEG are still to be decoded
};
