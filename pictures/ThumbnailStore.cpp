#include "ThumbnailStore.h"

#include <QBuffer>
#include <QPainter>

namespace {
// Small pictures of photos: quality that cannot be told apart at this size.
constexpr int kJpegQuality = 90;
}  // namespace

PackedThumbnail PackedThumbnail::pack(const QImage& thumbnail, QRect place)
{
    PackedThumbnail packed;
    if (thumbnail.isNull())
        return packed;
    packed.size = thumbnail.size();
    packed.place = place.intersected(thumbnail.rect());
    if (packed.place.isEmpty())
        return packed;
    const QImage part = thumbnail.copy(packed.place);
    const auto encoded = [&part](const char* format, int quality) {
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        return part.save(&buffer, format, quality) ? bytes : QByteArray();
    };
    // Without the JPEG plugin the picture is kept losslessly instead.
    packed.picture = encoded("jpeg", kJpegQuality);
    if (packed.picture.isEmpty())
        packed.picture = encoded("png", -1);
    return packed;
}

QImage PackedThumbnail::unpack() const
{
    if (isNull())
        return {};
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    if (!picture.isEmpty())
        QPainter(&image).drawImage(place.topLeft(), QImage::fromData(picture));
    return image;
}

ThumbnailStore::ThumbnailStore(qint64 mostPackedBytes) : mostBytes_(mostPackedBytes), unpacked_(kUnpackedKept) {}

void ThumbnailStore::add(PackedThumbnail thumbnail)
{
    if (bytes_ + thumbnail.picture.size() > mostBytes_)
        thumbnail.picture.clear();
    bytes_ += thumbnail.picture.size();
    packed_.push_back(std::move(thumbnail));
}

QImage ThumbnailStore::image(int index) const
{
    if (index < 0 || index >= size())
        return {};
    if (const QImage* kept = unpacked_.object(index))
        return *kept;
    QImage image = packed_[size_t(index)].unpack();
    unpacked_.insert(index, new QImage(image));
    return image;
}

void ThumbnailStore::clear()
{
    packed_.clear();
    unpacked_.clear();
    bytes_ = 0;
}
