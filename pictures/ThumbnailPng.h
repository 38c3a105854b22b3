#pragma once
// A thumbnail file of the shared cache read with bounds: anyone can plant one
// there, so its size, its pixel size and its text are checked before a pixel
// is decoded, and compressed text is inflated only so far.
#include <QByteArray>
#include <QByteArrayView>
#include <QImage>
#include <QSize>
#include <QString>

#include <optional>

namespace ThumbnailPng {

// A cached thumbnail is small; a larger file is not one.
constexpr qint64 kLargestFile = 512 << 10;
// A text value longer than this (a file's address, a time) is not ours.
constexpr qsizetype kLongestText = 64 << 10;

struct Header {
    QSize size;
    QString uri;    // Thumb::URI
    QString mtime;  // Thumb::MTime
};

// The header and the two values that tell whether the thumbnail is still
// valid; nothing for bytes that are no sound PNG.
std::optional<Header> readHeader(QByteArrayView png);

// The pixels, decoded from the picture's own chunks alone (no text, no
// other ancillary chunk reaches the decoder).
QImage decodePixels(QByteArrayView png);

}  // namespace ThumbnailPng
