#include "pictures/PictureFile.h"

#include "imagelib/decode/BitmapDecoder.h"
#include "imagelib/decode/GifDecoder.h"
#include "imagelib/decode/IconDecoder.h"
#include "imagelib/decode/JpegDecoder.h"
#include "pictures/EmfPlayer.h"
#include "pictures/JpegDecoder.h"
#include "pictures/JpegRowReader.h"
#include "pictures/PictureImage.h"
#include "pictures/WmfPlayer.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace {

// No picture file the program can show is this large; refusing it early
// keeps a mistaken choice (a disk image named .bmp) from eating memory.
constexpr qint64 kMaxFileSize = 512LL * 1024 * 1024;

[[noreturn]] void pictureFailure(const QString& message)
{
    throw EInvalidGraphic(message);
}

QByteArray readPictureFile(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists())
        pictureFailure(QStringLiteral("The picture file does not exist: %1").arg(path));
    if (!info.isFile())
        pictureFailure(QStringLiteral("Not a picture file: %1").arg(path));
    if (info.size() == 0)
        pictureFailure(QStringLiteral("The picture file is empty: %1").arg(path));
    if (info.size() > kMaxFileSize)
        pictureFailure(QStringLiteral("The picture file is too large: %1").arg(path));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        pictureFailure(QStringLiteral("Cannot read the picture file %1: %2").arg(path, file.errorString()));
    // Never more than was checked above, even if the file grew meanwhile.
    QByteArray bytes = file.read(std::min(file.size(), kMaxFileSize));
    if (file.error() != QFileDevice::NoError)
        pictureFailure(QStringLiteral("Cannot read the picture file %1: %2").arg(path, file.errorString()));
    if (bytes.isEmpty())
        pictureFailure(QStringLiteral("The picture file is empty: %1").arg(path));
    return bytes;
}

// The decoders of the formats shown at their own size, by extension.
using Decoder = imagedecode::Picture (*)(imagedecode::Bytes, const imagedecode::Options&);
Decoder decoderFor(const QString& extension)
{
    if (extension == QLatin1String("bmp") || extension == QLatin1String("dib"))
        return imagedecode::decodeBitmap;
    if (extension == QLatin1String("ico"))
        return imagedecode::decodeIcon;
    if (extension == QLatin1String("gif"))
        return imagedecode::decodeGif;
    return nullptr;
}

// Whole JPEG data ends with the end-of-image marker; data cut short does not.
bool endsWhole(const QByteArray& jpeg)
{
    return jpeg.endsWith("\xFF\xD9");
}

}  // namespace

PictureFile::PictureFile(QSize fullSize, QImage image, QByteArray reducible)
    : fullSize_(fullSize), image_(std::move(image)), jpegData_(std::move(reducible))
{
}

PictureFile::PictureFile(PictureFile&&) noexcept = default;
PictureFile& PictureFile::operator=(PictureFile&& other) noexcept
{
    // A decoding thread writes into image_'s pixels: it is stopped before
    // they are let go.
    pending_ = std::move(other.pending_);
    fullSize_ = other.fullSize_;
    image_ = std::move(other.image_);
    jpegData_ = std::move(other.jpegData_);
    onDemand_ = other.onDemand_;
    whenDecoded_ = std::move(other.whenDecoded_);
    return *this;
}
PictureFile::~PictureFile() = default;

PictureFile PictureFile::load(const QString& path, QSize displayHint)
{
    return read(path, displayHint, false);
}

PictureFile PictureFile::open(const QString& path, QSize displayHint)
{
    return read(path, displayHint, true);
}

PictureFile PictureFile::read(const QString& path, QSize displayHint, bool onDemand)
{
    const QString extension = QFileInfo(path).suffix().toLower();
    const bool jpeg = extension == QLatin1String("jpg") || extension == QLatin1String("jpeg");
    const bool metafile = extension == QLatin1String("wmf") || extension == QLatin1String("emf");
    const Decoder decoder = decoderFor(extension);
    if (!jpeg && !metafile && !decoder)
        pictureFailure(QStringLiteral("No picture decoder for \"%1\" files").arg(extension));

    const QByteArray data = readPictureFile(path);
    if (jpeg) {
        PictureFile picture({}, {}, data);
        picture.onDemand_ = onDemand && endsWhole(data);
        picture.decodeJpeg(displayHint);
        return picture;
    }
    if (metafile) {
        // Drawn at its frame's size, or smaller for a huge frame; the size
        // reported is the frame's.
        metafile::Played played = decodeToImage(
            [&] { return extension == QLatin1String("wmf") ? playWmf(bytesOf(data)) : playEmf(bytesOf(data)); });
        return PictureFile(played.frame, std::move(played.image), {});
    }
    QImage image = decodeToImage([&] { return toImage(decoder(bytesOf(data), screenOptions())); });
    const QSize full = image.size();
    return PictureFile(full, std::move(image), {});
}

void PictureFile::ensureResolution(QSize displaySize)
{
    if (jpegData_.isEmpty())
        return;
    if (displaySize.width() <= image_.width() && displaySize.height() <= image_.height())
        return;
    decodeJpeg(displaySize);
}

void PictureFile::decodeJpeg(QSize displaySize)
{
    int scale = kJpegFullScale;
    if (onDemand_) {
        pending_.reset();
        auto pending = std::make_unique<JpegRowReader>(jpegData_);
        fullSize_ = QSize(pending->width(), pending->height());
        scale = jpegScaleFor(fullSize_, displaySize);
        image_ = toImage(pending->start(scale));
        if (whenDecoded_)
            pending->whenDone(whenDecoded_);
        pending_ = std::move(pending);
    } else {
        DecodedJpeg decoded = ::decodeJpeg(jpegData_, displaySize);
        fullSize_ = decoded.fullSize;
        image_ = std::move(decoded.image);
        scale = decoded.scale;
        pending_.reset();
    }
    if (scale == kJpegFullScale)
        jpegData_.clear();
}

int PictureFile::rowsReady() const
{
    return pending_ ? pending_->rowsReady() : image_.height();
}

bool PictureFile::isDecoded() const
{
    return !pending_ || pending_->isDone();
}

void PictureFile::whenDecoded(std::function<void()> done)
{
    whenDecoded_ = std::move(done);
    if (pending_)
        pending_->whenDone(whenDecoded_);
    else if (whenDecoded_)
        whenDecoded_();
}

void PictureFile::readRows(int rows)
{
    if (!pending_)
        return;
    try {
        pending_->waitFor(rows);
    } catch (const EInvalidGraphic&) {
        // What was read stays; the rest of the picture stays black.
        pending_.reset();
        throw;
    }
    if (pending_->rowsReady() == image_.height())
        pending_.reset();
}
