#include "imagelib/decode/BitmapDecoder.h"

#include <algorithm>
#include <array>
#include <bit>
#include <optional>
#include <string>

namespace imagedecode {
namespace {

enum Compression : std::uint32_t {
    kRgb = 0,
    kRle8 = 1,
    kRle4 = 2,
    kBitFields = 3,
    kAlphaBitFields = 6,
};

constexpr std::uint32_t kCoreHeaderSize = 12;
constexpr std::uint32_t kInfoHeaderSize = 40;
constexpr std::uint32_t kOs2HeaderSize = 64;
constexpr std::size_t kFileHeaderSize = 14;
// One two-byte run code paints at most 255 pixels.
constexpr std::uint64_t kRlePixelsPerByte = 128;

// One colour channel of a 16- or 32-bit pixel, scaled to 8 bits.
class Channel {
public:
    Channel() = default;
    explicit Channel(std::uint32_t mask)
        : mask_(mask), shift_(mask ? std::countr_zero(mask) : 0), max_(mask ? std::uint64_t(mask >> shift_) : 0)
    {
    }
    bool present() const { return mask_ != 0; }
    std::uint8_t value(std::uint32_t pixel) const
    {
        if (!max_)
            return 0;
        return std::uint8_t((std::uint64_t((pixel & mask_) >> shift_) * 255 + max_ / 2) / max_);
    }

private:
    std::uint32_t mask_ = 0;
    int shift_ = 0;
    std::uint64_t max_ = 0;
};

struct DibHeader {
    std::uint32_t headerSize = 0;
    int width = 0;
    int height = 0;
    bool topDown = false;
    int bitCount = 0;
    std::uint32_t compression = kRgb;
    std::uint32_t imageSize = 0;
    std::uint32_t colorsUsed = 0;
    std::array<std::uint32_t, 4> masks{};  // red, green, blue, alpha
    bool masksFromHeader = false;
};

// Sides beyond this cannot be meant; the caller's limits decide the rest.
constexpr std::int64_t kSaneSide = 1 << 20;

// Reads the info header at the start of dib. For icons the height field holds
// twice the picture height (colour rows plus mask rows).
DibHeader readHeader(Bytes dib, bool icon)
{
    DibHeader h;
    h.headerSize = dib.u32(0);
    std::int64_t width = 0, height = 0;
    if (h.headerSize == kCoreHeaderSize) {
        width = dib.u16(4);
        height = dib.u16(6);
        h.bitCount = dib.u16(10);
    } else if (h.headerSize >= 16 && h.headerSize <= 124) {
        // The OS/2 2.x header may be cut short after the bit count; what is
        // missing is zero.
        dib.at(0, h.headerSize);
        width = dib.i32(4);
        height = dib.i32(8);
        h.bitCount = dib.u16(14);
        auto field = [&](std::size_t offset) { return offset + 4 <= h.headerSize ? dib.u32(offset) : 0u; };
        h.compression = field(16);
        h.imageSize = field(20);
        h.colorsUsed = field(32);
        const bool os2 = h.headerSize <= kOs2HeaderSize && h.headerSize != kInfoHeaderSize && h.headerSize != 52 &&
                         h.headerSize != 56;
        // Values 3 and 4 mean Huffman and RLE24 in the OS/2 header.
        if (os2 && (h.compression == 3 || h.compression == 4))
            fail(Failure::Unsupported, "OS/2 bitmap compression " + std::to_string(h.compression) + " is not supported");
        if (!os2 && h.headerSize >= 52) {
            h.masks = {dib.u32(40), dib.u32(44), dib.u32(48), field(52)};
            h.masksFromHeader = true;
        }
    } else {
        fail(Failure::Corrupt, "Unknown bitmap header size " + std::to_string(h.headerSize));
    }
    if (height < 0) {
        if (icon)
            fail(Failure::Corrupt, "An icon bitmap cannot be stored top-down");
        h.topDown = true;
        height = -height;
    }
    if (icon)
        height /= 2;
    if (width <= 0 || height <= 0)
        fail(Failure::Corrupt, "The bitmap has no pixels");
    if (width > kSaneSide || height > kSaneSide)
        fail(Failure::TooLarge, "The bitmap is too large");
    h.width = int(width);
    h.height = int(height);

    switch (h.bitCount) {
    case 1: case 4: case 8: case 16: case 24: case 32:
        break;
    default:
        fail(Failure::Unsupported, "Unsupported bitmap depth " + std::to_string(h.bitCount));
    }
    switch (h.compression) {
    case kRgb:
        break;
    case kRle8:
    case kRle4:
        if (h.bitCount != (h.compression == kRle8 ? 8 : 4) || icon)
            fail(Failure::Corrupt, "Run-length compression does not match the bitmap depth");
        break;
    case kBitFields:
    case kAlphaBitFields:
        if (h.bitCount != 16 && h.bitCount != 32)
            fail(Failure::Corrupt, "Bit fields need 16 or 32 bits per pixel");
        break;
    default:
        fail(Failure::Unsupported, "Unsupported bitmap compression " + std::to_string(h.compression));
    }
    return h;
}

class DibReader {
public:
    DibReader(Bytes data, std::size_t headerAt, std::optional<std::size_t> bitsAt, bool icon, const Options& options)
        : data_(data), icon_(icon), options_(options), progress_(options.progress)
    {
        const Bytes dib = data.from(headerAt);
        h_ = readHeader(dib, icon);
        std::size_t tableAt = headerAt + h_.headerSize;
        if (hasBitFields() && !h_.masksFromHeader) {
            const std::size_t count = h_.compression == kAlphaBitFields ? 4 : 3;
            // Some writers declare bit fields and leave the masks out, pixel
            // data following the header at once: those pixels are laid out
            // as in a plain bitmap.
            if (bitsAt && *bitsAt < tableAt + 4 * count) {
                h_.compression = kRgb;
            } else {
                for (std::size_t i = 0; i < count; ++i)
                    h_.masks[i] = data.u32(tableAt + 4 * i);
                tableAt += 4 * count;
            }
        }
        readPalette(tableAt, bitsAt);
        if (bitsAt)
            bitsAt_ = *bitsAt;
        if (bitsAt_ >= data.size())
            fail(Failure::Truncated, "The bitmap has no pixel data");
    }

