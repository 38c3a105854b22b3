#include "imagelib/isp/Quantizer.h"

#include "imagelib/block/Block.h"

#include <algorithm>
#include <array>
#include <vector>

namespace isp {
namespace {

using imagedecode::Colour;
using imagedecode::Picture;

struct Rgb {
    int r, g, b;
};

const std::array<Rgb, 16> kStandard16 = {{{0, 0, 0},       {128, 0, 0},   {0, 128, 0},   {128, 128, 0},
                                          {0, 0, 128},     {128, 0, 128}, {0, 128, 128}, {192, 192, 192},
                                          {128, 128, 128}, {255, 0, 0},   {0, 255, 0},   {255, 255, 0},
                                          {0, 0, 255},     {255, 0, 255}, {0, 255, 255}, {255, 255, 255}}};

std::vector<Rgb> tableFor(int bits)
{
    if (bits == 1)
        return {{0, 0, 0}, {255, 255, 255}};
    if (bits == 4)
        return {kStandard16.begin(), kStandard16.end()};
    std::vector<Rgb> table;
    for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 6; ++g)
            for (int b = 0; b < 6; ++b)
                table.push_back({r * 51, g * 51, b * 51});
    // Greys between the cube's own, which it holds only six of.
    for (int i = 1; i <= 40; ++i) {
        const int v = i * 255 / 41;
        table.push_back({v, v, v});
    }
    return table;
}

int distance(const Rgb& a, int r, int g, int b)
{
    const int dr = a.r - r, dg = a.g - g, db = a.b - b;
    return 3 * dr * dr + 4 * dg * dg + 2 * db * db;
}

class Nearest {
public:
    Nearest(const std::vector<Rgb>& table, int bits) : table_(table), bits_(bits) {}

    int operator()(int r, int g, int b) const
    {
        if (bits_ == 1)
            return 299 * r + 587 * g + 114 * b >= 128 * 1000 ? 1 : 0;
        if (bits_ == 8) {
            // The nearest cube colour and the nearest grey; the better wins.
            auto step = [](int v) { return (std::clamp(v, 0, 255) + 25) / 51; };
            const int cube = step(r) * 36 + step(g) * 6 + step(b);
            const int grey = std::clamp(((r + g + b) / 3 * 41 + 127) / 255, 1, 40);
            const int greyIndex = 215 + grey;
            return distance(table_[std::size_t(greyIndex)], r, g, b) < distance(table_[std::size_t(cube)], r, g, b)
                       ? greyIndex
                       : cube;
        }
        int best = 0, bestDistance = distance(table_[0], r, g, b);
        for (int i = 1; i < int(table_.size()); ++i) {
            const int d = distance(table_[std::size_t(i)], r, g, b);
            if (d < bestDistance) {
                best = i;
                bestDistance = d;
            }
        }
        return best;
    }

private:
    const std::vector<Rgb>& table_;
    int bits_;
};

}  // namespace

IlBlock reduce(const Picture& source, int bits, bool dither)
{
    const std::vector<Rgb> table = tableFor(bits);
    const Nearest nearest(table, bits);
    const int w = source.width(), h = source.height();
    const ilblock::NewBlock out = ilblock::allocateBlock(w, h, bits, 1 << bits);
    for (std::size_t i = 0; i < table.size(); ++i)
        out.table[i] = IlRgbQuad{std::uint8_t(table[i].b), std::uint8_t(table[i].g), std::uint8_t(table[i].r), 0};
    // Error rows for diffusion: this row and the next, one pixel of margin each side.
    std::vector<Rgb> errors(dither ? std::size_t(w + 2) * 2 : 0, Rgb{0, 0, 0});
    const int perByte = 8 / bits;
    for (int y = 0; y < h; ++y) {
        const Colour* in = source.bgraRow(y);
        std::uint8_t* row = out.row(y);
        Rgb* current = dither ? &errors[std::size_t(y % 2) * std::size_t(w + 2) + 1] : nullptr;
        Rgb* next = dither ? &errors[std::size_t((y + 1) % 2) * std::size_t(w + 2) + 1] : nullptr;
        if (dither)
            std::fill(next - 1, next + w + 1, Rgb{0, 0, 0});
        for (int x = 0; x < w; ++x) {
            int r = in[x].r, g = in[x].g, b = in[x].b;
            if (dither) {
                r = std::clamp(r + current[x].r / 16, 0, 255);
                g = std::clamp(g + current[x].g / 16, 0, 255);
                b = std::clamp(b + current[x].b / 16, 0, 255);
            }
            const int index = nearest(r, g, b);
            if (dither) {
                const Rgb& c = table[std::size_t(index)];
                const Rgb e{r - c.r, g - c.g, b - c.b};
                auto spread = [&e](Rgb& target, int share) {
                    target.r += e.r * share;
                    target.g += e.g * share;
                    target.b += e.b * share;
                };
                spread(current[x + 1], 7);
                spread(next[x - 1], 3);
                spread(next[x], 5);
                spread(next[x + 1], 1);
            }
            if (bits == 8)
                row[x] = std::uint8_t(index);
            else
                row[x / perByte] |= std::uint8_t(index << (8 - bits * (x % perByte + 1)));
        }
    }
    return out.block;
}

}  // namespace isp
