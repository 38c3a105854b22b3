#include "ThumbnailMaker.h"

#include "pictures/DibBitmap.h"
#include "pictures/ThumbnailCache.h"
#include "platform/Errors.h"
#include "windowing/Rounding.h"

#include <QFile>
#include <QFileInfo>
#include <QPainter>

#include <algorithm>

namespace {
// A whole file is read into memory for its reader; nothing larger is a picture
// this program can hold.
constexpr qint64 kLargestFile = qint64(1) << 30;
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
    const QSize size = thumbnailSize(bitmap.image.width(), bitmap.image.height(), recipe.width, recipe.height);
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
    painter.drawImage(QRect(QPoint((recipe.width - size.width()) / 2, (recipe.height - size.height()) / 2), size),
                      picture);
    return thumbnail;
}

ThumbFile readThumbnails(ImageLibrary& library, const QString& path, const ThumbnailRecipe& recipe,
                         const std::atomic<bool>* cancelled)
{
    ThumbFile result;
    const QFileInfo file(path);
    if (!file.isFile())
        return result;
    const FileInfo info = library.fileInfo(path);
    if (!info.succeeded())
        return result;
    const auto reader = memoryReaderFor(info.format);
    int lastPage = 0;
    if (isTiffFormat(info.format)) {
        try {
            const PageInfo pages = library.pageInfo(path, 0);
            if (pages.found())
                lastPage = pages.lastPage;
        } catch (const Exception&) {
            lastPage = 0;
        }
    }
    if (lastPage < 0 || !reader || file.size() > kLargestFile)
        return result;
    const int side = std::max(recipe.width, recipe.height);
    // The shared cache holds one thumbnail per file: pages of a multi-page
    // file are always read.
    // Monochrome pictures are scaled to grey, which other programs' thumbnails are not.
    const bool cached = recipe.cache && lastPage == 0 && info.bitsPerPixel != 1;
    if (cached) {
        const QImage found = recipe.cache->find(path, side);
        if (!found.isNull()) {
            DibBitmap bitmap{found.convertToFormat(QImage::Format_RGB32), 24};
            QImage thumbnail = makeThumbnail(library, bitmap, recipe, result);
            if (!thumbnail.isNull()) {
                result.pages.push_back({std::move(thumbnail), 0, 0, info.format});
                return result;
            }
        }
        if (recipe.cache->hasFailed(path))
            return result;
    }
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly))
        return result;
    const QByteArray bytes = in.readAll();
    if (bytes.isEmpty())
        return result;
    lastPage = std::min(lastPage, kMostPages);
    for (int page = 0; page <= lastPage; ++page) {
        if (cancelled && cancelled->load(std::memory_order_relaxed))
            break;
        try {
            ReadRequest request;
            request.bitsPerPixel = recipe.depth;
            request.pageOrMode = page;
            // A thumbnail kept for other programs is 128 pixels: read at
            // least that large when it will be kept.
            request.maxSide = cached ? std::max(side, ThumbnailCache::kNormalSide) : side;
            const ReadResult read = library.readMemory(*reader, bytes, request);
            if (!read.succeeded() || !read.block)
                continue;
            const DibBitmap bitmap = blockToBitmap(library, read.block);
            if (bitmap.isNull())
                continue;
            QImage thumbnail = makeThumbnail(library, bitmap, recipe, result);
            if (cached && !bitmap.monochrome()
                && (std::max(bitmap.image.width(), bitmap.image.height()) >= ThumbnailCache::kNormalSide
                    || bitmap.image.size() == QSize(info.width, info.height)))
                recipe.cache->store(path, bitmap.image);
            if (!thumbnail.isNull())
                result.pages.push_back({std::move(thumbnail), page, lastPage, info.format});
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
