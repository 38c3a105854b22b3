#pragma once
// PNG pictures through libpng, always as 32-bit pixels.
#include "imagelib/decode/BitmapDecoder.h"
#include "imagelib/decode/Bytes.h"
#include "imagelib/decode/Picture.h"

namespace imagedecode {

bool looksLikePng(Bytes data);
// Size and depth (bits per pixel as stored) from the header, without decoding.
PictureInfo pngInfo(Bytes data);
Picture decodePng(Bytes data, const Options& options);

}  // namespace imagedecode
