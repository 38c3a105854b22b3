#include "pictures/JpegDecoder.h"

#include "imagelib/decode/JpegDecoder.h"
#include "pictures/PictureImage.h"

int jpegScaleFor(QSize full, QSize display)
{
    if (display.width() <= 0 || display.height() <= 0)
        return kJpegFullScale;
    auto covers = [&](int n) {
        const QSize out = jpegScaledSize(full, n);
        return out.width() >= display.width() && out.height() >= display.height();
    };
    if (!covers(kJpegHalfScale))
        return kJpegFullScale;
    int n = 1;
    while (!covers(n))
        ++n;
    return n;
}

QSize jpegScaledSize(QSize full, int scale)
{
    return QSize(imagedecode::jpegScaledSide(full.width(), scale), imagedecode::jpegScaledSide(full.height(), scale));
}

DecodedJpeg decodeJpeg(const QByteArray& data, QSize display)
{
    return decodeToImage([&] {
        imagedecode::JpegDecoder decoder(bytesOf(data), kScreenLimits);
        const QSize full(decoder.width(), decoder.height());
        const int scale = jpegScaleFor(full, display);
        return DecodedJpeg{full, toImage(decoder.decode(scale, screenOptions())), scale};
    });
}