    const DibHeader& header() const { return h_; }

    Picture decode()
    {
        if (h_.compression == kRle8 || h_.compression == kRle4)
            return decodeRle();
        const bool paletted = h_.bitCount <= 8 && !icon_;
        const bool alpha = icon_ || (hasBitFields() && Channel(h_.masks[3]).present());
        // Checked before the pixel data is looked at, so a lying header fails
        // as too large rather than as truncated.
        checkSize(h_.width, h_.height, 4, options_.limits);
        const std::uint64_t stride = rowStride(h_.bitCount);
        const std::uint64_t lastRow = (std::uint64_t(h_.width) * std::uint64_t(h_.bitCount) + 7) / 8;
        const std::uint8_t* bits = data_.at(bitsAt_, stride * std::uint64_t(h_.height - 1) + lastRow);
        Picture picture = Picture::allocate(h_.width, h_.height,
                                            paletted ? paletteFormat(options_) : Picture::Format::Bgra, options_.limits);
        const PaletteWriter writer(picture, palette_);
        for (int row = 0; row < h_.height; ++row) {
            progress_.report(row, h_.height);
            std::uint8_t* out = picture.row(pictureRow(row));
            if (h_.bitCount <= 8)
                decodeIndexedRow(bits + stride * std::uint64_t(row), out, writer);
            else
                decodeDirectRow(bits + stride * std::uint64_t(row), reinterpret_cast<Colour*>(out), alpha);
        }
        if (icon_)
            applyIconMask(picture, bitsAt_ + stride * std::uint64_t(h_.height));
        else if (alpha)
            makeOpaqueWhenNoAlpha(picture);
        progress_.report(1, 1);
        return picture;
    }

private:
    bool hasBitFields() const { return h_.compression == kBitFields || h_.compression == kAlphaBitFields; }
    std::uint64_t rowStride(int bitCount) const { return (std::uint64_t(h_.width) * std::uint64_t(bitCount) + 31) / 32 * 4; }
    int pictureRow(int fileRow) const { return h_.topDown ? fileRow : h_.height - 1 - fileRow; }

