#include "imagelib/decode/TiffDecoder.h"

#include <tiffio.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

namespace imagedecode {
namespace {

// What one page may ask libtiff to allocate at once besides the picture.
constexpr tmsize_t kMaxSingleAllocation = 256 * 1024 * 1024;

// The file's header and its chain of image directories, one per page.
class Directories {
public:
    explicit Directories(Bytes data) : data_(data)
    {
        const std::uint8_t* p = data.data();
        bigEndian_ = p[0] == 'M';
        big_ = number(2, 2) == 43;
        firstLinkAt_ = big_ ? 8 : 4;
    }

    // Where the link to the first directory lies in the header, and its size.
    std::size_t firstLinkAt() const { return firstLinkAt_; }
    std::size_t linkSize() const { return big_ ? 8 : 4; }
    // The bytes of a link to the directory at offset, as this file writes them.
    std::array<std::uint8_t, 8> link(std::uint64_t offset) const
    {
        std::array<std::uint8_t, 8> bytes{};
        for (std::size_t i = 0; i < linkSize(); ++i)
            bytes[bigEndian_ ? linkSize() - 1 - i : i] = std::uint8_t(offset >> (8 * i));
        return bytes;
    }

    // The offsets of the first `most` directories, following the links alone
    // (no directory is parsed), so that reaching page k costs k short reads.
    // The chain ends at a zero link, at a directory that does not fit in the
    // file, or at a directory seen before.
    std::vector<std::uint64_t> offsets(std::size_t most) const
    {
        std::vector<std::uint64_t> found;
        const std::size_t countSize = big_ ? 8 : 2, entrySize = big_ ? 20 : 12;
        std::uint64_t at = number(firstLinkAt_, linkSize());
        while (at != 0 && found.size() < most && fits(at, countSize)) {
            const std::uint64_t entries = number(at, countSize);
            if (entries > (data_.size() - at - countSize) / entrySize)
                break;
            const std::uint64_t linkAt = at + countSize + entries * entrySize;
            if (!fits(linkAt, linkSize()))
                break;
            found.push_back(at);
            at = number(linkAt, linkSize());
        }
        endAtLoop(found);
        return found;
    }

private:
    // A link back to a directory already walked closes a loop; the pages end
    // before the repeat.
    static void endAtLoop(std::vector<std::uint64_t>& found)
    {
        std::vector<std::uint64_t> sorted(found);
        std::sort(sorted.begin(), sorted.end());
        if (std::adjacent_find(sorted.begin(), sorted.end()) == sorted.end())
            return;
        std::unordered_set<std::uint64_t> seen;
        for (std::size_t i = 0; i < found.size(); ++i) {
            if (!seen.insert(found[i]).second) {
                found.resize(i);
                return;
            }
        }
    }

    bool fits(std::uint64_t offset, std::uint64_t count) const
    {
        return offset <= data_.size() && count <= data_.size() - offset;
    }
    // An unsigned number of `size` bytes at offset, which fits in the file.
    std::uint64_t number(std::uint64_t offset, std::size_t size) const
    {
        const std::uint8_t* p = data_.at(std::size_t(offset), size);
        std::uint64_t value = 0;
        for (std::size_t i = 0; i < size; ++i)
            value |= std::uint64_t(p[bigEndian_ ? size - 1 - i : i]) << (8 * i);
        return value;
    }

