// The C entries of libisp2000.so: scaling and colour reduction. Every entry
// reads the caller's block through the bitmap decoder (which checks it) and
// catches everything at the boundary.
#include "imagelib/isp2000.h"

#include "imagelib/block/Block.h"
#include "imagelib/isp/Quantizer.h"
#include "imagelib/isp/Resampler.h"

namespace {

template <typename F>
IlBlock guardedBlock(F&& body) noexcept
{
    try {
        return body();
    } catch (...) {
        return nullptr;
    }
}

}  // namespace

extern "C" {

IlBlock ScaleDib(IlBlock block, int width, int height)
{
    return guardedBlock([&]() -> IlBlock {
        if (!ilblock::blockBytes(block))
            return nullptr;
        return isp::scaleColour(ilblock::pictureOf(block, false), width, height);
    });
}

// mode: the caller's choice of grey method; there is one, area averaging.
IlBlock ScaleToGray(IlBlock block, int width, int height, int)
{
    return guardedBlock([&]() -> IlBlock {
        if (!ilblock::blockBytes(block))
            return nullptr;
        return isp::scaleGrey(ilblock::pictureOf(block, false), width, height);
    });
}

IlBlock ReduceDib(IlBlock block, int bitsPerPixel, int dither)
{
    return guardedBlock([&]() -> IlBlock {
        if (!ilblock::blockBytes(block) || (bitsPerPixel != 1 && bitsPerPixel != 4 && bitsPerPixel != 8))
            return nullptr;
        return isp::reduce(ilblock::pictureOf(block, false), bitsPerPixel, dither != 0);
    });
}

void isp_free_block(IlBlock block)
{
    ilblock::freeBlock(block);
}

}  // extern "C"
