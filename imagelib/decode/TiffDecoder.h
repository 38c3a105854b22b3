#pragma once
// TIFF pictures through libtiff, read from memory, any page: 32-bit pixels,
// or bilevel pages as a two-colour table when the options keep tables.
#include "imagelib/decode/BitmapDecoder.h"
#include "imagelib/decode/Bytes.h"
#include "imagelib/decode/Picture.h"

namespace imagedecode {

// The pages a file may show: the thumbnail grid makes one thumbnail of each,
// and no real document comes near this. Later pages do not exist.
inline constexpr int kMostTiffPages = 1000;

bool looksLikeTiff(Bytes data);
// The number of pages (image directories, at most kMostTiffPages); fails for
// a broken file.
int tiffPageCount(Bytes data);
// page counts from 0; a page the file does not have fails with NoSuchPage.
PictureInfo tiffInfo(Bytes data, int page);
Picture decodeTiff(Bytes data, int page, const Options& options);

}  // namespace imagedecode
