#include "imagelib/decode/PcdDecoder.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace imagedecode {
namespace {

constexpr std::size_t kSignatureAt = 0x800;
constexpr std::size_t kRotationAt = 0xE02;

struct Layout {
    std::size_t offset;
    int width, height;
};

Layout layoutOf(PcdResolution resolution)
{
    switch (resolution) {
    case PcdResolution::Base16: return {0x2000, 192, 128};
    case PcdResolution::Base4: return {0xB800, 384, 256};
    case PcdResolution::Base: break;
    }
    return {0x30000, 768, 512};
}

// Quarter turns clockwise that make the picture upright.
int turnsOf(Bytes data)
{
    switch (data.u8(kRotationAt) & 3) {
    case 1: return 3;
    case 2: return 2;
    case 3: return 1;
    default: return 0;
    }
}

std::uint8_t clampByte(double v)
{
    return std::uint8_t(std::clamp(std::lround(v), 0L, 255L));
}

// Photo YCC to RGB, in the luma's own scale (white stays 255).
Colour fromYcc(int y, int c1, int c2)
{
    const double blue = 1.6327 * (c1 - 156), red = 1.3409 * (c2 - 137);
    return Colour{clampByte(y + blue), clampByte(y - 0.194 * blue - 0.509 * red), clampByte(y + red), 255};
}

}  // namespace

bool looksLikePcd(Bytes data)
{
    return data.has(kSignatureAt, 7) && std::memcmp(data.data() + kSignatureAt, "PCD_IPI", 7) == 0;
}

PictureInfo pcdInfo(Bytes data)
{
    if (!looksLikePcd(data))
        fail(Failure::NotThisFormat, "Not a Photo CD picture");
    const Layout base = layoutOf(PcdResolution::Base);
    const bool sideways = turnsOf(data) % 2;
    return {sideways ? base.height : base.width, sideways ? base.width : base.height, 24};
}

Picture decodePcd(Bytes data, PcdResolution resolution, const Options& options)
{
    if (!looksLikePcd(data))
        fail(Failure::NotThisFormat, "Not a Photo CD picture");
    if (resolution != PcdResolution::Base16 && resolution != PcdResolution::Base4 && resolution != PcdResolution::Base)
        fail(Failure::Unsupported, "Unknown Photo CD resolution");
    const Layout l = layoutOf(resolution);
    const int turns = turnsOf(data);
    const std::size_t w = std::size_t(l.width);
    const std::uint8_t* pixels = data.at(l.offset, w * std::size_t(l.height) * 3 / 2);
    const bool sideways = turns % 2;
    Picture picture = Picture::allocate(sideways ? l.height : l.width, sideways ? l.width : l.height,
                                        Picture::Format::Bgra, options.limits);
    ProgressReporter progress(options.progress);
    for (int y = 0; y < l.height; ++y) {
        progress.report(y, l.height);
        // Each pair of rows: two rows of luma, then one row each of the two chroma halves.
        const std::uint8_t* pair = pixels + std::size_t(y / 2) * w * 3;
        const std::uint8_t* luma = pair + std::size_t(y % 2) * w;
        const std::uint8_t* c1 = pair + 2 * w;
        const std::uint8_t* c2 = c1 + w / 2;
        for (int x = 0; x < l.width; ++x) {
            const Colour c = fromYcc(luma[x], c1[x / 2], c2[x / 2]);
            int tx = x, ty = y;
            switch (turns) {
            case 1: tx = l.height - 1 - y, ty = x; break;
            case 2: tx = l.width - 1 - x, ty = l.height - 1 - y; break;
            case 3: tx = y, ty = l.width - 1 - x; break;
            default: break;
            }
            picture.bgraRow(ty)[tx] = c;
        }
    }
    progress.report(1, 1);
    return picture;
}

}  // namespace imagedecode
