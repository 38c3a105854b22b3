// Fuzz target: the TGA reader.
#include "PictureTarget.h"

#include "imagelib/decode/TgaDecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzzPicture(data, size, imagedecode::decodeTga);
    return 0;
}
