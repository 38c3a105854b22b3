#pragma once
// The reading library's formats: recognising a file by its content, reading
// its size and depth, and decoding it through the one decoder of its format.
#include "imagelib/decode/BitmapDecoder.h"
#include "imagelib/decode/Bytes.h"
#include "imagelib/decode/Picture.h"

#include <optional>

namespace crde {

enum class Format { Bmp, Jpeg, Png, Gif, Pcx, Tga, Tiff, Pcd };

// The name fileinfo reports: "BMP", "JPEG", "PNG", "GIF", "PCX", "TGA", "TIFF", "PCD".
const char* formatName(Format format);

bool looksLike(Format format, imagedecode::Bytes bytes);

// The format the bytes are in, by their signature. TGA has none: with
// guessTga, a header whose fields all make sense is taken for one.
std::optional<Format> detectFormat(imagedecode::Bytes bytes, bool guessTga);

struct ReadRequest {
    int page = 0;      // TIFF
    int pcdMode = 0;   // PCD: 0 base/16, 1 base/4, 2 base
    int maxSide = 0;   // JPEG: decode scaled down to no less than this
};

imagedecode::Picture decodeFormat(Format format, imagedecode::Bytes bytes, const ReadRequest& request,
                                  const imagedecode::Options& options);
imagedecode::PictureInfo formatInfo(Format format, imagedecode::Bytes bytes);
// The number of pages (1 for every format but TIFF).
int pageCount(Format format, imagedecode::Bytes bytes);

}  // namespace crde
