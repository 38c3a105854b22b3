#pragma once
// The grid's thumbnails kept small, so that a folder of any size fits: each
// one is packed (the picture part compressed, the white around it left out)
// when it arrives, and unpacked for painting; the last ones painted stay
// unpacked. Past a total of packed bytes, further thumbnails are not kept
// and their cells show white.
#include <QByteArray>
#include <QCache>
#include <QImage>
#include <QRect>

#include <vector>

struct PackedThumbnail {
    QByteArray picture;  // compressed, empty for none
    QRect place;         // of the picture inside the thumbnail
    QSize size;          // of the whole thumbnail

    // Safe on any thread.
    static PackedThumbnail pack(const QImage& thumbnail, QRect place);
    QImage unpack() const;
    bool isNull() const { return size.isEmpty(); }
};

class ThumbnailStore {
public:
    static constexpr qint64 kMostPackedBytes = qint64(256) << 20;
    static constexpr int kUnpackedKept = 256;

    explicit ThumbnailStore(qint64 mostPackedBytes = kMostPackedBytes);

    void add(PackedThumbnail thumbnail);
    // The thumbnail at index, white when it was not kept; null beyond the end.
    QImage image(int index) const;
    int size() const { return int(packed_.size()); }
    qint64 packedBytes() const { return bytes_; }
    void clear();

private:
    std::vector<PackedThumbnail> packed_;
    qint64 mostBytes_;
    qint64 bytes_ = 0;
    mutable QCache<int, QImage> unpacked_;
};
