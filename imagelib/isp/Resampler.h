#pragma once
// Scaling by area averaging: each target pixel is the mean of the source area
// it covers, weighted by how much of each source pixel lies inside it. Smooth
// when reducing, blocky (never blurred beyond a pixel) when enlarging.
#include "imagelib/decode/Picture.h"
#include "imagelib/ilbitmap.h"

namespace isp {

// A 24-bit block of width × height; fails (DecodeError) for sizes out of range.
IlBlock scaleColour(const imagedecode::Picture& source, int width, int height);
// An 8-bit block with a 256-entry grey table.
IlBlock scaleGrey(const imagedecode::Picture& source, int width, int height);

}  // namespace isp
