#include "imagelib/decode/PngDecoder.h"

#include <png.h>

#include <cstring>
#include <string>

namespace imagedecode {
namespace {

const std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
// Deflate expands one byte into at most 1032.
constexpr std::uint64_t kDeflateBytesPerByte = 1032;

// libpng's simplified reader keeps its own error recovery inside the library,
// so no jump ever crosses our frames; it reports failure by return value.
struct PngImage {
    png_image image{};
    PngImage() { image.version = PNG_IMAGE_VERSION; }
    ~PngImage() { png_image_free(&image); }
    PngImage(const PngImage&) = delete;
    PngImage& operator=(const PngImage&) = delete;

    [[noreturn]] void fail() const { imagedecode::fail(Failure::Corrupt, std::string("Broken PNG picture: ") + image.message); }
};

struct Header {
    PictureInfo info;
    std::uint64_t rawBytes = 0;  // the filtered rows, before compression
};

Header readHeader(Bytes data)
{
    if (!looksLikePng(data))
        fail(Failure::NotThisFormat, "Not a PNG picture");
    if (data.u32be(8) != 13 || std::memcmp(data.at(12, 4), "IHDR", 4) != 0)
        fail(Failure::Corrupt, "The PNG picture has no header");
    Header h;
    const std::uint32_t width = data.u32be(16), height = data.u32be(20);
    const int depth = data.u8(24), type = data.u8(25);
    const int channels = type == 0 || type == 3 ? 1 : type == 2 ? 3 : type == 4 ? 2 : type == 6 ? 4 : 0;
    if (!channels || depth < 1 || depth > 16)
        fail(Failure::Corrupt, "The PNG header is invalid");
    h.info = {int(std::min<std::uint32_t>(width, INT32_MAX)), int(std::min<std::uint32_t>(height, INT32_MAX)),
              depth * channels};
    h.rawBytes = std::uint64_t(height) * ((std::uint64_t(width) * std::uint64_t(depth * channels) + 7) / 8 + 1);
    return h;
}

}  // namespace

bool looksLikePng(Bytes data)
{
    return data.has(0, sizeof kSignature) && std::memcmp(data.data(), kSignature, sizeof kSignature) == 0;
}

PictureInfo pngInfo(Bytes data)
{
    return readHeader(data).info;
}

Picture decodePng(Bytes data, const Options& options)
{
    const Header h = readHeader(data);
    checkSize(h.info.width, h.info.height, 4, options.limits);
    checkExpansion(h.rawBytes, data.size(), kDeflateBytesPerByte);
    ProgressReporter progress(options.progress);
    progress.report(0, 1);
    PngImage png;
    if (!png_image_begin_read_from_memory(&png.image, data.data(), data.size()))
        png.fail();
    png.image.format = PNG_FORMAT_BGRA;
    // Without gamma information 16-bit samples are sRGB, as every viewer
    // shows them; libpng would otherwise take them for linear light.
    png.image.flags |= PNG_IMAGE_FLAG_16BIT_sRGB;
    Picture picture = Picture::allocate(png.image.width, png.image.height, Picture::Format::Bgra, options.limits);
    if (!png_image_finish_read(&png.image, nullptr, picture.row(0), png_int_32(picture.stride()), nullptr))
        png.fail();
    picture.hasAlpha = (png.image.format & PNG_FORMAT_FLAG_ALPHA) != 0;
    progress.report(1, 1);
    return picture;
}

}  // namespace imagedecode
