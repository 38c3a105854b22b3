// Fuzz target: the PNG reader.
#include "PictureTarget.h"

#include "imagelib/decode/PngDecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzzPicture(data, size, imagedecode::decodePng);
    return 0;
}
