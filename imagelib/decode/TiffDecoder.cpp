#include "imagelib/decode/TiffDecoder.h"

#include <tiffio.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

namespace imagedecode {
namespace {

// What one page may ask libtiff to allocate at once besides the picture.
constexpr tmsize_t kMaxSingleAllocation = 256 * 1024 * 1024;

struct MemoryFile {
    Bytes data;
    std::uint64_t pos = 0;
    std::string error;
};

tmsize_t readProc(thandle_t handle, void* buffer, tmsize_t size)
{
    auto* f = static_cast<MemoryFile*>(handle);
    if (size <= 0 || f->pos >= f->data.size())
        return 0;
    const std::size_t count = std::min<std::uint64_t>(std::uint64_t(size), f->data.size() - f->pos);
    std::memcpy(buffer, f->data.data() + f->pos, count);
    f->pos += count;
    return tmsize_t(count);
}

tmsize_t writeProc(thandle_t, void*, tmsize_t)
{
    return -1;
}

toff_t seekProc(thandle_t handle, toff_t offset, int whence)
{
    auto* f = static_cast<MemoryFile*>(handle);
    std::uint64_t base = 0;
    if (whence == SEEK_CUR)
        base = f->pos;
    else if (whence == SEEK_END)
        base = f->data.size();
    if (offset > UINT64_MAX - base)
        return toff_t(-1);
    f->pos = base + offset;
    return f->pos;
}

int closeProc(thandle_t)
{
    return 0;
}

toff_t sizeProc(thandle_t handle)
{
    return static_cast<MemoryFile*>(handle)->data.size();
}

int mapProc(thandle_t, void**, toff_t*)
{
    return 0;
}

void unmapProc(thandle_t, void*, toff_t) {}

// libtiff's messages go into the failure text, never to the terminal.
int keepError(TIFF*, void* user, const char* module, const char* format, va_list args)
{
    auto* f = static_cast<MemoryFile*>(user);
    if (f->error.empty()) {
        char text[256];
        std::vsnprintf(text, sizeof text, format, args);
        f->error = std::string(module ? module : "TIFF") + ": " + text;
    }
    return 1;
}

int ignoreWarning(TIFF*, void*, const char*, const char*, va_list)
{
    return 1;
}

struct TiffClose {
    void operator()(TIFF* t) const { TIFFClose(t); }
};
struct OptionsFree {
    void operator()(TIFFOpenOptions* o) const { TIFFOpenOptionsFree(o); }
};

class Tiff {
public:
    explicit Tiff(Bytes data) : file_{data, 0, {}}
    {
        if (!looksLikeTiff(data))
            fail(Failure::NotThisFormat, "Not a TIFF picture");
        const std::unique_ptr<TIFFOpenOptions, OptionsFree> options(TIFFOpenOptionsAlloc());
        if (!options)
            fail(Failure::OutOfMemory, "Not enough memory to open the TIFF picture");
        TIFFOpenOptionsSetMaxSingleMemAlloc(options.get(), kMaxSingleAllocation);
        TIFFOpenOptionsSetErrorHandlerExtR(options.get(), keepError, &file_);
        TIFFOpenOptionsSetWarningHandlerExtR(options.get(), ignoreWarning, &file_);
        tiff_.reset(TIFFClientOpenExt("memory", "rm", &file_, readProc, writeProc, seekProc, closeProc, sizeProc,
                                      mapProc, unmapProc, options.get()));
        if (!tiff_)
            broken();
    }

    TIFF* get() const { return tiff_.get(); }
    const Bytes& data() const { return file_.data; }

    void select(int page)
    {
        if (page < 0 || page > 0xFFFF || !TIFFSetDirectory(tiff_.get(), tdir_t(page)))
            fail(Failure::NoSuchPage, "The TIFF file has no page " + std::to_string(page));
    }

