#pragma once
// A bitmap block as the picture libraries hand it out: one allocation holding
// the 40-byte header, the bit-field masks or colour table, and the pixel rows
// (bottom-up, each padded to 4 bytes). DibBlock owns one and frees it with
// the function of the library that made it; while a block lives, that
// library stays loaded.
#include "imagelib/crde2001.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

// Frees a block with its library's function, keeping that library loaded until then.
struct DibBlockFree {
    void (*free)(void*) = nullptr;
    std::shared_ptr<void> keepLoaded;
    void operator()(void* p) const
    {
        if (p && free)
            free(p);
    }
};

class DibBlock {
public:
    using FreeFunction = void (*)(void*);

    DibBlock() = default;
    // keepLoaded: whatever keeps the freeing library in memory.
    DibBlock(void* block, FreeFunction free, std::shared_ptr<void> keepLoaded = {});

    // A block allocated with malloc (made by this program or by a test).
    static DibBlock fromMalloc(void* block) { return DibBlock(block, &std::free); }
    // A zero-filled block of a plain layout, colour table included.
    static DibBlock allocate(int width, int height, int bitCount, int colours = -1);

    explicit operator bool() const { return data_ != nullptr; }
    void* data() const { return data_.get(); }

private:
    std::unique_ptr<void, DibBlockFree> data_;
};

// The parts of a block, checked: a layout this program cannot read safely
// yields an invalid view.
class DibView {
public:
    explicit DibView(const DibBlock& block) : DibView(block.data()) {}
    explicit DibView(const void* block);

    bool valid() const { return valid_; }
    const IlBitmapHeader& header() const { return *header_; }
    int width() const { return header_->width; }
    int height() const { return header_->height; }
    int bitCount() const { return header_->bitCount; }
    bool runLength() const { return header_->compression == 1 || header_->compression == 2; }
    int colourCount() const { return colours_; }
    const IlRgbQuad* colours() const { return colourTable_; }
    // Bit-field masks (red, green, blue) for 16 and 32 bits.
    uint32_t redMask() const { return masks_[0]; }
    uint32_t greenMask() const { return masks_[1]; }
    uint32_t blueMask() const { return masks_[2]; }
    int64_t stride() const { return stride_; }
    const uint8_t* pixels() const { return pixels_; }
    // Row y counted from the top of the picture.
    const uint8_t* row(int y) const { return pixels_ + (int64_t(height()) - 1 - y) * stride_; }

    // Row length in bytes of a plain block, 64-bit.
    static int64_t rowBytes(int width, int bitCount) { return ((int64_t(width) * bitCount + 31) / 32) * 4; }
    static constexpr int kMaxSide = 32767;
    static constexpr int64_t kMaxBytes = int64_t(1) << 30;

private:
    const IlBitmapHeader* header_ = nullptr;
    bool valid_ = false;
    int colours_ = 0;
    const IlRgbQuad* colourTable_ = nullptr;
    uint32_t masks_[3] = {0, 0, 0};
    int64_t stride_ = 0;
    const uint8_t* pixels_ = nullptr;
};
