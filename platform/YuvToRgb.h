#pragma once
// Y'CbCr 4:2:0 8-bit to 32-bit BGRA, the conversion every decoded H.264 or
// MPEG picture needs before it reaches the screen. It computes exactly what
// GStreamer's own converter computes for these formats (same fixed-point
// steps, same rounding), with wider vector instructions where the processor
// has them, and writes only the pixels it is given.
#include <cstdint>
#include <cstddef>

struct YuvToRgbCoefficients {
    // Multipliers in 1/256 units: luma, Cr to red, Cb to blue, Cb and Cr to green.
    std::int16_t y = 0;
    std::int16_t vr = 0;
    std::int16_t ub = 0;
    std::int16_t ug = 0;
    std::int16_t vg = 0;
};

// Builds the multipliers of a colour matrix from its red and blue weights and
// the luma and chroma ranges (219 and 224 for studio range, 255 for full).
YuvToRgbCoefficients yuvToRgbCoefficients(double kr, double kb, int lumaRange, int chromaRange);

struct Yuv420Picture {
    const std::uint8_t* y = nullptr;
    const std::uint8_t* u = nullptr;
    const std::uint8_t* v = nullptr;
    std::ptrdiff_t yStride = 0;
    std::ptrdiff_t uStride = 0;
    std::ptrdiff_t vStride = 0;
};

// Whether yuv420ToBgra runs faster than GStreamer here; elsewhere it is left to GStreamer.
bool yuv420ToBgraIsFast();

// Converts the width × height pixels at (left, top) of the picture into dest,
// whose rows are destStride bytes apart; a pixel takes the chroma sample
// under it (column / 2, row / 2). Alpha is 255.
void yuv420ToBgra(const Yuv420Picture& picture, int left, int top, int width, int height, std::uint8_t* dest,
                  std::ptrdiff_t destStride, const YuvToRgbCoefficients& k);