    Bytes data_;
    bool bigEndian_ = false;
    bool big_ = false;
    std::size_t firstLinkAt_ = 4;
};

struct MemoryFile {
    Bytes data;
    std::uint64_t pos = 0;
    std::string error;
    // Bytes libtiff reads instead of the file's own at linkAt: the header's
    // link to the first directory, pointed at the page asked for.
    std::array<std::uint8_t, 8> link{};
    std::size_t linkAt = 0, linkSize = 0;
};

tmsize_t readProc(thandle_t handle, void* buffer, tmsize_t size)
{
    auto* f = static_cast<MemoryFile*>(handle);
    if (size <= 0 || f->pos >= f->data.size())
        return 0;
    const std::size_t count = std::min<std::uint64_t>(std::uint64_t(size), f->data.size() - f->pos);
    std::memcpy(buffer, f->data.data() + f->pos, count);
    for (std::size_t i = 0; i < f->linkSize; ++i) {
        const std::uint64_t at = f->linkAt + i;
        if (at >= f->pos && at < f->pos + count)
            static_cast<std::uint8_t*>(buffer)[at - f->pos] = f->link[i];
    }
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
    // Opens the file at one page. Later pages are reached through the chain
    // of directory links and shown to libtiff as the first one, so that it
    // reads that page's directory and no other.
    Tiff(Bytes data, int page) : file_{data, 0, {}, {}, 0, 0}
    {
        if (!looksLikeTiff(data))
            fail(Failure::NotThisFormat, "Not a TIFF picture");
        if (page < 0 || page >= kMostTiffPages)
            fail(Failure::NoSuchPage, "The TIFF file has no page " + std::to_string(page));
        if (page > 0) {
            const Directories directories(data);
            const std::vector<std::uint64_t> offsets = directories.offsets(std::size_t(page) + 1);
            if (offsets.size() <= std::size_t(page))
                fail(Failure::NoSuchPage, "The TIFF file has no page " + std::to_string(page));
            file_.link = directories.link(offsets[std::size_t(page)]);
            file_.linkAt = directories.firstLinkAt();
            file_.linkSize = directories.linkSize();
        }
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

// Refuses a page whose strips or tiles lie past the end of the file (it was
// cut or damaged) or cannot hold the samples it declares.
void checkPageData(const Tiff& tiff, std::uint32_t width, std::uint32_t height)
{
    TIFF* t = tiff.get();
    const bool tiled = TIFFIsTiled(t);
    std::uint64_t *offsets = nullptr, *counts = nullptr;
    if (!TIFFGetField(t, tiled ? TIFFTAG_TILEOFFSETS : TIFFTAG_STRIPOFFSETS, &offsets) || !offsets ||
        !TIFFGetField(t, tiled ? TIFFTAG_TILEBYTECOUNTS : TIFFTAG_STRIPBYTECOUNTS, &counts) || !counts)
        fail(Failure::Corrupt, "The TIFF page has no picture data");
    const std::uint32_t pieces = tiled ? TIFFNumberOfTiles(t) : TIFFNumberOfStrips(t);
    const std::uint64_t size = tiff.data().size();
    std::uint64_t stored = 0;
    for (std::uint32_t i = 0; i < pieces; ++i) {
        if (offsets[i] > size || counts[i] > size - offsets[i])
            fail(Failure::Corrupt, "Broken TIFF picture: its data runs past the end of the file");
        stored = std::min(stored + counts[i], size);
    }
    const std::uint64_t ratio = expansionOf(field16(t, TIFFTAG_COMPRESSION));
    if (!ratio)
        return;
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
    // The first page must open; the others are counted by their links.
    const Tiff first(data, 0);
    return int(std::max<std::size_t>(Directories(data).offsets(kMostTiffPages).size(), 1));
}

PictureInfo tiffInfo(Bytes data, int page)
{
    const Tiff tiff(data, page);
    TIFF* t = tiff.get();
    return {int(std::min<std::uint32_t>(field32(t, TIFFTAG_IMAGEWIDTH), INT32_MAX)),
            int(std::min<std::uint32_t>(field32(t, TIFFTAG_IMAGELENGTH), INT32_MAX)),
            field16(t, TIFFTAG_BITSPERSAMPLE) * field16(t, TIFFTAG_SAMPLESPERPIXEL)};
}

Picture decodeTiff(Bytes data, int page, const Options& options)
{
    const Tiff tiff(data, page);
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
