#include "pictures/IconDecoder.h"

#include "pictures/BitmapDecoder.h"
#include "pictures/PngDecoder.h"

#include <algorithm>
#include <optional>
#include <vector>

namespace {

constexpr std::size_t kDirectoryHeader = 6;
constexpr std::size_t kEntrySize = 16;

struct Candidate {
    PictureBytes data;
    std::int64_t area = 0;
    int bitCount = 0;
};

// The entry's true size and depth come from its own header: the directory's
// byte-sized width and height cannot describe 256 and larger and often lie.
std::optional<Candidate> probe(PictureBytes data)
{
    try {
        if (isPng(data)) {
            const QSize size = pngSize(data);
            return Candidate{data, std::int64_t(size.width()) * size.height(), 32};
        }
        const BitmapShape shape = iconBitmapShape(data);
        return Candidate{data, std::int64_t(shape.width) * shape.height, shape.bitCount};
    } catch (const EInvalidGraphic&) {
        return std::nullopt;  // a broken entry is skipped; another may be good
    }
}

QImage decodeEntry(PictureBytes data)
{
    return isPng(data) ? decodePng(data) : decodeIconBitmap(data);
}

}  // namespace

QImage decodeIcon(PictureBytes file)
{
    // Type 1 is an icon, 2 a cursor; both share the layout.
    if (file.size() < kDirectoryHeader || file.u16(0) != 0 || (file.u16(2) != 1 && file.u16(2) != 2))
        pictureFailure(QStringLiteral("Not an icon file"));
    const int count = file.u16(4);
    if (count == 0)
        pictureFailure(QStringLiteral("The icon file holds no pictures"));

    std::vector<Candidate> candidates;
    for (int i = 0; i < count; ++i) {
        const std::size_t at = kDirectoryHeader + kEntrySize * i;
        const std::uint32_t size = file.u32(at + 8);
        const std::uint32_t offset = file.u32(at + 12);
        if (!file.has(offset, size) || offset < kDirectoryHeader)
            continue;
        if (auto c = probe(file.slice(offset, size)))
            candidates.push_back(*c);
    }
    if (candidates.empty())
        pictureFailure(QStringLiteral("The icon file holds no usable picture"));
    std::stable_sort(candidates.begin(), candidates.end(), [](const Candidate& a, const Candidate& b) {
        return a.area != b.area ? a.area > b.area : a.bitCount > b.bitCount;
    });
    // The best entry may still be broken past its header; fall back to the
    // next best and report the first failure only when none decodes.
    std::optional<EInvalidGraphic> firstFailure;
    for (const Candidate& c : candidates) {
        try {
            return decodeEntry(c.data);
        } catch (const EInvalidGraphic& e) {
            if (!firstFailure)
                firstFailure = e;
        }
    }
    throw *firstFailure;
}
