#include "pictures/PictureImage.h"

#include <cstdlib>

imagedecode::Options screenOptions()
{
    return imagedecode::Options{kScreenLimits, false, {}};
}

imagedecode::Bytes bytesOf(const QByteArray& data)
{
    return imagedecode::Bytes(reinterpret_cast<const std::uint8_t*>(data.constData()), std::size_t(data.size()));
}

QImage toImage(imagedecode::Picture&& picture)
{
    // BGRA in memory is exactly QImage's 32-bit ARGB on a little-endian machine.
    static_assert(Q_BYTE_ORDER == Q_LITTLE_ENDIAN);
    if (picture.indexed())  // screenOptions() never asks for a colour table
        throw EInvalidGraphic(QStringLiteral("The picture kept its colour table"));
    const int w = picture.width(), h = picture.height();
    const qsizetype stride = qsizetype(picture.stride());
    const QImage::Format format = picture.hasAlpha ? QImage::Format_ARGB32 : QImage::Format_RGB32;
    std::uint8_t* pixels = picture.release();
    return QImage(pixels, w, h, stride, format, [](void* p) { std::free(p); }, pixels);
}
