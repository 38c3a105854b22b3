#include "imagelib/decode/IconDecoder.h"

#include "imagelib/decode/BitmapDecoder.h"
#include "imagelib/decode/PngDecoder.h"

#include <optional>

namespace imagedecode {
namespace {

constexpr std::size_t kDirectoryHeader = 6;
constexpr std::size_t kEntrySize = 16;

struct Candidate {
    Bytes data;
    std::int64_t area = 0;
    int bitCount = 0;
};

// The entry's true size and depth come from its own header: the directory's
// byte-sized width and height cannot describe 256 and larger and often lie.
std::optional<Candidate> probe(Bytes data)
{
    try {
        const PictureInfo info = looksLikePng(data) ? pngInfo(data) : iconBitmapInfo(data);
        if (info.width <= 0 || info.height <= 0)
            return std::nullopt;
        return Candidate{data, std::int64_t(info.width) * info.height, looksLikePng(data) ? 32 : info.bitCount};
    } catch (const DecodeError&) {
        return std::nullopt;  // an entry with a broken header is not a candidate
    }
}

}  // namespace

Picture decodeIcon(Bytes file, const Options& options)
{
    // Type 1 is an icon, 2 a cursor; both share the layout.
    if (file.size() < kDirectoryHeader || file.u16(0) != 0 || (file.u16(2) != 1 && file.u16(2) != 2))
        fail(Failure::NotThisFormat, "Not an icon file");
    const int count = file.u16(4);
    if (count == 0)
        fail(Failure::Corrupt, "The icon file holds no pictures");

    std::optional<Candidate> best;
    for (int i = 0; i < count; ++i) {
        const std::size_t at = kDirectoryHeader + kEntrySize * std::size_t(i);
        if (!file.has(at, kEntrySize))
            break;
        const std::uint32_t size = file.u32(at + 8);
        const std::uint32_t offset = file.u32(at + 12);
        if (!file.has(offset, size) || offset < kDirectoryHeader)
            continue;
        const std::optional<Candidate> c = probe(file.slice(offset, size));
        if (c && (!best || c->area > best->area || (c->area == best->area && c->bitCount > best->bitCount)))
            best = c;
    }
    if (!best)
        fail(Failure::Corrupt, "The icon file holds no usable picture");
    return looksLikePng(best->data) ? decodePng(best->data, options) : decodeIconBitmap(best->data, options);
}

}  // namespace imagedecode
