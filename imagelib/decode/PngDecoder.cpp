#include "imagelib/decode/PngDecoder.h"

#include <png.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>
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
    int depth = 0;      // bits per sample
    int colourType = 0;
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
    h.depth = depth;
    h.colourType = type;
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

namespace {

// Colour-table pictures, and black-and-white grey ones, keep their indices
// when the caller wants tables: a table of 1, 4 or 8 bits, 2-bit pictures
// held at 4 (no bitmap block has 2 bits per pixel).
int tableBits(const Header& h)
{
    if (h.colourType == 3)
        return h.depth == 2 ? 4 : h.depth;
    if (h.colourType == 0 && h.depth == 1)
        return 1;
    return 0;
}

Picture decodeIndexed(Bytes data, int bits, const Options& options)
{
    PngImage png;
    if (!png_image_begin_read_from_memory(&png.image, data.data(), data.size()))
        png.fail();
    // The table keeps its transparency; whoever makes a bitmap of it decides
    // what shows through.
    png.image.format = PNG_FORMAT_BGRA_COLORMAP;
    Picture picture = Picture::allocate(png.image.width, png.image.height, Picture::Format::Indexed, options.limits);
    std::array<Colour, 256> table{};
    static_assert(sizeof table == 256 * 4, "one BGRA entry per colour");
    // The table is never larger than 256 entries, whatever the file says.
    png.image.colormap_entries = std::min<png_uint_32>(png.image.colormap_entries, 256);
    if (!png_image_finish_read(&png.image, nullptr, picture.row(0), png_int_32(picture.stride()), table.data()))
        png.fail();
    const std::size_t entries = std::clamp<std::size_t>(png.image.colormap_entries, 1, 256);
    const std::vector<Colour> palette(table.begin(), table.begin() + std::ptrdiff_t(entries));
    const PaletteWriter writer(picture, palette);
    for (int y = 0; y < picture.height(); ++y) {
        std::uint8_t* row = picture.row(y);
        for (int x = 0; x < picture.width(); ++x)
            writer.put(row, x, row[x]);
    }
    picture.paletteBits = std::max(picture.paletteBits, bits);
    return picture;
}

}  // namespace

Picture decodePng(Bytes data, const Options& options)
{
    const Header h = readHeader(data);
    const int bits = options.keepIndexed ? tableBits(h) : 0;
    checkSize(h.info.width, h.info.height, bits ? 1 : 4, options.limits);
    checkExpansion(h.rawBytes, data.size(), kDeflateBytesPerByte);
    ProgressReporter progress(options.progress);
    progress.report(0, 1);
    if (bits) {
        Picture picture = decodeIndexed(data, bits, options);
        progress.report(1, 1);
        return picture;
    }
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
