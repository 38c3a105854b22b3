#include "pictures/PngDecoder.h"

#include <png.h>

#include <cstring>
#include <memory>

namespace {

const std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

// libpng's simplified reader keeps its own error recovery inside the library,
// so no jump ever crosses our frames; it reports failure by return value.
struct PngImage {
    png_image image{};
    PngImage() { image.version = PNG_IMAGE_VERSION; }
    ~PngImage() { png_image_free(&image); }
    PngImage(const PngImage&) = delete;
    PngImage& operator=(const PngImage&) = delete;

    [[noreturn]] void fail() const
    {
        pictureFailure(QStringLiteral("Broken PNG picture: %1").arg(QString::fromLatin1(image.message)));
    }
};

void begin(PngImage& png, PictureBytes data)
{
    if (!isPng(data))
        pictureFailure(QStringLiteral("Not a PNG picture"));
    if (!png_image_begin_read_from_memory(&png.image, data.data(), data.size()))
        png.fail();
}

}  // namespace

bool isPng(PictureBytes data)
{
    return data.has(0, sizeof kSignature) && std::memcmp(data.data(), kSignature, sizeof kSignature) == 0;
}

QSize pngSize(PictureBytes data)
{
    PngImage png;
    begin(png, data);
    checkPictureSize(png.image.width, png.image.height);
    return QSize(int(png.image.width), int(png.image.height));
}

QImage decodePng(PictureBytes data)
{
    PngImage png;
    begin(png, data);
    checkPictureSize(png.image.width, png.image.height);
    // BGRA in memory is exactly QImage's 32-bit ARGB on a little-endian machine.
    static_assert(Q_BYTE_ORDER == Q_LITTLE_ENDIAN);
    png.image.format = PNG_FORMAT_BGRA;
    // Without gamma information 16-bit samples are sRGB, as every viewer
    // shows them; libpng would otherwise take them for linear light.
    png.image.flags |= PNG_IMAGE_FLAG_16BIT_sRGB;
    QImage image = allocatePicture(QSize(int(png.image.width), int(png.image.height)), QImage::Format_ARGB32);
    if (!png_image_finish_read(&png.image, nullptr, image.bits(), png_int_32(image.bytesPerLine()), nullptr))
        png.fail();
    return image;
}
