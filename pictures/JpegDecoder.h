#pragma once
// JPEG pictures through libjpeg, optionally reduced while decoding: the
// inverse DCT can produce n/8 of the picture (n = 1..8) for far less work
// than decoding everything and scaling down afterwards.
#include "pictures/PictureBytes.h"

#include <QImage>
#include <QSize>

inline constexpr int kJpegFullScale = 8;
inline constexpr int kJpegHalfScale = 4;

// The scale numerator (over 8) to decode at for a picture shown at display
// size. Reduction pays only when the picture is shown at half size or less
// (the half-scale output covers display); then the smallest n/8 whose output
// covers display in both directions.
int jpegScaleFor(QSize full, QSize display);

// The size libjpeg produces at scale n/8.
QSize jpegScaledSize(QSize full, int scale);

struct DecodedJpeg {
    QSize fullSize;
    QImage image;
    int scale = kJpegFullScale;
};

// Decodes into a 32-bit picture at the scale jpegScaleFor() picks for display
// (an invalid display: full size). A file cut short shows what was decoded
// before the cut, provided that is at least one row of blocks.
DecodedJpeg decodeJpeg(PictureBytes data, QSize display);
