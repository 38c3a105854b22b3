#include "imagelib/crde/Readers.h"

#include "imagelib/block/Block.h"
#include "imagelib/decode/GifDecoder.h"
#include "imagelib/decode/JpegDecoder.h"
#include "imagelib/decode/PcdDecoder.h"
#include "imagelib/decode/PcxDecoder.h"
#include "imagelib/decode/PngDecoder.h"
#include "imagelib/decode/TgaDecoder.h"
#include "imagelib/decode/TiffDecoder.h"

#include <cstring>

namespace crde {

using namespace imagedecode;

const char* formatName(Format format)
{
    switch (format) {
    case Format::Bmp: return "BMP";
    case Format::Jpeg: return "JPEG";
    case Format::Png: return "PNG";
    case Format::Gif: return "GIF";
    case Format::Pcx: return "PCX";
    case Format::Tga: return "TGA";
    case Format::Tiff: return "TIFF";
    case Format::Pcd: return "PCD";
    }
    return "";
}

bool looksLike(Format format, Bytes bytes)
{
    switch (format) {
    case Format::Bmp: return looksLikeBitmap(bytes);
    case Format::Jpeg: return looksLikeJpeg(bytes);
    case Format::Png: return looksLikePng(bytes);
    case Format::Gif: return looksLikeGif(bytes);
    case Format::Pcx: return looksLikePcx(bytes);
    case Format::Tga: return looksLikeTga(bytes);
    case Format::Tiff: return looksLikeTiff(bytes);
    case Format::Pcd: return looksLikePcd(bytes);
    }
    return false;
}

std::optional<Format> detectFormat(Bytes bytes, bool guessTga)
{
    if (looksLikeJpeg(bytes))
        return Format::Jpeg;
    if (looksLikePng(bytes))
        return Format::Png;
    if (looksLikeGif(bytes))
        return Format::Gif;
    if (looksLikeTiff(bytes))
        return Format::Tiff;
    if (looksLikePcd(bytes))
        return Format::Pcd;
    if (looksLikeBitmap(bytes))
        return Format::Bmp;
    if (looksLikePcx(bytes))
        return Format::Pcx;
    if (guessTga && looksLikeTga(bytes))
        return Format::Tga;
    return std::nullopt;
}

Picture decodeFormat(Format format, Bytes bytes, const ReadRequest& request, const Options& options)
{
    switch (format) {
    case Format::Bmp:
        return decodeBitmap(bytes, options);
    case Format::Jpeg: {
        JpegDecoder decoder(bytes, options.limits);
        return decoder.decode(jpegScaleForMaxSide(decoder.width(), decoder.height(), request.maxSide), options);
    }
    case Format::Png:
        return decodePng(bytes, options);
    case Format::Gif:
        return decodeGif(bytes, options);
    case Format::Pcx:
        return decodePcx(bytes, options);
    case Format::Tga:
        return decodeTga(bytes, options);
    case Format::Tiff:
        return decodeTiff(bytes, request.page, options);
    case Format::Pcd:
        if (request.pcdMode < 0 || request.pcdMode > 2)
            fail(Failure::Unsupported, "Unknown Photo CD resolution");
        return decodePcd(bytes, PcdResolution(request.pcdMode), options);
    }
    fail(Failure::Unsupported, "Unknown picture format");
}

PictureInfo formatInfo(Format format, Bytes bytes)
{
    switch (format) {
    case Format::Bmp:
        return bitmapInfo(bytes);
    case Format::Jpeg: {
        const JpegDecoder decoder(bytes, ilblock::kLimits);
        return {decoder.width(), decoder.height(), decoder.components() == 1 ? 8 : 24};
    }
    case Format::Png:
        return pngInfo(bytes);
    case Format::Gif:
        return gifInfo(bytes);
    case Format::Pcx:
        return pcxInfo(bytes);
    case Format::Tga:
        return tgaInfo(bytes);
    case Format::Tiff:
        return tiffInfo(bytes, 0);
    case Format::Pcd:
        return pcdInfo(bytes);
    }
    fail(Failure::Unsupported, "Unknown picture format");
}

int pageCount(Format format, Bytes bytes)
{
    return format == Format::Tiff ? tiffPageCount(bytes) : 1;
}

}  // namespace crde
