#include "ThumbnailPng.h"

#include <zlib.h>

#include <cstring>

namespace ThumbnailPng {
namespace {

constexpr char kSignature[] = "\x89PNG\r\n\x1a\n";
constexpr qsizetype kSignatureSize = 8;

quint32 be32(const char* p)
{
    const auto* u = reinterpret_cast<const unsigned char*>(p);
    return quint32(u[0]) << 24 | quint32(u[1]) << 16 | quint32(u[2]) << 8 | quint32(u[3]);
}

struct Chunk {
    QByteArrayView type;
    QByteArrayView data;
    QByteArrayView whole;  // length, type, data and CRC
};

// Calls use(chunk) for each chunk in order; false when the chunks do not
// tile the file up to IEND.
template <typename Use>
bool forEachChunk(QByteArrayView png, Use&& use)
{
    if (png.size() < kSignatureSize || std::memcmp(png.data(), kSignature, kSignatureSize) != 0)
        return false;
    qsizetype at = kSignatureSize;
    while (png.size() - at >= 12) {
        const quint32 length = be32(png.data() + at);
        if (length > quint32(png.size() - at - 12))
            return false;
        const Chunk chunk{png.sliced(at + 4, 4), png.sliced(at + 8, length), png.sliced(at, 12 + qsizetype(length))};
        use(chunk);
        if (chunk.type == "IEND")
            return true;
        at += 12 + qsizetype(length);
    }
    return false;
}

// zlib data inflated to at most kLongestText bytes; nothing when it is
// broken or longer.
std::optional<QByteArray> inflateText(QByteArrayView compressed)
{
    z_stream stream{};
    if (inflateInit(&stream) != Z_OK)
        return std::nullopt;
    QByteArray out(kLongestText + 1, Qt::Uninitialized);
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(compressed.data()));
    stream.avail_in = uInt(compressed.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = uInt(out.size());
    const int result = inflate(&stream, Z_FINISH);
    const qsizetype produced = out.size() - qsizetype(stream.avail_out);
    inflateEnd(&stream);
    if (result != Z_STREAM_END || produced > kLongestText)
        return std::nullopt;
    out.truncate(produced);
    return out;
}

QByteArrayView keyOf(const Chunk& chunk)
{
    const qsizetype end = chunk.data.indexOf('\0');
    return end < 0 ? QByteArrayView() : chunk.data.first(end);
}

// The value of a tEXt, zTXt or iTXt chunk whose key is key; nothing for
// another key or a broken chunk. Only a wanted value is ever inflated.
std::optional<QString> textValue(const Chunk& chunk, QByteArrayView key)
{
    if (keyOf(chunk) != key)
        return std::nullopt;
    QByteArrayView rest = chunk.data.sliced(key.size() + 1);
    if (chunk.type == "tEXt")
        return rest.size() <= kLongestText ? std::optional(QString::fromLatin1(rest)) : std::nullopt;
    if (chunk.type == "zTXt") {
        if (rest.isEmpty() || rest[0] != 0)
            return std::nullopt;
        const auto text = inflateText(rest.sliced(1));
        return text ? std::optional(QString::fromLatin1(*text)) : std::nullopt;
    }
    // iTXt: compression flag and method, language tag, translated key, text.
    if (rest.size() < 2)
        return std::nullopt;
    const bool compressed = rest[0] != 0;
    rest = rest.sliced(2);
    for (int skip = 0; skip < 2; ++skip) {
        const qsizetype zero = rest.indexOf('\0');
        if (zero < 0)
            return std::nullopt;
        rest = rest.sliced(zero + 1);
    }
    if (!compressed)
        return rest.size() <= kLongestText ? std::optional(QString::fromUtf8(rest)) : std::nullopt;
    const auto text = inflateText(rest);
    return text ? std::optional(QString::fromUtf8(*text)) : std::nullopt;
}

}  // namespace

std::optional<Header> readHeader(QByteArrayView png)
{
    if (png.size() > kLargestFile)
        return std::nullopt;
    Header header;
    bool first = true, sound = true, seenUri = false, seenMtime = false;
    const bool tiled = forEachChunk(png, [&](const Chunk& chunk) {
        if (first) {
            first = false;
            sound = chunk.type == "IHDR" && chunk.data.size() == 13;
            if (sound)
                header.size = QSize(int(qMin<quint32>(be32(chunk.data.data()), INT_MAX)),
                                    int(qMin<quint32>(be32(chunk.data.data() + 4), INT_MAX)));
            return;
        }
        if (chunk.type != "tEXt" && chunk.type != "zTXt" && chunk.type != "iTXt")
            return;
        // Only the first of each key counts, so a file cannot make us inflate
        // one text after another.
        if (!seenUri && (seenUri = keyOf(chunk) == "Thumb::URI"))
            header.uri = textValue(chunk, "Thumb::URI").value_or(QString());
        else if (!seenMtime && (seenMtime = keyOf(chunk) == "Thumb::MTime"))
            header.mtime = textValue(chunk, "Thumb::MTime").value_or(QString());
    });
    if (!tiled || !sound || header.size.isEmpty())
        return std::nullopt;
    return header;
}

QImage decodePixels(QByteArrayView png)
{
    if (png.size() > kLargestFile)
        return {};
    QByteArray picture(kSignature, kSignatureSize);
    const bool tiled = forEachChunk(png, [&](const Chunk& chunk) {
        if (chunk.type == "IHDR" || chunk.type == "PLTE" || chunk.type == "tRNS" || chunk.type == "IDAT"
            || chunk.type == "IEND")
            picture.append(chunk.whole.data(), chunk.whole.size());
    });
    return tiled ? QImage::fromData(picture, "png") : QImage();
}

}  // namespace ThumbnailPng
