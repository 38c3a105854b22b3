#pragma once
// PC Paintbrush pictures: 1 bit (1 or 4 planes), 2, 4 and 8 bits with a
// colour table, and 24 bits in three planes; run-length coded or plain.
#include "imagelib/decode/BitmapDecoder.h"
#include "imagelib/decode/Bytes.h"
#include "imagelib/decode/Picture.h"

namespace imagedecode {

bool looksLikePcx(Bytes data);
PictureInfo pcxInfo(Bytes data);
Picture decodePcx(Bytes data, const Options& options);

}  // namespace imagedecode
