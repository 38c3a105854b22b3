#pragma once
// PNG pictures through libpng: 32-bit pixels, or colour-table pictures (and
// black-and-white ones) with their table when the options keep tables.
#include "imagelib/decode/BitmapDecoder.h"
#include "imagelib/decode/Bytes.h"
#include "imagelib/decode/Picture.h"

namespace imagedecode {

bool looksLikePng(Bytes data);
// Size and depth (bits per pixel as stored) from the header, without decoding.
PictureInfo pngInfo(Bytes data);
Picture decodePng(Bytes data, const Options& options);

}  // namespace imagedecode
