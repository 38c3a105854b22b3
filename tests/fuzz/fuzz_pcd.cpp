// Fuzz target: the Photo CD reader at its three resolutions.
#include "PictureTarget.h"

#include "imagelib/decode/PcdDecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    for (const int mode : {0, 1, 2})
        fuzzPicture(data, size, [mode](imagedecode::Bytes bytes, const imagedecode::Options& options) {
            return imagedecode::decodePcd(bytes, imagedecode::PcdResolution(mode), options);
        });
    return 0;
}
