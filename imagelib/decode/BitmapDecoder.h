#pragma once
// Device-independent bitmaps: the .bmp/.dib file, the packed form without a
// file header, and the two-part (colour + AND mask) form icons hold.
#include "imagelib/decode/Bytes.h"
#include "imagelib/decode/Picture.h"

namespace imagedecode {

struct PictureInfo {
    int width = 0;
    int height = 0;
    int bitCount = 0;
};

bool looksLikeBitmap(Bytes file);

// A whole bitmap file: "BM" file header, then the packed bitmap. A file that
// starts with an info header instead (a packed bitmap saved as is) is read too.
Picture decodeBitmap(Bytes file, const Options& options);
PictureInfo bitmapInfo(Bytes file);

// A packed bitmap as an icon stores it: the height field counts the colour
// rows and the 1-bit AND mask rows that follow them. Always 32-bit with alpha.
Picture decodeIconBitmap(Bytes entry, const Options& options);
// Size and depth an icon bitmap declares, without decoding it.
PictureInfo iconBitmapInfo(Bytes entry);

}  // namespace imagedecode
