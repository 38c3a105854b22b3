#include "imagelib/decode/GifDecoder.h"

#include <gif_lib.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace imagedecode {
namespace {

// An LZW code is at least 12 bits once the table is full and stands for at
// most 4096 pixels, so a byte of data yields at most 2731 pixels.
constexpr std::uint64_t kLzwPixelsPerByte = 2731;
constexpr std::uint64_t kLargestEmptyScreen = 4096 * 4096;

struct Source {
    Bytes data;
    std::size_t pos = 0;
};

int readFromMemory(GifFileType* gif, GifByteType* buffer, int length)
{
    auto* source = static_cast<Source*>(gif->UserData);
    const std::size_t count = std::min<std::size_t>(std::size_t(std::max(length, 0)), source->data.size() - source->pos);
    if (count)
        std::memcpy(buffer, source->data.data() + source->pos, count);
    source->pos += count;
    return int(count);
}

struct GifCloser {
    void operator()(GifFileType* gif) const { DGifCloseFile(gif, nullptr); }
};
using GifPtr = std::unique_ptr<GifFileType, GifCloser>;

[[noreturn]] void gifFailure(int code)
{
    const char* text = GifErrorString(code);
    fail(code == D_GIF_ERR_NOT_GIF_FILE ? Failure::NotThisFormat : Failure::Corrupt,
         std::string("Broken GIF picture: ") + (text ? text : "unknown error"));
}

GifPtr open(Source& source)
{
    int error = 0;
    GifPtr gif(DGifOpen(&source, readFromMemory, &error));
    if (!gif)
        gifFailure(error);
    return gif;
}

// Reads extension blocks up to the first image and keeps the transparent
// colour of the graphic control block that belongs to it.
int skipToFirstImage(GifFileType* gif)
{
    int transparent = NO_TRANSPARENT_COLOR;
    for (;;) {
        GifRecordType type = UNDEFINED_RECORD_TYPE;
        if (DGifGetRecordType(gif, &type) == GIF_ERROR)
            gifFailure(gif->Error);
        if (type == IMAGE_DESC_RECORD_TYPE)
            return transparent;
        if (type == TERMINATE_RECORD_TYPE)
            fail(Failure::Corrupt, "The GIF file holds no picture");
        if (type != EXTENSION_RECORD_TYPE)
            continue;
        int code = 0;
        GifByteType* block = nullptr;
        if (DGifGetExtension(gif, &code, &block) == GIF_ERROR)
            gifFailure(gif->Error);
        if (code == GRAPHICS_EXT_FUNC_CODE && block && block[0] == 4) {
            GraphicsControlBlock gcb;
            if (DGifExtensionToGCB(block[0], block + 1, &gcb) == GIF_OK)
                transparent = gcb.TransparentColor;
        }
        while (block) {
            if (DGifGetExtensionNext(gif, &block) == GIF_ERROR)
                gifFailure(gif->Error);
        }
    }
}

}  // namespace

bool looksLikeGif(Bytes data)
{
    return data.size() >= 6 && std::memcmp(data.data(), "GIF8", 4) == 0;
}

PictureInfo gifInfo(Bytes data)
{
    if (!looksLikeGif(data))
        fail(Failure::NotThisFormat, "Not a GIF picture");
    return {data.u16(6), data.u16(8), 8};
}

Picture decodeGif(Bytes data, const Options& options)
{
    Source source{data};
    GifPtr gif = open(source);
    const int transparent = skipToFirstImage(gif.get());
    if (DGifGetImageDesc(gif.get()) == GIF_ERROR)
        gifFailure(gif->Error);

    const GifImageDesc& frame = gif->Image;
    checkSize(frame.Width, frame.Height, 4, options.limits);
    if (frame.Left < 0 || frame.Top < 0)
        fail(Failure::Corrupt, "The GIF frame lies outside the picture");
    checkExpansion(std::uint64_t(frame.Width) * std::uint64_t(frame.Height), data.size() - source.pos,
                   kLzwPixelsPerByte);
    // A frame that overhangs the logical screen widens the picture rather
    // than losing its edge, as browsers show it.
    const std::int64_t frameRight = std::int64_t(frame.Left) + frame.Width, frameBottom = std::int64_t(frame.Top) + frame.Height;
    std::int64_t width = std::max<std::int64_t>(gif->SWidth, frameRight);
    std::int64_t height = std::max<std::int64_t>(gif->SHeight, frameBottom);
    checkSize(width, height, 4, options.limits);
    // A huge empty screen around a frame its data could never fill is not
    // worth hundreds of megabytes: the frame's own extent is shown instead.
    const std::uint64_t screen = std::uint64_t(width) * std::uint64_t(height);
    if (screen > kLargestEmptyScreen && screen > (data.size() - source.pos + 16) * kLzwPixelsPerByte) {
        width = frameRight;
        height = frameBottom;
    }

    const ColorMapObject* map = frame.ColorMap ? frame.ColorMap : gif->SColorMap;
    if (!map || map->ColorCount <= 0)
        fail(Failure::Corrupt, "The GIF picture has no colour table");
    std::vector<Colour> palette(std::size_t(std::min(map->ColorCount, 256)));
    for (std::size_t i = 0; i < palette.size(); ++i)
        palette[i] = Colour{map->Colors[i].Blue, map->Colors[i].Green, map->Colors[i].Red, 255};
    if (transparent >= 0 && std::size_t(transparent) < palette.size())
        palette[std::size_t(transparent)] = Colour{0, 0, 0, 0};

    Picture picture = Picture::allocate(width, height, paletteFormat(options), options.limits);
    const PaletteWriter writer(picture, palette);
    // What the first frame does not cover is the empty screen.
    if (picture.indexed()) {
        std::memset(picture.row(0), std::clamp(gif->SBackGroundColor, 0, int(palette.size()) - 1),
                    picture.stride() * std::size_t(picture.height()));
    } else {
        picture.hasAlpha = true;
    }
    std::vector<GifPixelType> line(std::size_t(frame.Width));
    const int passStart[] = {0, 4, 2, 1}, passStep[] = {8, 8, 4, 2};
    const int passes = frame.Interlace ? 4 : 1;
    ProgressReporter progress(options.progress);
    int rowsRead = 0;
    for (int pass = 0; pass < passes; ++pass) {
        const int start = frame.Interlace ? passStart[pass] : 0, step = frame.Interlace ? passStep[pass] : 1;
        for (int y = start; y < frame.Height; y += step) {
            progress.report(rowsRead, frame.Height);
            if (DGifGetLine(gif.get(), line.data(), frame.Width) == GIF_ERROR) {
                // A cut-off file still shows the rows it holds.
                if (rowsRead == 0)
                    gifFailure(gif->Error);
                pass = passes;
                break;
            }
            ++rowsRead;
            std::uint8_t* out = picture.row(frame.Top + y);
            for (int x = 0; x < frame.Width; ++x)
                writer.put(out, frame.Left + x, line[std::size_t(x)]);
        }
    }
    progress.report(1, 1);
    return picture;
}

}  // namespace imagedecode
