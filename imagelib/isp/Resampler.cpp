#include "imagelib/isp/Resampler.h"

#include "imagelib/block/Block.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace isp {
namespace {

using imagedecode::Colour;
using imagedecode::Picture;

struct Tap {
    int index;
    double weight;
};

// For every target index, the source indices it covers and their shares
// (summing to 1).
std::vector<std::vector<Tap>> coverage(int source, int target)
{
    std::vector<std::vector<Tap>> taps(static_cast<std::size_t>(target));
    const double ratio = double(source) / target;
    for (int o = 0; o < target; ++o) {
        const double a = o * ratio, b = (o + 1) * ratio;
        const int first = int(std::floor(a));
        const int last = std::min(source - 1, int(std::ceil(b)) - 1);
        for (int i = first; i <= last; ++i) {
            const double w = (std::min(b, double(i + 1)) - std::max(a, double(i))) / ratio;
            if (w > 0)
                taps[std::size_t(o)].push_back({i, w});
        }
    }
    return taps;
}

// Calls put(x, y, blue, green, red) for every target pixel.
template <typename Put>
void resample(const Picture& source, int width, int height, Put put)
{
    const auto columns = coverage(source.width(), width);
    const auto rows = coverage(source.height(), height);
    std::vector<double> line(std::size_t(source.width()) * 3);
    for (int y = 0; y < height; ++y) {
        std::fill(line.begin(), line.end(), 0.0);
        for (const Tap& t : rows[std::size_t(y)]) {
            const Colour* in = source.bgraRow(t.index);
            for (int x = 0; x < source.width(); ++x) {
                double* acc = &line[std::size_t(x) * 3];
                acc[0] += in[x].b * t.weight;
                acc[1] += in[x].g * t.weight;
                acc[2] += in[x].r * t.weight;
            }
        }
        for (int x = 0; x < width; ++x) {
            double b = 0, g = 0, r = 0;
            for (const Tap& t : columns[std::size_t(x)]) {
                const double* acc = &line[std::size_t(t.index) * 3];
                b += acc[0] * t.weight;
                g += acc[1] * t.weight;
                r += acc[2] * t.weight;
            }
            put(x, y, b, g, r);
        }
    }
}

std::uint8_t byteOf(double v)
{
    return std::uint8_t(std::clamp(std::lround(v), 0L, 255L));
}

}  // namespace

IlBlock scaleColour(const Picture& source, int width, int height)
{
    imagedecode::checkSize(width, height, 3, ilblock::kLimits);
    const ilblock::NewBlock out = ilblock::allocateBlock(width, height, 24, 0);
    try {
        resample(source, width, height, [&](int x, int y, double b, double g, double r) {
            std::uint8_t* p = out.row(y) + std::size_t(x) * 3;
            p[0] = byteOf(b);
            p[1] = byteOf(g);
            p[2] = byteOf(r);
        });
    } catch (...) {
        ilblock::freeBlock(out.block);
        throw;
    }
    return out.block;
}

IlBlock scaleGrey(const Picture& source, int width, int height)
{
    imagedecode::checkSize(width, height, 1, ilblock::kLimits);
    const ilblock::NewBlock out = ilblock::allocateBlock(width, height, 8, 256);
    for (int i = 0; i < 256; ++i)
        out.table[i] = IlRgbQuad{std::uint8_t(i), std::uint8_t(i), std::uint8_t(i), 0};
    try {
        resample(source, width, height, [&](int x, int y, double b, double g, double r) {
            out.row(y)[x] = byteOf(0.299 * r + 0.587 * g + 0.114 * b);
        });
    } catch (...) {
        ilblock::freeBlock(out.block);
        throw;
    }
    return out.block;
}

}  // namespace isp
