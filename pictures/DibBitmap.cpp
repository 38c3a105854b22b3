#include "DibBitmap.h"

#include "pictures/ImageLibrary.h"

#include <QGuiApplication>
#include <QScreen>

#include <bit>
#include <cstring>

int displayColorClass(int displayDepth)
{
    if (displayDepth <= 4)
        return 4;
    return displayDepth < 16 ? 8 : 24;
}

int displayColorClass()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return displayColorClass(screen ? screen->depth() : 24);
}

namespace {
// A colour table with every possible index; an index beyond the block's own
// table takes its first entry.
QList<QRgb> colourTable(const DibView& view)
{
    const int size = 1 << std::min(view.bitCount(), 8);
    QList<QRgb> table(size, qRgb(0, 0, 0));
    for (int i = 0; i < size; ++i) {
        const IlRgbQuad& q = view.colours()[i < view.colourCount() ? i : 0];
        table[i] = view.colourCount() ? qRgb(q.red, q.green, q.blue) : qRgb(i, i, i);
    }
    return table;
}

// One colour channel out of a bit-field pixel, widened to 8 bits.
struct Channel {
    uint32_t mask;
    int shift;
    uint32_t max;
    explicit Channel(uint32_t m) : mask(m), shift(m ? std::countr_zero(m) : 0), max(m ? (m >> shift) : 0) {}
    int operator()(uint32_t pixel) const { return max ? int(((pixel & mask) >> shift) * 255 / max) : 0; }
};

QImage bitFieldImage(const DibView& view)
{
    QImage image(view.width(), view.height(), QImage::Format_RGB32);
    if (image.isNull())
        return image;
    const Channel r(view.redMask()), g(view.greenMask()), b(view.blueMask());
    const int bytes = view.bitCount() / 8;
    for (int y = 0; y < view.height(); ++y) {
        const uint8_t* src = view.row(y);
        auto* dst = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < view.width(); ++x) {
            uint32_t pixel = 0;
            std::memcpy(&pixel, src + int64_t(x) * bytes, size_t(bytes));
            dst[x] = qRgb(r(pixel), g(pixel), b(pixel));
        }
    }
    return image;
}
}  // namespace

DibBitmap plainBlockToBitmap(const DibBlock& block)
{
    const DibView view(block);
    if (!view.valid() || view.runLength())
        return {};
    const int w = view.width(), h = view.height();
    DibBitmap bitmap;
    bitmap.bitsPerPixel = view.bitCount();
    switch (view.bitCount()) {
    case 1: {
        QImage image(w, h, QImage::Format_Mono);
        if (image.isNull())
            return {};
        image.setColorTable(colourTable(view));
        const size_t rowBytes = size_t((w + 7) / 8);
        for (int y = 0; y < h; ++y)
            std::memcpy(image.scanLine(y), view.row(y), rowBytes);
        bitmap.image = image;
        break;
    }
    case 4:
    case 8: {
        QImage image(w, h, QImage::Format_Indexed8);
        if (image.isNull())
            return {};
        image.setColorTable(colourTable(view));
        for (int y = 0; y < h; ++y) {
            const uint8_t* src = view.row(y);
            uint8_t* dst = image.scanLine(y);
            if (view.bitCount() == 8)
                std::memcpy(dst, src, size_t(w));
            else
                for (int x = 0; x < w; ++x)
                    dst[x] = (x & 1) ? (src[x / 2] & 0x0F) : (src[x / 2] >> 4);
        }
        bitmap.image = image;
        break;
    }
    case 24: {
        QImage image(w, h, QImage::Format_RGB32);
        if (image.isNull())
            return {};
        for (int y = 0; y < h; ++y) {
            const uint8_t* src = view.row(y);
            auto* dst = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < w; ++x, src += 3)
                dst[x] = qRgb(src[2], src[1], src[0]);
        }
        bitmap.image = image;
        break;
    }
    default:
        bitmap.image = bitFieldImage(view);
        break;
    }
    if (bitmap.image.isNull())
        return {};
    return bitmap;
}

DibBitmap blockToBitmap(ImageLibrary& library, const DibBlock& block, int wantedBits)
{
    const DibView view(block);
    if (!view.valid())
        return {};
    if (view.runLength()) {
        const DibBlock plain = library.expandRunLength(block);
        return plainBlockToBitmap(plain);
    }
    const int own = view.bitCount();
    const int d = wantedBits > 0 ? wantedBits : own;
    if (d == own || own == 24)
        return plainBlockToBitmap(block);
    if (d < own) {
        const DibBlock reduced = own == 32 ? library.raiseDepth(block, 24) : library.reduce(block, d, false);
        return reduced ? plainBlockToBitmap(reduced) : DibBitmap{};
    }
    if (own == 8) {
        // 8 to 24 bits: each pixel becomes its colour-table entry.
        DibBitmap bitmap = plainBlockToBitmap(block);
        if (bitmap.isNull())
            return {};
        return {bitmap.image.convertToFormat(QImage::Format_RGB32), 24};
    }
    const DibBlock raised = library.raiseDepth(block, d);
    return raised ? plainBlockToBitmap(raised) : DibBitmap{};
}

DibBlock bitmapToBlock(const QImage& source, int bitsPerPixel)
{
    if (source.isNull())
        return {};
    const int w = source.width(), h = source.height();
    const QImage image = source.convertToFormat(bitsPerPixel == 8 && source.format() == QImage::Format_Indexed8
                                                    ? QImage::Format_Indexed8
                                                    : QImage::Format_RGB32);
    DibBlock block = DibBlock::allocate(w, h, bitsPerPixel);
    if (!block)
        return {};
    auto* header = static_cast<IlBitmapHeader*>(block.data());
    auto* table = reinterpret_cast<IlRgbQuad*>(header + 1);
    const int colours = bitsPerPixel <= 8 ? (1 << bitsPerPixel) : 0;
    uint8_t* pixels = reinterpret_cast<uint8_t*>(table + colours);
    const int64_t stride = DibView::rowBytes(w, bitsPerPixel);
    const bool indexed = image.format() == QImage::Format_Indexed8;
    for (int i = 0; i < colours; ++i) {
        const QRgb c = indexed && i < image.colorCount() ? image.color(i)
                                                         : (bitsPerPixel == 1 ? (i ? qRgb(255, 255, 255) : 0) : qRgb(i, i, i));
        table[i] = {uint8_t(qBlue(c)), uint8_t(qGreen(c)), uint8_t(qRed(c)), 0};
    }
    for (int y = 0; y < h; ++y) {
        uint8_t* dst = pixels + int64_t(h - 1 - y) * stride;
        if (indexed) {
            std::memcpy(dst, image.constScanLine(y), size_t(w));
            continue;
        }
        const auto* src = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < w; ++x) {
            const QRgb c = src[x];
            if (bitsPerPixel == 24) {
                dst[3 * x] = uint8_t(qBlue(c));
                dst[3 * x + 1] = uint8_t(qGreen(c));
                dst[3 * x + 2] = uint8_t(qRed(c));
            } else if (bitsPerPixel == 8) {
                dst[x] = uint8_t(qGray(c));
            } else if (qGray(c) >= 128) {
                dst[x / 8] |= uint8_t(0x80 >> (x % 8));
            }
        }
    }
    return block;
}
