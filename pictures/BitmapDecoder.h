#pragma once
// Reader for device-independent bitmaps: the .bmp/.dib file, the packed form
// without a file header, and the two-part (colour + AND mask) form icons hold.
#include "pictures/PictureBytes.h"

#include <QImage>

// A whole bitmap file: "BM" file header, then the packed bitmap. A file that
// starts with an info header instead (a packed bitmap saved as is) is read too.
QImage decodeBitmapFile(PictureBytes file);

// A packed bitmap as an icon stores it: the height field counts the colour
// rows and the 1-bit AND mask rows that follow them.
QImage decodeIconBitmap(PictureBytes entry);

// Width, height and bits per pixel an icon bitmap declares, for choosing the
// best icon entry without decoding it; fails when the header is unusable.
struct BitmapShape {
    int width = 0;
    int height = 0;
    int bitCount = 0;
};
BitmapShape iconBitmapShape(PictureBytes entry);
