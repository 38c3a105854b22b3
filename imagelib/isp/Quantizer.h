#pragma once
// Colour reduction to a fixed table: black and white for 1 bit, the 16
// standard colours for 4 bits, a 6 × 6 × 6 colour cube with 40 greys for 8
// bits; optionally with Floyd-Steinberg error diffusion.
#include "imagelib/decode/Picture.h"
#include "imagelib/ilbitmap.h"

namespace isp {

// bits: 1, 4 or 8; the result has 2^bits colours.
IlBlock reduce(const imagedecode::Picture& source, int bits, bool dither);

}  // namespace isp
