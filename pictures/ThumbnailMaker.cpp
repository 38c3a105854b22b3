#include "ThumbnailMaker.h"

#include "imagelib/decode/JpegDecoder.h"
#include "pictures/DibBitmap.h"
#include "pictures/RegularFile.h"
#include "pictures/ScanBudget.h"
#include "pictures/ThumbnailCache.h"
#include "platform/Errors.h"
#include "windowing/Rounding.h"

#include <QFile>
#include <QFileInfo>
#include <QPainter>

#include <algorithm>

#include <fcntl.h>

namespace {
// A whole file is read into memory for its reader; nothing larger is a picture
// this program can hold.
constexpr qint64 kLargestFile = qint64(1) << 30;
// A decoded pixel is held at once by two of the decoder's picture (4 bytes),
// the bitmap block (up to 4) and the bitmap (4); a smoothing copy adds 3.
constexpr qint64 kBytesPerDecodedPixel = 10;
// A progressive JPEG's coefficients: two bytes per sample, 4:4:4 at worst.
constexpr qint64 kJpegCoefficientBytes = 6;
// No real multi-page file comes near this; a lying page count cannot keep a
// scan busy for ever.
constexpr int kMostPages = 65535;
}  // namespace

QSize thumbnailSize(int width, int height, int thumbWidth, int thumbHeight)
{
    if (width <= 0 || height <= 0)
        return {};
    if (width >= height)
        return {thumbWidth, std::max(1, roundInt(double(height) * thumbWidth / width))};
    return {std::max(1, roundInt(double(width) * thumbHeight / height)), thumbHeight};
}

QRect thumbnailPlace(QSize picture, const ThumbnailRecipe& recipe)
{
    const QSize size = thumbnailSize(picture.width(), picture.height(), recipe.width, recipe.height);
    return {QPoint((recipe.width - size.width()) / 2, (recipe.height - size.height()) / 2), size};
}

bool isTiffFormat(const QString& format)
{
    const QString upper = format.toUpper();
    return upper == QLatin1String("TIFF") || upper == QLatin1String("TIF");
}

std::optional<ImageReader> memoryReaderFor(const QString& format)
{
    const QString f = format.toUpper();
    if (f == QLatin1String("JPG") || f == QLatin1String("JPEG"))
        return ImageReader::Jpeg;
    if (f == QLatin1String("PCD"))
        return ImageReader::Pcd;
    if (f == QLatin1String("PNG"))
        return ImageReader::Png;
    if (f == QLatin1String("GIF"))
        return ImageReader::Gif;
    if (isTiffFormat(f))
        return ImageReader::Tiff;
    if (f == QLatin1String("PCX"))
        return ImageReader::Pcx;
    if (f == QLatin1String("TGA"))
        return ImageReader::Tga;
    if (f == QLatin1String("BMP"))
        return ImageReader::Bmp;
    return std::nullopt;
}

QImage makeThumbnail(ImageLibrary& library, const DibBitmap& bitmap, const ThumbnailRecipe& recipe, ThumbFile& notes)
{
    const QRect place = thumbnailPlace(bitmap.image.size(), recipe);
    const QSize size = place.size();
    if (size.isEmpty())
        return {};
    QImage picture = bitmap.image;
    if (bitmap.monochrome() || recipe.antiAliased) {
        try {
            const DibBlock source = bitmapToBlock(picture, bitmap.monochrome() ? 1 : 24);
            const DibBlock scaled = bitmap.monochrome()
                                        ? library.scaleToGray(source, size.width(), size.height(), 6)
                                        : library.scale(source, size.width(), size.height());
            const DibBitmap smooth = plainBlockToBitmap(scaled);
            if (!smooth.isNull())
                picture = smooth.image;
        } catch (const EImageLibUnavailable& e) {
            // Plain stretching stands in; the scan reports the missing library once.
            notes.scalingMissing = true;
            notes.scalingMessage = e.message();
        }
    }
    QImage thumbnail(recipe.width, recipe.height, QImage::Format_RGB32);
    thumbnail.fill(Qt::white);
    QPainter painter(&thumbnail);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(place, picture);
    return thumbnail;
}

qint64 thumbnailReadCost(const FileInfo& info, int maxSide)
{
    if (info.width <= 0 || info.height <= 0)
        return 0;
    const qint64 pixels = qint64(info.width) * info.height;
    if (memoryReaderFor(info.format) != ImageReader::Jpeg)
        return pixels * kBytesPerDecodedPixel;
    // A JPEG is decoded scaled down, but a progressive one keeps all its
    // coefficients at full size meanwhile.
    const int scale = imagedecode::jpegScaleForMaxSide(info.width, info.height, maxSide);
    const qint64 scaled = qint64(imagedecode::jpegScaledSide(info.width, scale))
                          * imagedecode::jpegScaledSide(info.height, scale);
    return pixels * kJpegCoefficientBytes + scaled * kBytesPerDecodedPixel;
}