    [[noreturn]] void broken() const
    {
        fail(Failure::Corrupt, "Broken TIFF picture" + (file_.error.empty() ? std::string() : ": " + file_.error));
    }

private:
    MemoryFile file_;
    std::unique_ptr<TIFF, TiffClose> tiff_;
};

std::uint32_t field32(TIFF* t, ttag_t tag)
{
    std::uint32_t v = 0;
    TIFFGetField(t, tag, &v);
    return v;
}

std::uint16_t field16(TIFF* t, ttag_t tag)
{
    std::uint16_t v = 0;
    TIFFGetFieldDefaulted(t, tag, &v);
    return v;
}

// How many bytes of decoded samples one byte of data can become.
std::uint64_t expansionOf(std::uint16_t compression)
{
    switch (compression) {
    case COMPRESSION_NONE: return 1;
    case COMPRESSION_PACKBITS: return 128;
    case COMPRESSION_LZW: return 4096;
    case COMPRESSION_DEFLATE:
    case COMPRESSION_ADOBE_DEFLATE: return 1032;
    case COMPRESSION_JPEG:
    case COMPRESSION_OJPEG: return 2048;
    default: return 0;  // fax codings and the rest: no simple bound
    }
}

// Refuses a page whose strips or tiles cannot hold the samples it declares.
void checkPageData(const Tiff& tiff, std::uint32_t width, std::uint32_t height)
{
    TIFF* t = tiff.get();
    const std::uint64_t ratio = expansionOf(field16(t, TIFFTAG_COMPRESSION));
    if (!ratio)
        return;
    const bool tiled = TIFFIsTiled(t);
    std::uint64_t* counts = nullptr;
    if (!TIFFGetField(t, tiled ? TIFFTAG_TILEBYTECOUNTS : TIFFTAG_STRIPBYTECOUNTS, &counts) || !counts)
        fail(Failure::Corrupt, "The TIFF page has no picture data");
    const std::uint32_t pieces = tiled ? TIFFNumberOfTiles(t) : TIFFNumberOfStrips(t);
    std::uint64_t stored = 0;
    for (std::uint32_t i = 0; i < pieces; ++i)
        stored += std::min<std::uint64_t>(counts[i], tiff.data().size());
    stored = std::min<std::uint64_t>(stored, tiff.data().size());
    const std::uint64_t sampleBits = std::uint64_t(field16(t, TIFFTAG_BITSPERSAMPLE)) * field16(t, TIFFTAG_SAMPLESPERPIXEL);
    checkExpansion((std::uint64_t(width) * sampleBits + 7) / 8 * height, stored, ratio);
}

// A bilevel page: one 1-bit sample per pixel, black and white.
bool bilevel(TIFF* t)
{
    const std::uint16_t photometric = field16(t, TIFFTAG_PHOTOMETRIC);
    return field16(t, TIFFTAG_BITSPERSAMPLE) == 1 && field16(t, TIFFTAG_SAMPLESPERPIXEL) == 1 &&
           (photometric == PHOTOMETRIC_MINISWHITE || photometric == PHOTOMETRIC_MINISBLACK);
}

// libtiff has already turned every pixel of a bilevel page black or white
// (whichever value the file calls white); they keep a two-colour table.
Picture blackAndWhite(const Picture& pixels, const Limits& limits)
{
    Picture picture = Picture::allocate(pixels.width(), pixels.height(), Picture::Format::Indexed, limits);
    const PaletteWriter writer(picture, {Colour{0, 0, 0, 255}, Colour{255, 255, 255, 255}});
    for (int y = 0; y < pixels.height(); ++y) {
        const Colour* in = pixels.bgraRow(y);
        std::uint8_t* out = picture.row(y);
        for (int x = 0; x < pixels.width(); ++x)
            writer.put(out, x, in[x].g >= 128 ? 1 : 0);
    }
    return picture;
}

}  // namespace

bool looksLikeTiff(Bytes data)
{
    if (data.size() < 8)
        return false;
    const std::uint8_t* p = data.data();
    return (p[0] == 'I' && p[1] == 'I' && (p[2] == 42 || p[2] == 43) && p[3] == 0) ||
           (p[0] == 'M' && p[1] == 'M' && p[2] == 0 && (p[3] == 42 || p[3] == 43));
}

int tiffPageCount(Bytes data)
{
    const Tiff tiff(data);
    const tdir_t count = TIFFNumberOfDirectories(tiff.get());
    return count > 0 ? int(std::min<tdir_t>(count, 0xFFFF)) : 1;
}

PictureInfo tiffInfo(Bytes data, int page)
{
    Tiff tiff(data);
    tiff.select(page);
    TIFF* t = tiff.get();
    return {int(std::min<std::uint32_t>(field32(t, TIFFTAG_IMAGEWIDTH), INT32_MAX)),
            int(std::min<std::uint32_t>(field32(t, TIFFTAG_IMAGELENGTH), INT32_MAX)),
            field16(t, TIFFTAG_BITSPERSAMPLE) * field16(t, TIFFTAG_SAMPLESPERPIXEL)};
}

Picture decodeTiff(Bytes data, int page, const Options& options)
{
    Tiff tiff(data);
    tiff.select(page);
    TIFF* t = tiff.get();
    const std::uint32_t width = field32(t, TIFFTAG_IMAGEWIDTH), height = field32(t, TIFFTAG_IMAGELENGTH);
    checkSize(width, height, 4, options.limits);
    checkPageData(tiff, width, height);
    ProgressReporter progress(options.progress);
    progress.report(0, 1);
    Picture picture = Picture::allocate(width, height, Picture::Format::Bgra, options.limits);
    char message[1024] = "";
    if (!TIFFRGBAImageOK(t, message))
        fail(Failure::Unsupported, std::string("Unsupported TIFF variant: ") + message);
    if (!TIFFReadRGBAImageOriented(t, width, height, reinterpret_cast<std::uint32_t*>(picture.row(0)),
                                   ORIENTATION_TOPLEFT, 0))
        tiff.broken();
    // libtiff stores red in the lowest byte; the picture wants blue there.
    for (std::uint32_t y = 0; y < height; ++y) {
        Colour* row = picture.bgraRow(int(y));
        for (std::uint32_t x = 0; x < width; ++x) {
            std::swap(row[x].b, row[x].r);
            picture.hasAlpha = picture.hasAlpha || row[x].a != 255;
        }
    }
    if (options.keepIndexed && bilevel(t))
        picture = blackAndWhite(picture, options.limits);
    progress.report(1, 1);
    return picture;
}

}  // namespace imagedecode
