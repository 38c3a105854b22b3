#pragma once
// A decoded picture: top-down rows of either 32-bit pixels (blue, green, red,
// alpha in memory, as a little-endian 0xAARRGGBB word) or 8-bit indices into a
// colour table of at most 256 entries. The buffer is zero-filled when made
// (black, transparent, or index 0) and checked against the caller's limits
// before a byte of it is allocated.
#include "imagelib/decode/DecodeError.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <memory>
#include <vector>

namespace imagedecode {

struct Colour {
    std::uint8_t b = 0, g = 0, r = 0, a = 255;
};

// What one caller accepts. Sizes are compared in 64 bits before allocating.
struct Limits {
    int maxSide;
    std::int64_t maxPixels;
    std::int64_t maxBytes;  // of the decoded buffer
};

// Percent done (0..100); answering false cancels the decode.
using Progress = std::function<bool(int percent)>;

struct Options {
    Limits limits;
    // Pictures with a colour table keep it and their indices; otherwise every
    // picture comes out as 32-bit pixels.
    bool keepIndexed = false;
    Progress progress;
};

class Picture {
public:
    enum class Format { Indexed, Bgra };

    Picture() = default;
    // Fails (TooLarge / Corrupt / OutOfMemory) instead of allocating a size the
    // limits refuse; a width or height of 0 is a broken picture.
    static Picture allocate(std::int64_t width, std::int64_t height, Format format, const Limits& limits);

    int width() const { return width_; }
    int height() const { return height_; }
    Format format() const { return format_; }
    bool indexed() const { return format_ == Format::Indexed; }
    std::size_t bytesPerPixel() const { return indexed() ? 1 : 4; }
    std::size_t stride() const { return std::size_t(width_) * bytesPerPixel(); }
    std::uint8_t* row(int y) { return pixels_.get() + stride() * std::size_t(y); }
    const std::uint8_t* row(int y) const { return pixels_.get() + stride() * std::size_t(y); }
    Colour* bgraRow(int y) { return reinterpret_cast<Colour*>(row(y)); }
    const Colour* bgraRow(int y) const { return reinterpret_cast<const Colour*>(row(y)); }

    // Indexed pictures: the colour table (1..256 entries) and the depth it
    // came with in the file (1, 4 or 8).
    std::vector<Colour> palette;
    int paletteBits = 8;
    // 32-bit pictures: whether any pixel may be less than opaque.
    bool hasAlpha = false;

    // Hands the malloc'd buffer to the caller, who frees it with std::free.
    std::uint8_t* release() { return pixels_.release(); }

private:
    struct Free {
        void operator()(std::uint8_t* p) const { std::free(p); }
    };
    int width_ = 0;
    int height_ = 0;
    Format format_ = Format::Bgra;
    std::unique_ptr<std::uint8_t, Free> pixels_;
};

// Fails for sizes the limits refuse, before anything is allocated.
void checkSize(std::int64_t width, std::int64_t height, std::int64_t bytesPerPixel, const Limits& limits);

// Refuses a stream that declares more output than its data can expand to:
// a compressed stream of dataBytes yields at most unitsPerByte units per byte
// (plus one packet's worth, so tiny pictures in tiny files pass).
void checkExpansion(std::uint64_t declaredUnits, std::uint64_t dataBytes, std::uint64_t unitsPerByte);

// Writes colour-table pixels into either kind of picture. An index beyond the
// table uses entry 0.
class PaletteWriter {
public:
    PaletteWriter(Picture& picture, const std::vector<Colour>& palette);
    void put(std::uint8_t* row, int x, unsigned index) const
    {
        index &= 0xFF;
        if (indexed_)
            row[x] = indexMap_[index];
        else
            reinterpret_cast<Colour*>(row)[x] = colours_[index];
    }
    Colour colour(unsigned index) const { return colours_[index & 0xFF]; }

private:
    bool indexed_;
    std::array<std::uint8_t, 256> indexMap_{};
    std::array<Colour, 256> colours_{};
};

// A palette picture's format for these options.
Picture::Format paletteFormat(const Options& options);

// The table's depth in a file: the smallest of 1, 4, 8 bits that holds it.
int bitsForColours(std::size_t colours);

// Calls the progress callback as work advances, only when the percentage
// changes; throws Cancelled when it answers false.
class ProgressReporter {
public:
    explicit ProgressReporter(const Progress& progress) : progress_(progress) {}
    void report(std::int64_t done, std::int64_t total);

private:
    const Progress& progress_;
    int last_ = -1;
};

}  // namespace imagedecode