namespace {

// A thumbnail of the shared cache made into the grid's thumbnail; false when
// there is none for the file as it is now.
bool thumbnailFromCache(ImageLibrary& library, const QString& path, const ThumbnailRecipe& recipe,
                        const QString& format, ThumbFile& result)
{
    const QImage found = recipe.cache->find(path, std::max(recipe.width, recipe.height));
    if (found.isNull())
        return false;
    // Other programs' thumbnails may be transparent: laid over white, as
    // every picture is.
    QImage opaque(found.size(), QImage::Format_RGB32);
    opaque.fill(Qt::white);
    QPainter(&opaque).drawImage(0, 0, found);
    QImage thumbnail = makeThumbnail(library, DibBitmap{opaque, 24}, recipe, result);
    if (thumbnail.isNull())
        return false;
    result.pages.push_back({std::move(thumbnail), thumbnailPlace(opaque.size(), recipe), 0, 0, format, {}});
    return true;
}

}  // namespace

ThumbFile readThumbnails(ImageLibrary& library, const QString& path, const ThumbnailRecipe& recipe,
                         const std::atomic<bool>* cancelled, ScanBudget* budget)
{
    ThumbFile result;
    const QFileInfo file(path);
    if (!file.isFile())
        return result;
    // The cache is asked first, by the file's address and time alone, so a
    // thumbnail found there spares opening the picture. A file named as a
    // TIFF may have several pages, which the cache does not hold.
    const bool tiffName = isTiffFormat(file.suffix());
    if (recipe.cache && !tiffName) {
        if (thumbnailFromCache(library, path, recipe, file.suffix().toUpper(), result)
            || recipe.cache->hasFailed(path))
            return result;
    }
    const qint64 size = file.size();
    if (size > kLargestFile)
        return result;
    // The header is all fileinfo reads, unless the format keeps it far
    // into the file; a TIFF's pages are counted from the whole file.
    FileInfo info;
    int lastPage = 0;
    {
        const ScanBudget::Hold hold(budget, size);
        if (!hold)
            return result;
        info = library.fileInfo(path);
        if (!info.succeeded())
            return result;
        if (isTiffFormat(info.format)) {
            try {
                const PageInfo pages = library.pageInfo(path, 0);
                if (pages.found())
                    lastPage = pages.lastPage;
            } catch (const Exception&) {
                lastPage = 0;
            }
        }
    }
    const auto reader = memoryReaderFor(info.format);
    if (lastPage < 0 || !reader)
        return result;
    const int side = std::max(recipe.width, recipe.height);
    // The shared cache holds one thumbnail per file: pages of a multi-page
    // file are always read.
    // Monochrome pictures are scaled to grey, which other programs' thumbnails are not.
    const bool cached = recipe.cache && lastPage == 0 && info.bitsPerPixel != 1;
    if (cached && tiffName
        && (thumbnailFromCache(library, path, recipe, info.format, result) || recipe.cache->hasFailed(path)))
        return result;
    // A thumbnail kept for other programs is 128 pixels: read at least that
    // large when it will be kept.
    const int maxSide = cached ? std::max(side, ThumbnailCache::kNormalSide) : side;
    const qint64 pixelCost = thumbnailReadCost(info, maxSide);
    if (pixelCost <= 0) {
        // A picture of no size is broken: nothing to read.
        if (cached)
            recipe.cache->storeFailure(path);
        return result;
    }
    // Other pages than the first may be of any size: a multi-page file is
    // read while nothing else is.
    const qint64 cost = lastPage > 0 && budget ? budget->total() : size + pixelCost;
    const ScanBudget::Hold hold(budget, cost);
    if (!hold)
        return result;
    const auto bytes = readRegularFile(AT_FDCWD, QFile::encodeName(path), size, true);
    if (!bytes || bytes->isEmpty())
        return result;
    lastPage = std::min(lastPage, kMostPages);
    for (int page = 0; page <= lastPage; ++page) {
        if (cancelled && cancelled->load(std::memory_order_relaxed))
            break;
        try {
            ReadRequest request;
            request.bitsPerPixel = recipe.depth;
            request.pageOrMode = page;
            request.maxSide = maxSide;
            const ReadResult read = library.readMemory(*reader, *bytes, request);
            if (!read.succeeded() || !read.block)
                continue;
            const DibBitmap bitmap = blockToBitmap(library, read.block);
            if (bitmap.isNull())
                continue;
            QImage thumbnail = makeThumbnail(library, bitmap, recipe, result);
            if (cached && !bitmap.monochrome()
                && (std::max(bitmap.image.width(), bitmap.image.height()) >= ThumbnailCache::kNormalSide
                    || bitmap.image.size() == QSize(info.width, info.height)))
                recipe.cache->store(path, bitmap.image, QSize(info.width, info.height));
            if (!thumbnail.isNull())
                result.pages.push_back(
                    {std::move(thumbnail), thumbnailPlace(bitmap.image.size(), recipe), page, lastPage, info.format, {}});
        } catch (const Exception&) {
            // A page that fails in any way is skipped without a word.
        } catch (const std::bad_alloc&) {
        }
    }
    if (cached && result.pages.empty() && !(cancelled && cancelled->load(std::memory_order_relaxed)))
        recipe.cache->storeFailure(path);
    return result;
}

QString shortenCaption(const QString& caption, int textWidth, int available)
{
    const int n = int(caption.size());
    if (n == 0 || textWidth <= 0)
        return caption;
    const int k = roundInt(available / (double(textWidth) / n + n / 20.0));
    if (k >= n + 1)
        return caption;
    if (k < 3)
        return QStringLiteral("..");
    return QStringLiteral("..") + caption.right(k - 2);
}
