// Fuzz target: the TIFF reader, its page count, its first two pages and its
// last page.
#include "PictureTarget.h"

#include "imagelib/decode/TiffDecoder.h"

#include <algorithm>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    int pages = 0;
    try {
        pages = imagedecode::tiffPageCount(imagedecode::Bytes(data, size));
        fuzzSink = unsigned(pages);
    } catch (const imagedecode::DecodeError&) {
    }
    // A file of fewer pages is asked for a page 2 it does not have.
    for (const int page : {0, 1, std::max(pages - 1, 2)}) {
        fuzzPicture(data, size, [page](imagedecode::Bytes bytes, const imagedecode::Options& options) {
            return imagedecode::decodeTiff(bytes, page, options);
        });
    }
    return 0;
}
