#include "imagelib/decode/Picture.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <string>

#include <sys/mman.h>
#include <unistd.h>

namespace imagedecode {

namespace {

// A big picture's buffer is fresh memory from the system; faulting 96 MB of
// it in 4 KiB pages costs nearly as much as decoding into it, so it is
// advised to use huge pages.
constexpr std::size_t kHugePagesFrom = 4 * 1024 * 1024;

void adviseHugePages(void* buffer, std::size_t bytes)
{
    if (bytes < kHugePagesFrom)
        return;
    const auto page = std::uintptr_t(sysconf(_SC_PAGESIZE));
    const auto start = (std::uintptr_t(buffer) + page - 1) / page * page;
    const auto end = std::uintptr_t(buffer) + bytes;
    if (end > start)
        madvise(reinterpret_cast<void*>(start), end - start, MADV_HUGEPAGE);
}

}  // namespace

void checkSize(std::int64_t width, std::int64_t height, std::int64_t bytesPerPixel, const Limits& limits)
{
    if (width <= 0 || height <= 0)
        fail(Failure::Corrupt, "The picture has no pixels (" + std::to_string(width) + " x " + std::to_string(height) + ")");
    // Each side is bounded first, so the products below cannot overflow.
    if (width > limits.maxSide || height > limits.maxSide || width * height > limits.maxPixels ||
        width * height * bytesPerPixel > limits.maxBytes)
        fail(Failure::TooLarge, "The picture is too large (" + std::to_string(width) + " x " + std::to_string(height) + ")");
}

void checkExpansion(std::uint64_t declaredUnits, std::uint64_t dataBytes, std::uint64_t unitsPerByte)
{
    // dataBytes is a file size, far below 2^40; unitsPerByte is a small constant.
    const std::uint64_t most = (dataBytes + 16) * unitsPerByte;
    if (declaredUnits > most)
        fail(Failure::TooLarge, "The picture declares more pixels than its data can hold");
}

Picture Picture::allocate(std::int64_t width, std::int64_t height, Format format, const Limits& limits)
{
    const std::int64_t bpp = format == Format::Indexed ? 1 : 4;
    checkSize(width, height, bpp, limits);
    Picture p;
    p.width_ = int(width);
    p.height_ = int(height);
    p.format_ = format;
    p.pixels_.reset(static_cast<std::uint8_t*>(std::calloc(std::size_t(width * height), std::size_t(bpp))));
    if (!p.pixels_)
        fail(Failure::OutOfMemory, "Not enough memory for a " + std::to_string(width) + " x " + std::to_string(height) + " picture");
    adviseHugePages(p.pixels_.get(), std::size_t(width * height * bpp));
    return p;
}

PaletteWriter::PaletteWriter(Picture& picture, const std::vector<Colour>& palette) : indexed_(picture.indexed())
{
    const std::size_t count = std::min<std::size_t>(palette.size(), 256);
    const Colour first = count ? palette[0] : Colour{};
    colours_.fill(first);
    for (std::size_t i = 0; i < count; ++i) {
        colours_[i] = palette[i];
        indexMap_[i] = std::uint8_t(i);
    }
    if (indexed_) {
        picture.palette.assign(palette.begin(), palette.begin() + std::ptrdiff_t(count));
        if (picture.palette.empty())
            picture.palette.push_back(first);
        picture.paletteBits = bitsForColours(picture.palette.size());
    } else {
        picture.hasAlpha = std::any_of(colours_.begin(), colours_.end(), [](Colour c) { return c.a != 255; });
    }
}

Picture::Format paletteFormat(const Options& options)
{
    return options.keepIndexed ? Picture::Format::Indexed : Picture::Format::Bgra;
}

int bitsForColours(std::size_t colours)
{
    return colours <= 2 ? 1 : colours <= 16 ? 4 : 8;
}

void ProgressReporter::report(std::int64_t done, std::int64_t total)
{
    if (!progress_ || total <= 0)
        return;
    const int percent = int(std::clamp<std::int64_t>(done * 100 / total, 0, 100));
    if (percent == last_)
        return;
    last_ = percent;
    if (!progress_(percent))
        fail(Failure::Cancelled, "Reading the picture was cancelled");
}

}  // namespace imagedecode
