#pragma once
// GIF pictures through giflib: the first frame, on its logical screen as far
// as the frame's data can paint it.
#include "imagelib/decode/BitmapDecoder.h"
#include "imagelib/decode/Bytes.h"
#include "imagelib/decode/Picture.h"

namespace imagedecode {

bool looksLikeGif(Bytes data);
// The size of the picture decodeGif makes and the depth of the colour table
// the first frame is painted with (1 to 8 bits).
PictureInfo gifInfo(Bytes data);
// The uncovered screen is transparent in a 32-bit picture and the background
// colour in one that keeps its colour table.
Picture decodeGif(Bytes data, const Options& options);

}  // namespace imagedecode
