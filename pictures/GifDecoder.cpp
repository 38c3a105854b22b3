#include "pictures/GifDecoder.h"

#include <gif_lib.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <vector>

namespace {

struct Source {
    PictureBytes data;
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
    pictureFailure(QStringLiteral("Broken GIF picture: %1").arg(QString::fromLatin1(text ? text : "unknown error")));
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
            pictureFailure(QStringLiteral("The GIF file holds no picture"));
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

QImage decodeGif(PictureBytes data)
{
    Source source{data};
    int error = 0;
    GifPtr gif(DGifOpen(&source, readFromMemory, &error));
    if (!gif)
        gifFailure(error);
    const int transparent = skipToFirstImage(gif.get());
    if (DGifGetImageDesc(gif.get()) == GIF_ERROR)
        gifFailure(gif->Error);

    const GifImageDesc& frame = gif->Image;
    checkPictureSize(frame.Width, frame.Height);
    if (frame.Left < 0 || frame.Top < 0)
        pictureFailure(QStringLiteral("The GIF frame lies outside the picture"));
    // A frame that overhangs the logical screen widens the picture rather
    // than losing its edge, as browsers show it.
    const std::int64_t width = std::max<std::int64_t>(gif->SWidth, std::int64_t(frame.Left) + frame.Width);
    const std::int64_t height = std::max<std::int64_t>(gif->SHeight, std::int64_t(frame.Top) + frame.Height);
    checkPictureSize(width, height);

    const ColorMapObject* map = frame.ColorMap ? frame.ColorMap : gif->SColorMap;
    if (!map)
        pictureFailure(QStringLiteral("The GIF picture has no colour table"));
    std::array<QRgb, 256> colours;
    colours.fill(qRgb(0, 0, 0));
    for (int i = 0; i < std::min(map->ColorCount, 256); ++i)
        colours[i] = qRgb(map->Colors[i].Red, map->Colors[i].Green, map->Colors[i].Blue);
    if (transparent >= 0 && transparent < 256)
        colours[transparent] = 0;

    QImage image = allocatePicture(QSize(int(width), int(height)), QImage::Format_ARGB32);
    // What the first frame does not cover is the empty screen: transparent.
    image.fill(Qt::transparent);
    std::vector<GifPixelType> line(std::size_t(frame.Width));
    const int passStart[] = {0, 4, 2, 1}, passStep[] = {8, 8, 4, 2};
    const int passes = frame.Interlace ? 4 : 1;
    int rowsRead = 0;
    for (int pass = 0; pass < passes; ++pass) {
        const int start = frame.Interlace ? passStart[pass] : 0, step = frame.Interlace ? passStep[pass] : 1;
        for (int y = start; y < frame.Height; y += step) {
            if (DGifGetLine(gif.get(), line.data(), frame.Width) == GIF_ERROR) {
                // A cut-off file still shows the rows it holds.
                if (rowsRead == 0)
                    gifFailure(gif->Error);
                pass = passes;
                break;
            }
            ++rowsRead;
            auto* out = reinterpret_cast<QRgb*>(image.scanLine(frame.Top + y)) + frame.Left;
            for (int x = 0; x < frame.Width; ++x)
                out[x] = colours[line[std::size_t(x)]];
        }
    }
    return image;
}