    void readPalette(std::size_t tableAt, std::optional<std::size_t> bitsAt)
    {
        const bool core = h_.headerSize == kCoreHeaderSize;
        const std::size_t entrySize = core ? 3 : 4;
        std::uint64_t count = 0;
        if (h_.bitCount <= 8) {
            const std::uint64_t full = 1u << h_.bitCount;
            count = (core || h_.colorsUsed == 0) ? full : std::min<std::uint64_t>(h_.colorsUsed, full);
            // A file whose colour table is shorter than declared says so by
            // where its pixel data starts.
            if (bitsAt && *bitsAt >= tableAt)
                count = std::min<std::uint64_t>(count, (*bitsAt - tableAt) / entrySize);
        } else if (!bitsAt) {
            count = h_.colorsUsed;  // present but unused: only skipped over
        }
        if (count > data_.size())
            fail(Failure::Truncated, "The bitmap colour table is truncated");
        const std::uint8_t* table = data_.at(tableAt, count * entrySize);
        if (h_.bitCount <= 8) {
            palette_.resize(count);
            for (std::size_t i = 0; i < count; ++i) {
                const std::uint8_t* e = table + i * entrySize;
                palette_[i] = Colour{e[0], e[1], e[2], 255};
            }
        }
        bitsAt_ = tableAt + count * entrySize;
    }

    void decodeIndexedRow(const std::uint8_t* src, std::uint8_t* out, const PaletteWriter& writer) const
    {
        const int perByte = 8 / h_.bitCount;
        const unsigned mask = (1u << h_.bitCount) - 1;
        for (int x = 0; x < h_.width; ++x) {
            const int shift = 8 - h_.bitCount * (x % perByte + 1);
            writer.put(out, x, (src[x / perByte] >> shift) & mask);
        }
    }

    void decodeDirectRow(const std::uint8_t* src, Colour* out, bool alpha) const
    {
        const int w = h_.width;
        if (h_.bitCount == 24) {
            for (int x = 0; x < w; ++x, src += 3)
                out[x] = Colour{src[0], src[1], src[2], 255};
            return;
        }
        const bool wide = h_.bitCount == 32;
        // Without bit fields the layout is fixed: 5-5-5 or 8-8-8, with the
        // fourth byte of a 32-bit pixel unused except in icons, where it is alpha.
        const std::array<std::uint32_t, 4> masks = hasBitFields()
            ? h_.masks
            : (wide ? std::array<std::uint32_t, 4>{0xFF0000, 0xFF00, 0xFF, icon_ ? 0xFF000000u : 0u}
                    : std::array<std::uint32_t, 4>{0x7C00, 0x3E0, 0x1F, 0});
        const Channel r(masks[0]), g(masks[1]), b(masks[2]), a(alpha ? masks[3] : 0);
        for (int x = 0; x < w; ++x) {
            std::uint32_t p;
            if (wide) {
                p = std::uint32_t(src[0]) | (std::uint32_t(src[1]) << 8) | (std::uint32_t(src[2]) << 16) |
                    (std::uint32_t(src[3]) << 24);
                src += 4;
            } else {
                p = std::uint32_t(src[0]) | (std::uint32_t(src[1]) << 8);
                src += 2;
            }
            out[x] = Colour{b.value(p), g.value(p), r.value(p), a.present() ? a.value(p) : std::uint8_t(255)};
        }
    }

    // Icons: where the 32-bit colour data carries alpha it wins; otherwise
    // each set bit of the AND mask makes its pixel transparent.
    void applyIconMask(Picture& picture, std::size_t maskAt) const
    {
        picture.hasAlpha = true;
        if (h_.bitCount == 32 && hasAnyAlpha(picture))
            return;
        if (h_.bitCount == 32)
            makeOpaque(picture);
        const std::uint64_t stride = rowStride(1);
        const std::uint8_t* mask =
            data_.at(maskAt, stride * std::uint64_t(h_.height - 1) + (std::uint64_t(h_.width) + 7) / 8);
        for (int row = 0; row < h_.height; ++row) {
            const std::uint8_t* bits = mask + stride * std::uint64_t(row);
            Colour* out = picture.bgraRow(pictureRow(row));
            for (int x = 0; x < h_.width; ++x)
                if (bits[x / 8] & (0x80 >> (x % 8)))
                    out[x] = Colour{0, 0, 0, 0};
        }
    }

    static bool hasAnyAlpha(const Picture& picture)
    {
        for (int y = 0; y < picture.height(); ++y) {
            const Colour* line = picture.bgraRow(y);
            for (int x = 0; x < picture.width(); ++x)
                if (line[x].a)
                    return true;
        }
        return false;
    }

    static void makeOpaque(Picture& picture)
    {
        for (int y = 0; y < picture.height(); ++y) {
            Colour* line = picture.bgraRow(y);
            for (int x = 0; x < picture.width(); ++x)
                line[x].a = 255;
        }
    }

    // Many writers declare an alpha mask and leave it zero everywhere; such a
    // picture is meant to be opaque, not invisible.
    static void makeOpaqueWhenNoAlpha(Picture& picture)
    {
        picture.hasAlpha = hasAnyAlpha(picture);
        if (!picture.hasAlpha)
            makeOpaque(picture);
    }

