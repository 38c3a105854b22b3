// The depth raisers and the run-length expander of libcrde2001.so. Each reads
// the caller's block through the bitmap decoder, which checks it, and makes a
// new block; the caller's block is never changed or freed.
#include "imagelib/crde2001.h"

#include "imagelib/block/Block.h"

namespace {

const IlBitmapHeader* checkedHeader(IlBlock block)
{
    return ilblock::blockBytes(block) ? static_cast<const IlBitmapHeader*>(block) : nullptr;
}

// from: the depth the block must have; to: 4, 8 or 24.
IlBlock raise(IlBlock block, int from, int to) noexcept
{
    try {
        const IlBitmapHeader* h = checkedHeader(block);
        if (!h || h->bitCount != from || h->compression == 1 || h->compression == 2)
            return nullptr;
        if (to == 24)
            return ilblock::blockFromPicture(ilblock::pictureOf(block, false));
        return ilblock::blockFromPicture(ilblock::pictureOf(block, true), to);
    } catch (...) {
        return nullptr;
    }
}

}  // namespace

extern "C" {

IlBlock DIB1to4(IlBlock block)
{
    return raise(block, 1, 4);
}

IlBlock DIB1To8(IlBlock block)
{
    return raise(block, 1, 8);
}

IlBlock DIB1To24(IlBlock block)
{
    return raise(block, 1, 24);
}

IlBlock DIB4To8(IlBlock block)
{
    return raise(block, 4, 8);
}

IlBlock DIB4To24(IlBlock block)
{
    return raise(block, 4, 24);
}

IlBlock DIB16To24(IlBlock block)
{
    return raise(block, 16, 24);
}

IlBlock DIB32To24(IlBlock block)
{
    return raise(block, 32, 24);
}

IlBlock DibtoDdb(IlBlock rleBlock)
{
    try {
        const IlBitmapHeader* h = checkedHeader(rleBlock);
        if (!h || (h->compression != 1 && h->compression != 2))
            return nullptr;
        return ilblock::blockFromPicture(ilblock::pictureOf(rleBlock, true), h->bitCount);
    } catch (...) {
        return nullptr;
    }
}

}  // extern "C"
