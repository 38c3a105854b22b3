#pragma once
// Truevision targa pictures: colour-mapped, true-colour and grey, plain or
// run-length coded, 8/15/16/24/32 bits per pixel.
#include "imagelib/decode/BitmapDecoder.h"
#include "imagelib/decode/Bytes.h"
#include "imagelib/decode/Picture.h"

namespace imagedecode {

// TGA has no signature: a header whose every field makes sense.
bool looksLikeTga(Bytes data);
PictureInfo tgaInfo(Bytes data);
Picture decodeTga(Bytes data, const Options& options);

}  // namespace imagedecode
