#pragma once
// The desktop's shared thumbnail cache: thumbnails other programs made are
// reused, and the ones this program makes are kept for them. A cached
// thumbnail is valid only while its recorded address and modification time
// match the file. Anyone may have planted a file there: one is read only
// after its size, pixel size and text have been checked, and a cache folder
// that is a symbolic link makes the cache unusable (nothing is read from or
// written through it, and no folder's mode is ever changed).
#include <QImage>
#include <QSize>
#include <QString>

class ThumbnailCache {
public:
    // The larger side of a "normal" thumbnail; "large" ones are twice that.
    static constexpr int kNormalSide = 128;

    // root: the cache folder ($XDG_CACHE_HOME/thumbnails by default).
    explicit ThumbnailCache(QString root = defaultRoot());

    static QString defaultRoot();

    // The file's address as the cache names it, and the cache file's name.
    static QString uriOf(const QString& path);
    static QString keyOf(const QString& path);

    // A valid cached thumbnail whose larger side is at least minSide, the
    // smaller of the normal (128) and large (256) ones that suffices; a
    // null image when there is none.
    QImage find(const QString& path, int minSide) const;

    // Keeps a thumbnail made from the file, scaled to fit 128 pixels (never
    // enlarged); original is the picture's own size, recorded beside it.
    // False when it could not be written.
    bool store(const QString& path, const QImage& picture, QSize original) const;

    // Records that the file could not be read, so no program tries again
    // while it is unchanged; and whether that is recorded.
    bool storeFailure(const QString& path) const;
    bool hasFailed(const QString& path) const;

private:
    bool write(const QString& folder, const QString& path, QImage image) const;
    // The thumbnail of path in folder when it is valid for the file.
    QImage validThumbnail(const QString& folder, const QString& path, int maxSide) const;

    QString root_;
};
