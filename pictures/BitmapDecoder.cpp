#include "pictures/BitmapDecoder.h"

#include <algorithm>
#include <array>
#include <bit>
#include <optional>

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

// One colour channel of a 16- or 32-bit pixel, scaled to 8 bits.
class Channel {
public:
    Channel() = default;
    explicit Channel(std::uint32_t mask)
        : mask_(mask), shift_(mask ? std::countr_zero(mask) : 0), max_(mask ? std::uint64_t(mask >> shift_) : 0)
    {
    }
    bool present() const { return mask_ != 0; }
    std::uint32_t value(std::uint32_t pixel) const
    {
        if (!max_)
            return 0;
        return std::uint32_t((std::uint64_t((pixel & mask_) >> shift_) * 255 + max_ / 2) / max_);
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

// Reads the info header at the start of dib. For icons the height field holds
// twice the picture height (colour rows plus mask rows).
DibHeader readHeader(PictureBytes dib, bool icon)
{
    DibHeader h;
    h.headerSize = dib.u32(0);
    std::int64_t height = 0;
    if (h.headerSize == kCoreHeaderSize) {
        h.width = dib.u16(4);
        height = dib.u16(6);
        h.bitCount = dib.u16(10);
    } else if (h.headerSize >= 16 && h.headerSize <= 124) {
        // The OS/2 2.x header may be cut short after the bit count; what is
        // missing is zero.
        dib.at(0, h.headerSize);
        h.width = dib.i32(4);
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
            pictureFailure(QStringLiteral("OS/2 bitmap compression %1 is not supported").arg(h.compression));
        if (!os2 && h.headerSize >= 52) {
            h.masks = {dib.u32(40), dib.u32(44), dib.u32(48), field(52)};
            h.masksFromHeader = true;
        }
    } else {
        pictureFailure(QStringLiteral("Unknown bitmap header size %1").arg(h.headerSize));
    }
    if (height < 0) {
        if (icon)
            pictureFailure(QStringLiteral("An icon bitmap cannot be stored top-down"));
        h.topDown = true;
        height = -height;
    }
    if (icon)
        height /= 2;
    checkPictureSize(h.width, height);
    h.height = static_cast<int>(height);

    switch (h.bitCount) {
    case 1: case 4: case 8: case 16: case 24: case 32:
        break;
    default:
        pictureFailure(QStringLiteral("Unsupported bitmap depth %1").arg(h.bitCount));
    }
    switch (h.compression) {
    case kRgb:
        break;
    case kRle8:
    case kRle4:
        if (h.bitCount != (h.compression == kRle8 ? 8 : 4) || icon)
            pictureFailure(QStringLiteral("Run-length compression does not match the bitmap depth"));
        break;
    case kBitFields:
    case kAlphaBitFields:
        if (h.bitCount != 16 && h.bitCount != 32)
            pictureFailure(QStringLiteral("Bit fields need 16 or 32 bits per pixel"));
        break;
    default:
        pictureFailure(QStringLiteral("Unsupported bitmap compression %1").arg(h.compression));
    }
    return h;
}

class DibReader {
public:
    DibReader(PictureBytes data, std::size_t headerAt, std::optional<std::size_t> bitsAt, bool icon)
        : data_(data), icon_(icon)
    {
        const PictureBytes dib = data.from(headerAt);
        h_ = readHeader(dib, icon);
        std::size_t tableAt = headerAt + h_.headerSize;
        if ((h_.compression == kBitFields || h_.compression == kAlphaBitFields) && !h_.masksFromHeader) {
            const int count = h_.compression == kAlphaBitFields ? 4 : 3;
            for (int i = 0; i < count; ++i)
                h_.masks[i] = data.u32(tableAt + 4 * i);
            tableAt += 4 * count;
        }
        readPalette(tableAt, bitsAt);
        if (bitsAt)
            bitsAt_ = *bitsAt;
        if (bitsAt_ >= data.size())
            pictureFailure(QStringLiteral("The bitmap has no pixel data"));
    }

    QImage decode()
    {
        if (h_.compression == kRle8 || h_.compression == kRle4)
            return decodeRle();
        const bool alpha = icon_ || (hasBitFields() && Channel(h_.masks[3]).present());
        QImage image = allocatePicture(QSize(h_.width, h_.height), alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
        const std::uint64_t stride = rowStride(h_.bitCount);
        const std::uint64_t lastRow = (std::uint64_t(h_.width) * h_.bitCount + 7) / 8;
        const std::uint8_t* bits = data_.at(bitsAt_, stride * (h_.height - 1) + lastRow);
        for (int row = 0; row < h_.height; ++row)
            decodeRow(bits + stride * row, reinterpret_cast<QRgb*>(image.scanLine(imageRow(row))), alpha);
        if (icon_)
            applyIconMask(image, bitsAt_ + stride * h_.height);
        else if (alpha)
            makeOpaqueWhenNoAlpha(image);
        return image;
    }

private:
    bool hasBitFields() const { return h_.compression == kBitFields || h_.compression == kAlphaBitFields; }
    std::uint64_t rowStride(int bitCount) const { return (std::uint64_t(h_.width) * bitCount + 31) / 32 * 4; }
    int imageRow(int fileRow) const { return h_.topDown ? fileRow : h_.height - 1 - fileRow; }

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
            pictureFailure(QStringLiteral("The bitmap colour table is truncated"));
        const std::uint8_t* table = data_.at(tableAt, count * entrySize);
        palette_.fill(qRgb(0, 0, 0));
        if (h_.bitCount <= 8) {
            for (std::size_t i = 0; i < count; ++i) {
                const std::uint8_t* e = table + i * entrySize;
                palette_[i] = qRgb(e[2], e[1], e[0]);
            }
        }
        bitsAt_ = tableAt + count * entrySize;
    }

    void decodeRow(const std::uint8_t* src, QRgb* out, bool alpha) const
    {
        const int w = h_.width;
        switch (h_.bitCount) {
        case 1:
        case 4:
        case 8: {
            const int perByte = 8 / h_.bitCount;
            const unsigned mask = (1u << h_.bitCount) - 1;
            for (int x = 0; x < w; ++x) {
                const int shift = 8 - h_.bitCount * (x % perByte + 1);
                out[x] = palette_[(src[x / perByte] >> shift) & mask];
            }
            break;
        }
        case 24:
            for (int x = 0; x < w; ++x, src += 3)
                out[x] = qRgb(src[2], src[1], src[0]);
            break;
        default:
            decodeMaskedRow(src, out, alpha);
        }
    }

    void decodeMaskedRow(const std::uint8_t* src, QRgb* out, bool alpha) const
    {
        const bool wide = h_.bitCount == 32;
        // Without bit fields the layout is fixed: 5-5-5 or 8-8-8, with the
        // fourth byte of a 32-bit pixel unused except in icons, where it is alpha.
        const std::array<std::uint32_t, 4> masks = hasBitFields()
            ? h_.masks
            : (wide ? std::array<std::uint32_t, 4>{0xFF0000, 0xFF00, 0xFF, icon_ ? 0xFF000000u : 0u}
                    : std::array<std::uint32_t, 4>{0x7C00, 0x3E0, 0x1F, 0});
        const Channel r(masks[0]), g(masks[1]), b(masks[2]), a(alpha ? masks[3] : 0);
        for (int x = 0; x < h_.width; ++x) {
            std::uint32_t p;
            if (wide) {
                p = std::uint32_t(src[0]) | (std::uint32_t(src[1]) << 8) | (std::uint32_t(src[2]) << 16) |
                    (std::uint32_t(src[3]) << 24);
                src += 4;
            } else {
                p = std::uint32_t(src[0]) | (std::uint32_t(src[1]) << 8);
                src += 2;
            }
            out[x] = qRgba(r.value(p), g.value(p), b.value(p), a.present() ? a.value(p) : 255);
        }
    }

    // Icons: where the 32-bit colour data carries alpha it wins; otherwise
    // each set bit of the AND mask makes its pixel transparent.
    void applyIconMask(QImage& image, std::size_t maskAt) const
    {
        const bool ownAlpha = h_.bitCount == 32 && hasAnyAlpha(image);
        if (ownAlpha)
            return;
        if (h_.bitCount == 32)
            makeOpaque(image);
        const std::uint64_t stride = rowStride(1);
        const std::uint8_t* mask = data_.at(maskAt, stride * (h_.height - 1) + (h_.width + 7) / 8);
        for (int row = 0; row < h_.height; ++row) {
            const std::uint8_t* bits = mask + stride * row;
            auto* out = reinterpret_cast<QRgb*>(image.scanLine(imageRow(row)));
            for (int x = 0; x < h_.width; ++x)
                if (bits[x / 8] & (0x80 >> (x % 8)))
                    out[x] = 0;
        }
    }

    static bool hasAnyAlpha(const QImage& image)
    {
        for (int y = 0; y < image.height(); ++y) {
            const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
            for (int x = 0; x < image.width(); ++x)
                if (qAlpha(line[x]))
                    return true;
        }
        return false;
    }

    static void makeOpaque(QImage& image)
    {
        for (int y = 0; y < image.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x)
                line[x] |= 0xFF000000u;
        }
    }

    // Many writers declare an alpha mask and leave it zero everywhere; such a
    // picture is meant to be opaque, not invisible.
    static void makeOpaqueWhenNoAlpha(QImage& image)
    {
        if (!hasAnyAlpha(image)) {
            makeOpaque(image);
            image.reinterpretAsFormat(QImage::Format_RGB32);
        }
    }

    QImage decodeRle()
    {
        QImage image = allocatePicture(QSize(h_.width, h_.height), QImage::Format_RGB32);
        // Pixels the stream skips over (delta codes, early line ends) stay black.
        image.fill(qRgb(0, 0, 0));
        std::size_t end = data_.size();
        if (h_.imageSize && h_.imageSize < end - bitsAt_)  // the constructor made sure bitsAt_ < end
            end = bitsAt_ + h_.imageSize;
        const bool four = h_.compression == kRle4;
        const std::int64_t w = h_.width, hgt = h_.height;
        std::int64_t x = 0, y = 0;
        std::size_t pos = bitsAt_;
        auto put = [&](unsigned index) {
            if (x < w && y < hgt)
                reinterpret_cast<QRgb*>(image.scanLine(imageRow(int(y))))[x] = palette_[index];
            ++x;
        };
        while (y < hgt) {
            if (end - pos < 2)
                pictureFailure(QStringLiteral("The compressed bitmap data is truncated"));
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
                    pictureFailure(QStringLiteral("The compressed bitmap data is truncated"));
                x += data_.u8(pos);
                y += data_.u8(pos + 1);
                pos += 2;
            } else {
                const std::size_t bytes = four ? (code + 1) / 2 : code;
                if (end - pos < bytes)
                    pictureFailure(QStringLiteral("The compressed bitmap data is truncated"));
                const std::uint8_t* run = data_.at(pos, bytes);
                for (unsigned i = 0; i < code && x < w; ++i)
                    put(four ? (i % 2 ? run[i / 2] & 0xF : run[i / 2] >> 4) : run[i]);
                pos += (bytes + 1) & ~std::size_t(1);
                pos = std::min(pos, end);
            }
        }
        return image;
    }

    PictureBytes data_;
    bool icon_;
    DibHeader h_;
    std::size_t bitsAt_ = 0;
    std::array<QRgb, 256> palette_{};
};

constexpr std::size_t kFileHeaderSize = 14;

}  // namespace

QImage decodeBitmapFile(PictureBytes file)
{
    if (file.size() >= 2 && file.u8(0) == 'B' && file.u8(1) == 'M')
        return DibReader(file, kFileHeaderSize, file.u32(10), false).decode();
    if (file.size() >= 4) {
        const std::uint32_t headerSize = file.u32(0);
        if (headerSize == kCoreHeaderSize || headerSize == kInfoHeaderSize || headerSize == 108 || headerSize == 124)
            return DibReader(file, 0, std::nullopt, false).decode();
    }
    pictureFailure(QStringLiteral("Not a bitmap file"));
}

QImage decodeIconBitmap(PictureBytes entry)
{
    return DibReader(entry, 0, std::nullopt, true).decode();
}

BitmapShape iconBitmapShape(PictureBytes entry)
{
    const DibHeader h = readHeader(entry, true);
    return {h.width, h.height, h.bitCount};
}
