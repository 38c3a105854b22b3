#pragma once
// Bitmap blocks as the two libraries hand them across their C interface:
// checking a caller's block, reading it through the decoding layer (a block
// is a packed device-independent bitmap) and making new blocks.
#include "imagelib/decode/Bytes.h"
#include "imagelib/decode/Picture.h"
#include "imagelib/ilbitmap.h"

#include <cstddef>
#include <cstdint>
#include <optional>

namespace ilblock {

// What the libraries accept and produce: a side of at most 32767 pixels and a
// block or decoded picture of at most 1 GiB.
inline constexpr int kMaxSide = 32767;
inline constexpr std::int64_t kMaxBytes = std::int64_t(1) << 30;
inline constexpr imagedecode::Limits kLimits{kMaxSide, INT64_MAX, kMaxBytes};

// The bytes of a caller's block, after checking its header, its sizes (in 64
// bits) and that they lie inside its malloc'd allocation; nothing when any
// check fails.
std::optional<imagedecode::Bytes> blockBytes(IlBlock block);
// The block decoded; fails (DecodeError) for a block blockBytes refuses.
imagedecode::Picture pictureOf(IlBlock block, bool keepIndexed);

struct NewBlock {
    IlBlock block = nullptr;
    IlBitmapHeader* header = nullptr;
    IlRgbQuad* table = nullptr;
    std::uint8_t* bits = nullptr;
    std::size_t stride = 0;
    // Rows are stored bottom-up; y counts from the top.
    std::uint8_t* row(int y) const { return bits + stride * std::size_t(header->height - 1 - y); }
};
// A zero-filled block with room for colours table entries; fails (DecodeError)
// beyond the limits or without memory. The caller owns block.
NewBlock allocateBlock(int width, int height, int bitCount, int colours);

// A new block holding the picture: an indexed picture at bitCount bits (0: the
// depth of its table; never below it), a 32-bit one as 24 bits, laid over
// white where it is transparent.
IlBlock blockFromPicture(const imagedecode::Picture& picture, int bitCount = 0);

void freeBlock(IlBlock block);

}  // namespace ilblock
