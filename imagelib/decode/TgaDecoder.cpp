#include "imagelib/decode/TgaDecoder.h"

#include <algorithm>
#include <string>
#include <vector>

namespace imagedecode {
namespace {

constexpr std::size_t kHeaderSize = 18;
// A two-byte run packet paints at most 128 pixels.
constexpr std::uint64_t kRlePixelsPerByte = 64;

enum ImageType { kColourMapped = 1, kTrueColour = 2, kGrey = 3 };

struct Header {
    int idLength = 0;
    int mapType = 0;
    int type = 0;  // 1, 2 or 3
    bool rle = false;
    int mapFirst = 0;
    int mapLength = 0;
    int mapEntryBits = 0;
    int width = 0;
    int height = 0;
    int depth = 0;
    bool topDown = false;
    bool rightToLeft = false;
    int alphaBits = 0;
};

bool validHeader(const Header& h)
{
    const bool depthOk = (h.type == kColourMapped && (h.depth == 8 || h.depth == 16)) ||
                         (h.type == kTrueColour && (h.depth == 15 || h.depth == 16 || h.depth == 24 || h.depth == 32)) ||
                         (h.type == kGrey && h.depth == 8);
    const bool mapOk = h.mapType == 0 ||
                       (h.mapType == 1 && (h.mapEntryBits == 15 || h.mapEntryBits == 16 || h.mapEntryBits == 24 ||
                                           h.mapEntryBits == 32));
    return depthOk && mapOk && (h.type != kColourMapped || (h.mapType == 1 && h.mapLength > 0));
}

Header readHeader(Bytes data)
{
    Header h;
    data.at(0, kHeaderSize);
    h.idLength = data.u8(0);
    h.mapType = data.u8(1);
    const int type = data.u8(2);
    h.rle = type >= 9;
    h.type = h.rle ? type - 8 : type;
    h.mapFirst = data.u16(3);
    h.mapLength = data.u16(5);
    h.mapEntryBits = data.u8(7);
    h.width = data.u16(12);
    h.height = data.u16(14);
    h.depth = data.u8(16);
    const int descriptor = data.u8(17);
    h.topDown = descriptor & 0x20;
    h.rightToLeft = descriptor & 0x10;
    h.alphaBits = descriptor & 0x0F;
    if (type != 1 && type != 2 && type != 3 && type != 9 && type != 10 && type != 11)
        fail(Failure::NotThisFormat, "Not a TGA picture");
    if (!validHeader(h))
        fail(Failure::Unsupported, "Unsupported TGA variant");
    return h;
}

Colour colourOf(const std::uint8_t* p, int bits)
{
    switch (bits) {
    case 8:
        return Colour{p[0], p[0], p[0], 255};
    case 15:
    case 16: {
        const unsigned v = unsigned(p[0]) | (unsigned(p[1]) << 8);
        auto five = [](unsigned c) { return std::uint8_t((c << 3) | (c >> 2)); };
        return Colour{five(v & 31), five((v >> 5) & 31), five((v >> 10) & 31), 255};
    }
    case 24:
        return Colour{p[0], p[1], p[2], 255};
    default:
        return Colour{p[0], p[1], p[2], p[3]};
    }
}

}  // namespace

bool looksLikeTga(Bytes data)
{
    try {
        const Header h = readHeader(data);
        return h.width > 0 && h.height > 0;
    } catch (const DecodeError&) {
        return false;
    }
}

PictureInfo tgaInfo(Bytes data)
{
    const Header h = readHeader(data);
    return {h.width, h.height, h.depth == 15 ? 16 : h.depth};
}

Picture decodeTga(Bytes data, const Options& options)
{
    const Header h = readHeader(data);
    checkSize(h.width, h.height, 4, options.limits);
    std::size_t pos = kHeaderSize + std::size_t(h.idLength);
    std::vector<Colour> palette;
    if (h.mapType == 1) {
        const std::size_t entryBytes = std::size_t(h.mapEntryBits + 7) / 8;
        const std::uint8_t* map = data.at(pos, std::size_t(h.mapLength) * entryBytes);
        pos += std::size_t(h.mapLength) * entryBytes;
        if (h.type == kColourMapped) {
            // Indices count from the map's first entry; those below it have no colour.
            palette.assign(std::size_t(std::min(h.mapFirst + h.mapLength, 256)), Colour{0, 0, 0, 255});
            for (int i = 0; i < h.mapLength && h.mapFirst + i < 256; ++i)
                palette[std::size_t(h.mapFirst + i)] = colourOf(map + std::size_t(i) * entryBytes, h.mapEntryBits);
            if (palette.empty())
                fail(Failure::Corrupt, "The TGA colour map is empty");
        }
    }
    const std::size_t pixelBytes = std::size_t(h.depth + 7) / 8;
    const std::uint64_t pixels = std::uint64_t(h.width) * std::uint64_t(h.height);
    if (h.rle)
        checkExpansion(pixels, data.size() - std::min(pos, data.size()), kRlePixelsPerByte);
    else
        data.at(pos, pixels * pixelBytes);  // all of the pixel data must be there

    const bool paletted = h.type == kColourMapped || h.type == kGrey;
    if (h.type == kGrey) {
        palette.resize(256);
        for (int i = 0; i < 256; ++i)
            palette[std::size_t(i)] = Colour{std::uint8_t(i), std::uint8_t(i), std::uint8_t(i), 255};
    }
    Picture picture =
        Picture::allocate(h.width, h.height, paletted ? paletteFormat(options) : Picture::Format::Bgra, options.limits);
    const PaletteWriter writer(picture, palette);
    // 32-bit pixels carry alpha only when the descriptor says so.
    const bool alpha = h.depth == 32 && h.alphaBits > 0;
    if (!paletted)
        picture.hasAlpha = alpha;

    ProgressReporter progress(options.progress);
    std::uint64_t done = 0;
    auto store = [&](const std::uint8_t* p) {
        const int row = int(done / std::uint64_t(h.width)), column = int(done % std::uint64_t(h.width));
        const int y = h.topDown ? row : h.height - 1 - row;
        const int x = h.rightToLeft ? h.width - 1 - column : column;
        std::uint8_t* out = picture.row(y);
        if (paletted) {
            const unsigned index = h.depth == 16 ? unsigned(p[0]) | (unsigned(p[1]) << 8) : p[0];
            writer.put(out, x, index < 256 ? index : 0);
        } else {
            Colour c = colourOf(p, h.depth);
            if (!alpha)
                c.a = 255;
            reinterpret_cast<Colour*>(out)[x] = c;
        }
        if (column == 0)
            progress.report(row, h.height);
        ++done;
    };
    if (!h.rle) {
        for (; done < pixels; pos += pixelBytes)
            store(data.at(pos, pixelBytes));
    } else {
        while (done < pixels) {
            const unsigned packet = data.u8(pos++);
            const std::uint64_t count = std::min<std::uint64_t>((packet & 0x7F) + 1, pixels - done);
            if (packet & 0x80) {
                const std::uint8_t* p = data.at(pos, pixelBytes);
                pos += pixelBytes;
                for (std::uint64_t i = 0; i < count; ++i)
                    store(p);
            } else {
                const std::uint8_t* p = data.at(pos, count * pixelBytes);
                pos += count * pixelBytes;
                for (std::uint64_t i = 0; i < count; ++i)
                    store(p + i * pixelBytes);
            }
        }
    }
    // Many writers leave the alpha byte zero everywhere: such a picture is opaque.
    if (alpha) {
        bool any = false;
        for (int y = 0; y < h.height && !any; ++y)
            any = std::any_of(picture.bgraRow(y), picture.bgraRow(y) + h.width, [](Colour c) { return c.a != 0; });
        if (!any) {
            for (int y = 0; y < h.height; ++y)
                std::for_each(picture.bgraRow(y), picture.bgraRow(y) + h.width, [](Colour& c) { c.a = 255; });
            picture.hasAlpha = false;
        }
    }
    progress.report(1, 1);
    return picture;
}

}  // namespace imagedecode
