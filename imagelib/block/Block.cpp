#include "imagelib/block/Block.h"

#include "imagelib/decode/BitmapDecoder.h"

#include <malloc.h>

#include <cstdlib>
#include <cstring>
#include <memory>

namespace ilblock {
namespace {

constexpr std::uint32_t kHeaderSize = sizeof(IlBitmapHeader);
static_assert(sizeof(IlBitmapHeader) == 40 && sizeof(IlRgbQuad) == 4);

std::uint64_t strideFor(std::int64_t width, int bitCount)
{
    return (std::uint64_t(width) * std::uint64_t(bitCount) + 31) / 32 * 4;
}

IlRgbQuad overWhite(imagedecode::Colour c)
{
    if (c.a == 255)
        return {c.b, c.g, c.r, 0};
    const unsigned white = 255u * (255u - c.a);
    return {std::uint8_t((c.b * c.a + white + 127) / 255), std::uint8_t((c.g * c.a + white + 127) / 255),
            std::uint8_t((c.r * c.a + white + 127) / 255), 0};
}

}  // namespace

std::optional<imagedecode::Bytes> blockBytes(IlBlock block)
{
    if (!block)
        return std::nullopt;
    // Blocks are malloc'd (the interface says so); the allocation's size
    // bounds every read below.
    const std::size_t allocated = malloc_usable_size(block);
    if (allocated < kHeaderSize)
        return std::nullopt;
    IlBitmapHeader h;
    std::memcpy(&h, block, sizeof h);
    const std::int64_t width = h.width, height = h.height < 0 ? -std::int64_t(h.height) : h.height;
    if (h.size != kHeaderSize || width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide)
        return std::nullopt;
    const int bits = h.bitCount;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
        return std::nullopt;
    std::uint64_t pixelBytes = strideFor(width, bits) * std::uint64_t(height);
    std::uint64_t masks = 0;
    switch (h.compression) {
    case 0:
        break;
    case 1:
    case 2:
        if (bits != (h.compression == 1 ? 8 : 4) || h.height < 0 || h.sizeImage == 0)
            return std::nullopt;
        pixelBytes = h.sizeImage;
        break;
    case 3:
        if (bits != 16 && bits != 32)
            return std::nullopt;
        masks = 12;
        break;
    default:
        return std::nullopt;
    }
    std::uint64_t colours = h.clrUsed;
    if (bits <= 8) {
        const std::uint64_t full = std::uint64_t(1) << bits;
        if (colours > full)
            return std::nullopt;
        if (colours == 0)
            colours = full;
    } else if (colours > 256) {
        return std::nullopt;
    }
    const std::uint64_t total = kHeaderSize + masks + colours * sizeof(IlRgbQuad) + pixelBytes;
    if (total > std::uint64_t(kMaxBytes) + 4096 || total > allocated)
        return std::nullopt;
    return imagedecode::Bytes(static_cast<const std::uint8_t*>(block), std::size_t(total));
}

imagedecode::Picture pictureOf(IlBlock block, bool keepIndexed)
{
    const std::optional<imagedecode::Bytes> bytes = blockBytes(block);
    if (!bytes)
        imagedecode::fail(imagedecode::Failure::Corrupt, "Not a valid bitmap block");
    const imagedecode::Options options{kLimits, keepIndexed, {}};
    return imagedecode::decodeBitmap(*bytes, options);
}

NewBlock allocateBlock(int width, int height, int bitCount, int colours)
{
    imagedecode::checkSize(width, height, 0, kLimits);
    const std::uint64_t stride = strideFor(width, bitCount);
    const std::uint64_t pixelBytes = stride * std::uint64_t(height);
    const std::uint64_t total = kHeaderSize + std::uint64_t(colours) * sizeof(IlRgbQuad) + pixelBytes;
    if (total > std::uint64_t(kMaxBytes))
        imagedecode::fail(imagedecode::Failure::TooLarge, "The bitmap block would be too large");
    void* memory = std::calloc(1, std::size_t(total));
    if (!memory)
        imagedecode::fail(imagedecode::Failure::OutOfMemory, "Not enough memory for the bitmap block");
    NewBlock b;
    b.block = memory;
    b.header = static_cast<IlBitmapHeader*>(memory);
    b.header->size = kHeaderSize;
    b.header->width = width;
    b.header->height = height;
    b.header->planes = 1;
    b.header->bitCount = std::uint16_t(bitCount);
    b.header->compression = 0;
    b.header->sizeImage = std::uint32_t(pixelBytes);
    b.header->xPelsPerMeter = 2835;  // 72 dots per inch
    b.header->yPelsPerMeter = 2835;
    b.header->clrUsed = std::uint32_t(colours);
    b.table = reinterpret_cast<IlRgbQuad*>(b.header + 1);
    b.bits = reinterpret_cast<std::uint8_t*>(b.table + colours);
    b.stride = std::size_t(stride);
    return b;
}

IlBlock blockFromPicture(const imagedecode::Picture& picture, int bitCount)
{
    const int w = picture.width(), h = picture.height();
    if (!picture.indexed()) {
        const NewBlock b = allocateBlock(w, h, 24, 0);
        for (int y = 0; y < h; ++y) {
            const imagedecode::Colour* in = picture.bgraRow(y);
            std::uint8_t* out = b.row(y);
            for (int x = 0; x < w; ++x, out += 3) {
                const IlRgbQuad c = overWhite(in[x]);
                out[0] = c.blue;
                out[1] = c.green;
                out[2] = c.red;
            }
        }
        return b.block;
    }
    const int bits = bitCount > picture.paletteBits ? bitCount : picture.paletteBits;
    const int colours = int(picture.palette.size());
    const NewBlock b = allocateBlock(w, h, bits, colours);
    // A block's table has no transparency: entries that are not opaque are
    // laid over white, as the pixels of a 32-bit picture are.
    for (int i = 0; i < colours; ++i)
        b.table[i] = overWhite(picture.palette[std::size_t(i)]);
    const int perByte = 8 / bits;
    for (int y = 0; y < h; ++y) {
        const std::uint8_t* in = picture.row(y);
        std::uint8_t* out = b.row(y);
        if (bits == 8) {
            std::memcpy(out, in, std::size_t(w));
            continue;
        }
        for (int x = 0; x < w; ++x)
            out[x / perByte] |= std::uint8_t(in[x] << (8 - bits * (x % perByte + 1)));
    }
    return b.block;
}

void freeBlock(IlBlock block)
{
    std::free(block);
}

}  // namespace ilblock
