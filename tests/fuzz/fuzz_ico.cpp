// Fuzz target: the ICO reader.
#include "PictureTarget.h"

#include "imagelib/decode/IconDecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzzPicture(data, size, imagedecode::decodeIcon);
    return 0;
}
