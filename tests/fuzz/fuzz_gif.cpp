// Fuzz target: the GIF reader.
#include "PictureTarget.h"

#include "imagelib/decode/GifDecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzzPicture(data, size, imagedecode::decodeGif);
    return 0;
}
