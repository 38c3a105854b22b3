#include "imagelib/decode/PcxDecoder.h"

#include <algorithm>
#include <string>
#include <vector>

namespace imagedecode {
namespace {

constexpr std::size_t kHeaderSize = 128;
constexpr std::size_t kTable256Size = 769;  // 0x0C, then 256 × RGB at the end of the file
// A two-byte run paints at most 63 bytes of a scan line.
constexpr std::uint64_t kRleBytesPerByte = 32;

struct Header {
    int bits = 0;
    int planes = 0;
    int width = 0;
    int height = 0;
    int bytesPerLine = 0;
    bool rle = false;
};

Header readHeader(Bytes data)
{
    if (!looksLikePcx(data))
        fail(Failure::NotThisFormat, "Not a PCX picture");
    data.at(0, kHeaderSize);
    Header h;
    h.rle = data.u8(2) == 1;
    h.bits = data.u8(3);
    const int xmin = data.u16(4), ymin = data.u16(6), xmax = data.u16(8), ymax = data.u16(10);
    h.planes = data.u8(65);
    h.bytesPerLine = data.u16(66);
    h.width = xmax - xmin + 1;
    h.height = ymax - ymin + 1;
    const bool known = (h.bits == 1 && (h.planes == 1 || h.planes == 2 || h.planes == 3 || h.planes == 4)) ||
                       ((h.bits == 2 || h.bits == 4) && h.planes == 1) || (h.bits == 8 && (h.planes == 1 || h.planes == 3 || h.planes == 4));
    if (!known)
        fail(Failure::Unsupported, "Unsupported PCX variant");
    if (h.width <= 0 || h.height <= 0)
        fail(Failure::Corrupt, "The PCX picture has no pixels");
    if (std::int64_t(h.bytesPerLine) * 8 < std::int64_t(h.width) * h.bits)
        fail(Failure::Corrupt, "The PCX scan lines are shorter than the picture");
    return h;
}

}  // namespace

bool looksLikePcx(Bytes data)
{
    if (data.size() < kHeaderSize || data.u8(0) != 0x0A)
        return false;
    const int version = data.u8(1), encoding = data.u8(2), bits = data.u8(3);
    return (version == 0 || version == 2 || version == 3 || version == 4 || version == 5) && encoding <= 1 &&
           (bits == 1 || bits == 2 || bits == 4 || bits == 8);
}

PictureInfo pcxInfo(Bytes data)
{
    const Header h = readHeader(data);
    return {h.width, h.height, h.bits * h.planes};
}

Picture decodePcx(Bytes data, const Options& options)
{
    const Header h = readHeader(data);
    checkSize(h.width, h.height, 4, options.limits);
    const std::size_t lineBytes = std::size_t(h.bytesPerLine) * std::size_t(h.planes);
    const std::uint64_t total = std::uint64_t(lineBytes) * std::uint64_t(h.height);
    if (h.rle)
        checkExpansion(total, data.size() - kHeaderSize, kRleBytesPerByte);
    else
        data.at(kHeaderSize, total);

    const bool trueColour = h.bits == 8 && h.planes >= 3;
    std::vector<Colour> palette;
    if (!trueColour) {
        const int colours = 1 << (h.bits * h.planes);
        if (h.bits == 8) {
            // The 256-colour table sits at the end of the file after a 0x0C.
            if (data.size() < kHeaderSize + kTable256Size || data.u8(data.size() - kTable256Size) != 0x0C)
                fail(Failure::Corrupt, "The PCX picture has no colour table");
            const std::uint8_t* t = data.at(data.size() - 768, 768);
            for (int i = 0; i < 256; ++i)
                palette.push_back(Colour{t[i * 3 + 2], t[i * 3 + 1], t[i * 3], 255});
        } else if (colours == 2) {
            palette = {Colour{0, 0, 0, 255}, Colour{255, 255, 255, 255}};
        } else {
            const std::uint8_t* t = data.at(16, 48);
            for (int i = 0; i < colours; ++i)
                palette.push_back(Colour{t[i * 3 + 2], t[i * 3 + 1], t[i * 3], 255});
        }
    }
    Picture picture =
        Picture::allocate(h.width, h.height, trueColour ? Picture::Format::Bgra : paletteFormat(options), options.limits);
    const PaletteWriter writer(picture, palette);
    picture.hasAlpha = trueColour && h.planes == 4;

    ProgressReporter progress(options.progress);
    std::vector<std::uint8_t> line(lineBytes);
    std::size_t pos = kHeaderSize;
    // A run may carry over from one scan line into the next.
    unsigned runLeft = 0, runValue = 0;
    for (int y = 0; y < h.height; ++y) {
        progress.report(y, h.height);
        for (std::size_t i = 0; i < lineBytes; ++i) {
            if (!h.rle) {
                line[i] = data.u8(pos++);
                continue;
            }
            if (runLeft == 0) {
                const unsigned b = data.u8(pos++);
                if ((b & 0xC0) == 0xC0) {
                    runLeft = b & 0x3F;
                    runValue = data.u8(pos++);
                } else {
                    runLeft = 1;
                    runValue = b;
                }
                if (runLeft == 0) {  // a zero-length run paints nothing
                    --i;
                    continue;
                }
            }
            line[i] = std::uint8_t(runValue);
            --runLeft;
        }
        std::uint8_t* out = picture.row(y);
        const std::size_t stride = std::size_t(h.bytesPerLine);
        if (trueColour) {
            Colour* px = reinterpret_cast<Colour*>(out);
            for (int x = 0; x < h.width; ++x)
                px[x] = Colour{line[2 * stride + std::size_t(x)], line[stride + std::size_t(x)], line[std::size_t(x)],
                               h.planes == 4 ? line[3 * stride + std::size_t(x)] : std::uint8_t(255)};
            continue;
        }
        for (int x = 0; x < h.width; ++x) {
            unsigned index = 0;
            if (h.planes == 1) {
                const int perByte = 8 / h.bits;
                index = (line[std::size_t(x / perByte)] >> (8 - h.bits * (x % perByte + 1))) & ((1u << h.bits) - 1);
            } else {
                for (int p = 0; p < h.planes; ++p)
                    index |= unsigned((line[std::size_t(p) * stride + std::size_t(x / 8)] >> (7 - x % 8)) & 1) << p;
            }
            writer.put(out, x, index);
        }
    }
    progress.report(1, 1);
    return picture;
}

}  // namespace imagedecode