    Picture decodeRle()
    {
        std::size_t end = data_.size();
        if (h_.imageSize && h_.imageSize < end - bitsAt_)  // the constructor made sure bitsAt_ < end
            end = bitsAt_ + h_.imageSize;
        checkSize(h_.width, h_.height, 4, options_.limits);
        checkExpansion(std::uint64_t(h_.width) * std::uint64_t(h_.height), end - bitsAt_, kRlePixelsPerByte);
        Picture picture = Picture::allocate(h_.width, h_.height, paletteFormat(options_), options_.limits);
        const PaletteWriter writer(picture, palette_);
        // Pixels the stream skips over (delta codes, early line ends) stay
        // black, or index 0 in a picture that keeps its colour table.
        if (!picture.indexed())
            makeOpaque(picture);
        const bool four = h_.compression == kRle4;
        const std::int64_t w = h_.width, hgt = h_.height;
        std::int64_t x = 0, y = 0;
        std::size_t pos = bitsAt_;
        auto put = [&](unsigned index) {
            if (x < w && y < hgt)
                writer.put(picture.row(pictureRow(int(y))), int(x), index);
            ++x;
        };
        while (y < hgt) {
            progress_.report(y, hgt);
            if (end - pos < 2)
                fail(Failure::Truncated, "The compressed bitmap data is truncated");
            const unsigned count = data_.u8(pos), code = data_.u8(pos + 1);
            pos += 2;
            if (count > 0) {
                for (unsigned i = 0; i < count && x < w; ++i)
                    put(four ? (i % 2 ? code & 0xF : code >> 4) : code);
                continue;
            }
            if (code == 0) {
                x = 0;
                ++y;
            } else if (code == 1) {
                break;
            } else if (code == 2) {
                if (end - pos < 2)
                    fail(Failure::Truncated, "The compressed bitmap data is truncated");
                x += data_.u8(pos);
                y += data_.u8(pos + 1);
                pos += 2;
            } else {
                const std::size_t bytes = four ? (code + 1) / 2 : code;
                if (end - pos < bytes)
                    fail(Failure::Truncated, "The compressed bitmap data is truncated");
                const std::uint8_t* run = data_.at(pos, bytes);
                for (unsigned i = 0; i < code && x < w; ++i)
                    put(four ? (i % 2 ? run[i / 2] & 0xF : run[i / 2] >> 4) : run[i]);
                pos += (bytes + 1) & ~std::size_t(1);
                pos = std::min(pos, end);
            }
        }
        progress_.report(1, 1);
        return picture;
    }

    Bytes data_;
    bool icon_;
    const Options& options_;
    ProgressReporter progress_;
    DibHeader h_;
    std::size_t bitsAt_ = 0;
    std::vector<Colour> palette_;
};

bool isPackedHeaderSize(std::uint32_t size)
{
    return size == kCoreHeaderSize || size == kInfoHeaderSize || size == 108 || size == 124;
}

DibReader openBitmap(Bytes file, const Options& options)
{
    if (file.size() >= 2 && file.u8(0) == 'B' && file.u8(1) == 'M')
        return DibReader(file, kFileHeaderSize, file.u32(10), false, options);
    if (file.size() >= 4 && isPackedHeaderSize(file.u32(0)))
        return DibReader(file, 0, std::nullopt, false, options);
    fail(Failure::NotThisFormat, "Not a bitmap file");
}

const Options kInfoOnly{{1 << 20, INT64_MAX, INT64_MAX}, true, {}};

}  // namespace

bool looksLikeBitmap(Bytes file)
{
    return (file.size() >= 2 && file.u8(0) == 'B' && file.u8(1) == 'M') ||
           (file.size() >= 16 && isPackedHeaderSize(file.u32(0)));
}

Picture decodeBitmap(Bytes file, const Options& options)
{
    return openBitmap(file, options).decode();
}

PictureInfo bitmapInfo(Bytes file)
{
    const DibHeader h = openBitmap(file, kInfoOnly).header();
    return {h.width, h.height, h.bitCount};
}

Picture decodeIconBitmap(Bytes entry, const Options& options)
{
    return DibReader(entry, 0, std::nullopt, true, options).decode();
}

PictureInfo iconBitmapInfo(Bytes entry)
{
    const DibHeader h = readHeader(entry, true);
    return {h.width, h.height, h.bitCount};
}

}  // namespace imagedecode
