#include "pictures/PictureBytes.h"

PictureBytes PictureBytes::slice(std::size_t offset, std::size_t count) const
{
    return PictureBytes(at(offset, count), count);
}

const std::uint8_t* PictureBytes::at(std::size_t offset, std::size_t count) const
{
    if (!has(offset, count))
        pictureFailure(QStringLiteral("The picture data is truncated"));
    return data_ + offset;
}

std::uint16_t PictureBytes::u16(std::size_t offset) const
{
    const std::uint8_t* p = at(offset, 2);
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

std::uint32_t PictureBytes::u32(std::size_t offset) const
{
    const std::uint8_t* p = at(offset, 4);
    return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) |
           (std::uint32_t(p[3]) << 24);
}

void pictureFailure(const QString& message)
{
    throw EInvalidGraphic(message);
}

void checkPictureSize(std::int64_t width, std::int64_t height)
{
    if (width <= 0 || height <= 0)
        pictureFailure(QStringLiteral("The picture has no pixels (%1 × %2)").arg(width).arg(height));
    if (width > kMaxPictureSide || height > kMaxPictureSide || width * height > kMaxPicturePixels)
        pictureFailure(QStringLiteral("The picture is too large (%1 × %2)").arg(width).arg(height));
}

QImage allocatePicture(QSize size, QImage::Format format)
{
    checkPictureSize(size.width(), size.height());
    QImage image(size, format);
    if (image.isNull())
        pictureFailure(QStringLiteral("Not enough memory for a %1 × %2 picture").arg(size.width()).arg(size.height()));
    return image;
}
