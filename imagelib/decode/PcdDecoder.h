#pragma once
// Photo CD image pacs: one of the three base resolutions (base/16 192 × 128,
// base/4 384 × 256, base 768 × 512), stored as luma and half-resolution
// chroma, turned upright as the file says.
#include "imagelib/decode/BitmapDecoder.h"
#include "imagelib/decode/Bytes.h"
#include "imagelib/decode/Picture.h"

namespace imagedecode {

enum class PcdResolution { Base16 = 0, Base4 = 1, Base = 2 };

bool looksLikePcd(Bytes data);
// The size of the base resolution, upright.
PictureInfo pcdInfo(Bytes data);
Picture decodePcd(Bytes data, PcdResolution resolution, const Options& options);

}  // namespace imagedecode
