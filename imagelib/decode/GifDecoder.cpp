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

// The first frame's place: the canvas it is shown on and where its top-left
// pixel lands there; the frame may reach past the canvas' right and bottom.
struct Canvas {
    std::int64_t width = 0, height = 0, left = 0, top = 0;
};

// The canvas is bounded by what the data can paint. A frame that overhangs
// the logical screen widens it, as browsers show it, unless the widening
// would add more empty screen than the frame covers: a frame far outside a
// small screen is clipped instead. A screen larger than the data can ever
// fill shrinks to the frame itself.
Canvas canvasFor(const GifFileType* gif, std::uint64_t dataBytes)
{
    const GifImageDesc& frame = gif->Image;
    const std::int64_t frameRight = std::int64_t(frame.Left) + frame.Width;
    const std::int64_t frameBottom = std::int64_t(frame.Top) + frame.Height;
    const std::int64_t frameArea = std::int64_t(frame.Width) * frame.Height;
    std::int64_t screenWidth = gif->SWidth, screenHeight = gif->SHeight;
    if (screenWidth <= 0 || screenHeight <= 0) {
        screenWidth = frameRight;
        screenHeight = frameBottom;
    }
    Canvas canvas{screenWidth, screenHeight, frame.Left, frame.Top};
    const std::int64_t widerWidth = std::max(screenWidth, frameRight), widerHeight = std::max(screenHeight, frameBottom);
    if (widerWidth * widerHeight <= screenWidth * screenHeight + frameArea) {
        canvas.width = widerWidth;
        canvas.height = widerHeight;
    }
    const std::uint64_t area = std::uint64_t(canvas.width) * std::uint64_t(canvas.height);
    if (area > kLargestEmptyScreen && area > (dataBytes + 16) * kLzwPixelsPerByte)
        canvas = Canvas{frame.Width, frame.Height, 0, 0};
    return canvas;
}

// The file opened and read up to the first frame's descriptor.
struct FirstFrame {
    Source source;
    GifPtr gif;
    int transparent = NO_TRANSPARENT_COLOR;

    explicit FirstFrame(Bytes data) : source{data}, gif(open(source))
    {
        transparent = skipToFirstImage(gif.get());
        if (DGifGetImageDesc(gif.get()) == GIF_ERROR)
            gifFailure(gif->Error);
    }
    FirstFrame(const FirstFrame&) = delete;
    FirstFrame& operator=(const FirstFrame&) = delete;

    const ColorMapObject* colourMap() const { return gif->Image.ColorMap ? gif->Image.ColorMap : gif->SColorMap; }
    std::uint64_t bytesLeft() const { return source.data.size() - source.pos; }
};

}  // namespace

bool looksLikeGif(Bytes data)
{
    return data.size() >= 6 && std::memcmp(data.data(), "GIF8", 4) == 0;
}

PictureInfo gifInfo(Bytes data)
{
    if (!looksLikeGif(data))
        fail(Failure::NotThisFormat, "Not a GIF picture");
    // The depth is that of the colour table the first frame is painted
    // with, and the size that of the canvas it is shown on.
    try {
        const FirstFrame first(data);
        const Canvas canvas = canvasFor(first.gif.get(), first.bytesLeft());
        const ColorMapObject* map = first.colourMap();
        return {int(canvas.width), int(canvas.height), map && map->BitsPerPixel > 0 ? map->BitsPerPixel : 8};
    } catch (const DecodeError&) {
        // A file that ends before its first frame still has a header to tell.
        const std::uint8_t flags = data.size() > 10 ? data.u8(10) : 0;
        return {data.u16(6), data.u16(8), flags & 0x80 ? (flags & 7) + 1 : 8};
    }
}

Picture decodeGif(Bytes data, const Options& options)
{
    const FirstFrame first(data);
    GifFileType* gif = first.gif.get();
    const GifImageDesc& frame = gif->Image;
    checkSize(frame.Width, frame.Height, 4, options.limits);
    if (frame.Left < 0 || frame.Top < 0)
        fail(Failure::Corrupt, "The GIF frame lies outside the picture");
    checkExpansion(std::uint64_t(frame.Width) * std::uint64_t(frame.Height), first.bytesLeft(), kLzwPixelsPerByte);
    // A screen, or a frame placed, beyond what may be shown at all is refused.
    checkSize(std::max<std::int64_t>(gif->SWidth, std::int64_t(frame.Left) + frame.Width),
              std::max<std::int64_t>(gif->SHeight, std::int64_t(frame.Top) + frame.Height), 4, options.limits);
    const Canvas canvas = canvasFor(gif, first.bytesLeft());

    const ColorMapObject* map = first.colourMap();
    if (!map || map->ColorCount <= 0)
        fail(Failure::Corrupt, "The GIF picture has no colour table");
    std::vector<Colour> palette(std::size_t(std::min(map->ColorCount, 256)));
    for (std::size_t i = 0; i < palette.size(); ++i)
        palette[i] = Colour{map->Colors[i].Blue, map->Colors[i].Green, map->Colors[i].Red, 255};
    if (first.transparent >= 0 && std::size_t(first.transparent) < palette.size())
        palette[std::size_t(first.transparent)] = Colour{0, 0, 0, 0};

    Picture picture = Picture::allocate(canvas.width, canvas.height, paletteFormat(options), options.limits);
    const PaletteWriter writer(picture, palette);
    // What the first frame does not cover is the empty screen.
    if (picture.indexed()) {
        std::memset(picture.row(0), std::clamp(gif->SBackGroundColor, 0, int(palette.size()) - 1),
                    picture.stride() * std::size_t(picture.height()));
    } else {
        picture.hasAlpha = true;
    }
    // The part of each frame row that lands on the canvas.
    const std::int64_t visible = std::clamp<std::int64_t>(canvas.width - canvas.left, 0, frame.Width);
    std::vector<GifPixelType> line(std::size_t(frame.Width));
    const int passStart[] = {0, 4, 2, 1}, passStep[] = {8, 8, 4, 2};
    const int passes = frame.Interlace ? 4 : 1;
    ProgressReporter progress(options.progress);
    int rowsRead = 0;
    for (int pass = 0; pass < passes; ++pass) {
        const int start = frame.Interlace ? passStart[pass] : 0, step = frame.Interlace ? passStep[pass] : 1;
        for (int y = start; y < frame.Height; y += step) {
            progress.report(rowsRead, frame.Height);
            if (DGifGetLine(gif, line.data(), frame.Width) == GIF_ERROR) {
                // A cut-off file still shows the rows it holds.
                if (rowsRead == 0)
                    gifFailure(gif->Error);
                pass = passes;
                break;
            }
            ++rowsRead;
            const std::int64_t row = canvas.top + y;
            if (row >= canvas.height)
                continue;
            std::uint8_t* out = picture.row(int(row));
            for (std::int64_t x = 0; x < visible; ++x)
                writer.put(out, int(canvas.left + x), line[std::size_t(x)]);
        }
    }
    progress.report(1, 1);
    return picture;
}

}  // namespace imagedecode
