// Fuzz target: the PCX reader.
#include "PictureTarget.h"

#include "imagelib/decode/PcxDecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzzPicture(data, size, imagedecode::decodePcx);
    return 0;
}
