#pragma once
// JPEG pictures through libjpeg, optionally reduced while decoding: the
// inverse DCT can produce n/8 of the picture (n = 1..8) for far less work
// than decoding everything and scaling down afterwards.
#include "pictures/PictureBytes.h"

#include <QImage>
#include <QSize>

inline constexpr int kJpegFullScale = 8;
inline constexpr int kJpegHalfScale = 4;

// The picture's full size from its header; fails for a broken header or a
// picture beyond the size limits.
QSize jpegSize(PictureBytes data);

// The scale numerator (over 8) to decode at for a picture shown at display
// size. Reduction pays only when the picture is shown at half size or less
// (the half-scale output covers display); then the smallest n/8 whose output
// covers display in both directions.
int jpegScaleFor(QSize full, QSize display);

// The size libjpeg produces at scale n/8.
QSize jpegScaledSize(QSize full, int scale);

// Decodes at scale n/8 into a 32-bit picture. A file cut short shows what was
// decoded before the cut, provided that is at least one row of blocks.
QImage decodeJpeg(PictureBytes data, int scale);
