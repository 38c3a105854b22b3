#include "DibBlock.h"

#include <cstdlib>
#include <cstring>
#include <new>

DibBlock::DibBlock(void* block, FreeFunction free, std::shared_ptr<void> keepLoaded)
    : data_(block, DibBlockFree{free, std::move(keepLoaded)})
{
}

DibBlock DibBlock::allocate(int width, int height, int bitCount, int colours)
{
    if (width < 1 || height < 1 || width > DibView::kMaxSide || height > DibView::kMaxSide)
        return {};
    if (colours < 0)
        colours = bitCount <= 8 ? (1 << bitCount) : 0;
    const int64_t pixelBytes = DibView::rowBytes(width, bitCount) * height;
    const int64_t total = int64_t(sizeof(IlBitmapHeader)) + int64_t(colours) * 4 + pixelBytes;
    if (pixelBytes > DibView::kMaxBytes)
        return {};
    void* memory = std::calloc(1, size_t(total));
    if (!memory)
        throw std::bad_alloc();
    auto* header = static_cast<IlBitmapHeader*>(memory);
    header->size = sizeof(IlBitmapHeader);
    header->width = width;
    header->height = height;
    header->planes = 1;
    header->bitCount = uint16_t(bitCount);
    header->sizeImage = uint32_t(pixelBytes);
    header->clrUsed = uint32_t(colours);
    return fromMalloc(memory);
}

DibView::DibView(const void* block)
{
    if (!block)
        return;
    header_ = static_cast<const IlBitmapHeader*>(block);
    const IlBitmapHeader& h = *header_;
    if (h.size != sizeof(IlBitmapHeader) || h.width < 1 || h.height < 1 || h.width > kMaxSide || h.height > kMaxSide)
        return;
    switch (h.bitCount) {
    case 1: case 4: case 8: case 16: case 24: case 32: break;
    default: return;
    }
    if (h.compression > 3 || (h.compression == 1 && h.bitCount != 8) || (h.compression == 2 && h.bitCount != 4) ||
        (h.compression == 3 && h.bitCount != 16 && h.bitCount != 32))
        return;
    const auto* after = reinterpret_cast<const uint8_t*>(block) + sizeof(IlBitmapHeader);
    if (h.compression == 3) {
        std::memcpy(masks_, after, sizeof masks_);
        after += sizeof masks_;
    } else if (h.bitCount == 16) {
        masks_[0] = 0x7C00, masks_[1] = 0x03E0, masks_[2] = 0x001F;
    } else if (h.bitCount == 32) {
        masks_[0] = 0xFF0000, masks_[1] = 0x00FF00, masks_[2] = 0x0000FF;
    }
    if (h.bitCount <= 8) {
        const uint32_t full = 1u << h.bitCount;
        if (h.clrUsed > full)
            return;
        colours_ = int(h.clrUsed ? h.clrUsed : full);
    } else {
        // Higher depths may carry an optional table the pixels do not use.
        if (h.clrUsed > 256)
            return;
        colours_ = int(h.clrUsed);
    }
    colourTable_ = reinterpret_cast<const IlRgbQuad*>(after);
    pixels_ = after + int64_t(colours_) * 4;
    stride_ = rowBytes(h.width, h.bitCount);
    const int64_t plain = stride_ * h.height;
    if (plain > kMaxBytes || (runLength() && (h.sizeImage == 0 || h.sizeImage > kMaxBytes)))
        return;
    valid_ = true;
}
