// Fuzz target: the BMP reader.
#include "PictureTarget.h"

#include "imagelib/decode/BitmapDecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzzPicture(data, size, imagedecode::decodeBitmap);
    return 0;
}
