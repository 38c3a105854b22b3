#pragma once
// The screen window's JPEG policy: a picture shown at half its size or less
// is decoded reduced, which libjpeg's inverse DCT does for far less work than
// decoding everything and scaling down afterwards.
#include <QByteArray>
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

// Decodes at the scale jpegScaleFor() picks for display (an invalid display:
// full size); fails with EInvalidGraphic.
DecodedJpeg decodeJpeg(const QByteArray& data, QSize display);
