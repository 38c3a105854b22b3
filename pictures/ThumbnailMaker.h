#pragma once
// Making the thumbnails of one picture file: the work of the thumbnail grid
// that needs no screen, safe to run on a worker thread.
#include "pictures/ImageLibrary.h"
#include "pictures/ThumbnailStore.h"

#include <QImage>
#include <QRect>
#include <QSize>
#include <QString>

#include <atomic>
#include <memory>
#include <optional>
#include <vector>

struct DibBitmap;
class ScanBudget;
class ThumbnailCache;

struct ThumbnailRecipe {
    int width = 100;   // every thumbnail bitmap is width x height
    int height = 68;
    bool antiAliased = false;
    int depth = 24;    // depth asked of the reader
    // The desktop's shared thumbnail cache, read before a file is decoded and
    // written after; none when null.
    std::shared_ptr<const ThumbnailCache> cache;
};

// The picture's size inside its thumbnail: the longer side fills the
// thumbnail, the other keeps the proportion (rounded half to even, at least 1).
QSize thumbnailSize(int width, int height, int thumbWidth, int thumbHeight);
// Where the picture of that size lies inside the recipe's thumbnail.
QRect thumbnailPlace(QSize picture, const ThumbnailRecipe& recipe);

// The memory reader for a format name as fileinfo reports it (any case).
std::optional<ImageReader> memoryReaderFor(const QString& format);
bool isTiffFormat(const QString& format);

struct ThumbPage {
    QImage thumbnail;
    QRect place;  // of the picture inside the thumbnail
    int page = 0;
    int lastPage = 0;
    QString format;
    // The thumbnail packed for the grid, made where the thumbnail was.
    PackedThumbnail packed;
};

struct ThumbFile {
    std::vector<ThumbPage> pages;
    // The scaling library could not be loaded for a monochrome picture.
    bool scalingMissing = false;
    QString scalingMessage;
};

// What reading a picture for its thumbnail may hold at once besides the
// file's bytes: its decoded pixels at every step, from the decoder's buffer
// to the bitmap (0 when the picture is too large to be read at all).
qint64 thumbnailReadCost(const FileInfo& info, int maxSide);

// Every page's thumbnail; pages that cannot be read are left out. Only a
// reading library that cannot be loaded raises (EImageLibUnavailable). The
// shared cache is asked before the picture is opened; the file is read once,
// and only while budget (when given) grants its bytes and pixels.
ThumbFile readThumbnails(ImageLibrary& library, const QString& path, const ThumbnailRecipe& recipe,
                         const std::atomic<bool>* cancelled = nullptr, ScanBudget* budget = nullptr);

// The thumbnail of a decoded picture: white, the picture stretched into the
// middle (rows and columns dropped); monochrome pictures are scaled to grey
// by the scaling library, colour ones by it when the recipe asks.
QImage makeThumbnail(ImageLibrary& library, const DibBitmap& bitmap, const ThumbnailRecipe& recipe, ThumbFile& notes);

// A caption of n characters that is textWidth pixels wide, shortened for an
// available width: whole, or ".." and its last k - 2 characters.
QString shortenCaption(const QString& caption, int textWidth, int available);
