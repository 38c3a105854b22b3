// Fuzz target: the JPEG reader, at full size and at the reduced scale thumbnails use.
#include "PictureTarget.h"

#include "imagelib/decode/JpegDecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    for (const int scale : {imagedecode::kJpegFullScale, 1})
        fuzzPicture(data, size, [scale](imagedecode::Bytes bytes, const imagedecode::Options& options) {
            imagedecode::JpegDecoder decoder(bytes, options.limits);
            return decoder.decode(scale, options);
        });
    return 0;
}
