// Fuzz target: the TIFF reader, its page count and its first two pages.
#include "PictureTarget.h"

#include "imagelib/decode/TiffDecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    try {
        fuzzSink = unsigned(imagedecode::tiffPageCount(imagedecode::Bytes(data, size)));
    } catch (const imagedecode::DecodeError&) {
    }
    for (const int page : {0, 1})
        fuzzPicture(data, size, [page](imagedecode::Bytes bytes, const imagedecode::Options& options) {
            return imagedecode::decodeTiff(bytes, page, options);
        });
    return 0;
}
