#include "YuvToRgb.h"

#include <algorithm>
#include <cmath>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace {

// The fixed-point steps, one pixel at a time. A sample s becomes the signed
// byte s − 128 spread over both bytes of a 16-bit word; products keep their
// high 16 bits; sums wrap at 16 bits and clamp to a signed byte at the end.
std::int16_t spread(std::uint8_t sample)
{
    const auto centred = std::uint8_t(sample ^ 0x80);
    return std::int16_t(std::uint16_t(centred << 8 | centred));
}

std::int16_t highProduct(std::int16_t a, std::int16_t b) { return std::int16_t((std::int32_t(a) * b) >> 16); }

std::int16_t wrapAdd(std::int16_t a, std::int16_t b) { return std::int16_t(std::uint16_t(a) + std::uint16_t(b)); }

std::uint8_t toByte(std::int16_t value) { return std::uint8_t(std::clamp<int>(value, -128, 127) + 128); }

void pixel(std::uint8_t y, std::uint8_t u, std::uint8_t v, std::uint8_t* out, const YuvToRgbCoefficients& k)
{
    const std::int16_t wy = highProduct(spread(y), k.y);
    const std::int16_t wu = spread(u);
    const std::int16_t wv = spread(v);
    out[0] = toByte(wrapAdd(wy, highProduct(wu, k.ub)));
    out[1] = toByte(wrapAdd(wrapAdd(wy, highProduct(wu, k.ug)), highProduct(wv, k.vg)));
    out[2] = toByte(wrapAdd(wy, highProduct(wv, k.vr)));
    out[3] = 255;
}

void pixels(const std::uint8_t* y, const std::uint8_t* u, const std::uint8_t* v, int from, int to, std::uint8_t* out,
            const YuvToRgbCoefficients& k)
{
    for (int x = from; x < to; ++x)
        pixel(y[x], u[x / 2], v[x / 2], out + std::ptrdiff_t(x - from) * 4, k);
}

#if defined(__x86_64__)

// Eight chroma samples, centred and spread, each serving two neighbouring pixels.
__attribute__((target("avx2"))) __m256i chroma16(const std::uint8_t* c, __m128i flip)
{
    const __m128i bytes = _mm_xor_si128(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(c)), flip);
    const __m128i words = _mm_unpacklo_epi8(bytes, bytes);
    return _mm256_set_m128i(_mm_unpackhi_epi16(words, words), _mm_unpacklo_epi16(words, words));
}

// 16 pixels from an even column: the same steps as pixel(), 16 lanes wide.
__attribute__((target("avx2"))) void sixteen(const std::uint8_t* y, const std::uint8_t* u, const std::uint8_t* v,
                                             std::uint8_t* out, const __m256i* k)
{
    const __m128i flip = _mm_set1_epi8(char(0x80));
    const __m128i luma = _mm_xor_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(y)), flip);
    const __m256i wy0 = _mm256_set_m128i(_mm_unpackhi_epi8(luma, luma), _mm_unpacklo_epi8(luma, luma));
    const __m256i wu = chroma16(u, flip);
    const __m256i wv = chroma16(v, flip);
    const __m256i wy = _mm256_mulhi_epi16(wy0, k[0]);
    const __m256i r = _mm256_add_epi16(wy, _mm256_mulhi_epi16(wv, k[1]));
    const __m256i b = _mm256_add_epi16(wy, _mm256_mulhi_epi16(wu, k[2]));
    const __m256i g =
        _mm256_add_epi16(_mm256_add_epi16(wy, _mm256_mulhi_epi16(wu, k[3])), _mm256_mulhi_epi16(wv, k[4]));
    // Per 128-bit lane: eight blues then eight greens, eight reds then eight alphas.
    const __m256i bg = _mm256_packs_epi16(b, g);
    const __m256i ra = _mm256_packs_epi16(r, _mm256_set1_epi16(127));
    const __m256i bgPairs = _mm256_unpacklo_epi8(bg, _mm256_srli_si256(bg, 8));
    const __m256i raPairs = _mm256_unpacklo_epi8(ra, _mm256_srli_si256(ra, 8));
    const __m256i flip256 = _mm256_set1_epi8(char(0x80));
    const __m256i low = _mm256_xor_si256(_mm256_unpacklo_epi16(bgPairs, raPairs), flip256);
    const __m256i high = _mm256_xor_si256(_mm256_unpackhi_epi16(bgPairs, raPairs), flip256);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out), _mm256_permute2x128_si256(low, high, 0x20));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 32), _mm256_permute2x128_si256(low, high, 0x31));
}

__attribute__((target("avx2"))) void row(const std::uint8_t* y, const std::uint8_t* u, const std::uint8_t* v,
                                         int left, int width, std::uint8_t* out, const YuvToRgbCoefficients& k)
{
    const __m256i factors[5] = {_mm256_set1_epi16(k.y), _mm256_set1_epi16(k.vr), _mm256_set1_epi16(k.ub),
                                _mm256_set1_epi16(k.ug), _mm256_set1_epi16(k.vg)};
    const int end = left + width;
    // An odd first column shares its chroma sample with the column before it.
    int x = left;
    if (x % 2 != 0 && x < end) {
        pixels(y, u, v, x, x + 1, out, k);
        ++x;
    }
    for (; x + 16 <= end; x += 16)
        sixteen(y + x, u + x / 2, v + x / 2, out + std::ptrdiff_t(x - left) * 4, factors);
    pixels(y, u, v, x, end, out + std::ptrdiff_t(x - left) * 4, k);
}

#endif

}  // namespace

YuvToRgbCoefficients yuvToRgbCoefficients(double kr, double kb, int lumaRange, int chromaRange)
{
    const double kg = 1.0 - kr - kb;
    const double luma = 255.0 / lumaRange;
    const double chroma = 255.0 / chromaRange;
    auto fixed = [](double value) { return std::int16_t(std::lrint(value * 256.0)); };
    YuvToRgbCoefficients k;
    k.y = fixed(luma);
    k.vr = fixed(2.0 * (1.0 - kr) * chroma);
    k.ub = fixed(2.0 * (1.0 - kb) * chroma);
    k.ug = fixed(-2.0 * kb * (1.0 - kb) / kg * chroma);
    k.vg = fixed(-2.0 * kr * (1.0 - kr) / kg * chroma);
    return k;
}

bool yuv420ToBgraIsFast()
{
#if defined(__x86_64__)
    static const bool avx2 = __builtin_cpu_supports("avx2");
    return avx2;
#else
    return false;
#endif
}

void yuv420ToBgra(const Yuv420Picture& picture, int left, int top, int width, int height, std::uint8_t* dest,
                  std::ptrdiff_t destStride, const YuvToRgbCoefficients& k)
{
    for (int line = top; line < top + height; ++line) {
        const std::uint8_t* y = picture.y + line * picture.yStride;
        const std::uint8_t* u = picture.u + (line / 2) * picture.uStride;
        const std::uint8_t* v = picture.v + (line / 2) * picture.vStride;
        std::uint8_t* out = dest + std::ptrdiff_t(line - top) * destStride;
#if defined(__x86_64__)
        if (yuv420ToBgraIsFast()) {
            row(y, u, v, left, width, out, k);
            continue;
        }
#endif
        pixels(y, u, v, left, left + width, out, k);
    }
}
