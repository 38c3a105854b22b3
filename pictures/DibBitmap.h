#pragma once
// Turning bitmap blocks into displayable bitmaps and back; shared by the image
// viewer and the thumbnail grid.
#include "pictures/DibBlock.h"

#include <QImage>

class ImageLibrary;

// A displayable bitmap and the depth it was made at (1, 4, 8, 16, 24 or 32;
// 4-bit pictures are held with one byte per pixel).
struct DibBitmap {
    QImage image;
    int bitsPerPixel = 0;
    bool isNull() const { return image.isNull(); }
    bool monochrome() const { return bitsPerPixel == 1; }
};

// The depth pictures are read at when the caller asks for the display's own:
// 4 for at most 4 bits per pixel, 8 below 16, else 24.
int displayColorClass();
int displayColorClass(int displayDepth);

// The block at depth wantedBits (0: its own depth). A run-length block is
// expanded at its own depth by the library; a deeper block is reduced (a
// 32-bit one made 24-bit), a shallower one raised; 24-bit blocks stay as they
// are. A null bitmap when the block is empty or unusable or a depth change
// fails. EImageLibUnavailable from the scaling library passes through.
DibBitmap blockToBitmap(ImageLibrary& library, const DibBlock& block, int wantedBits = 0);

// The pixels of a plain block as a bitmap at the block's own depth, without
// any library; null for run-length or unusable blocks.
DibBitmap plainBlockToBitmap(const DibBlock& block);

// A bitmap as a new 1-, 8- or 24-bit block (1 bit: black and white by
// brightness; 8 bits: the image's colour table or grey).
DibBlock bitmapToBlock(const QImage& image, int bitsPerPixel);
