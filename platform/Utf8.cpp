#include "Utf8.h"

#include <QVarLengthArray>

#include <cstdint>
#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

bool isStrictUtf8(const char* data, qsizetype size)
{
    const auto* p = reinterpret_cast<const unsigned char*>(data);
    const auto* end = p + size;
    while (p < end) {
        const unsigned char c = *p;
        if (c < 0x80) {
            ++p;
            // Runs of ASCII eight bytes at a time.
            std::uint64_t word = 0;
            while (end - p >= 8 && (std::memcpy(&word, p, 8), (word & 0x8080808080808080ULL) == 0))
                p += 8;
            continue;
        }
        // Two-byte characters (Cyrillic among them) need no range checks
        // beyond their lead byte.
        if (c >= 0xC2 && c <= 0xDF) {
            if (end - p < 2 || (p[1] & 0xC0) != 0x80)
                return false;
            p += 2;
            continue;
        }
        int extra = 0;
        unsigned char lo = 0x80, hi = 0xBF;  // allowed range of the second byte
        if (c >= 0xE0 && c <= 0xEF) {
            extra = 2;
            if (c == 0xE0)
                lo = 0xA0;  // overlong
            else if (c == 0xED)
                hi = 0x9F;  // surrogates
        } else if (c >= 0xF0 && c <= 0xF4) {
            extra = 3;
            if (c == 0xF0)
                lo = 0x90;  // overlong
            else if (c == 0xF4)
                hi = 0x8F;  // above U+10FFFF
        } else {
            return false;
        }
        if (end - p <= extra || p[1] < lo || p[1] > hi)
            return false;
        for (int i = 2; i <= extra; ++i)
            if ((p[i] & 0xC0) != 0x80)
                return false;
        p += extra + 1;
    }
    return true;
}

namespace {

bool isContinuation(unsigned char c)
{
    return (c & 0xC0) == 0x80;
}

}  // namespace

QString fromCheckedUtf8(const char* data, qsizetype size)
{
    // One pass into a buffer on the stack (for lines of ordinary length),
    // then one allocation of the exact size.
    QVarLengthArray<char16_t, 512> units(size + 1);
    char16_t* out = units.data();
    const auto* p = reinterpret_cast<const unsigned char*>(data);
    const auto* end = p + size;
    while (p < end) {
#ifdef __SSE2__
        // Runs of ASCII sixteen bytes at a time. The units never outnumber
        // the bytes, so sixteen of them always fit.
        if (end - p >= 16) {
            const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
            const int high = _mm_movemask_epi8(bytes);
            const int ascii = high ? __builtin_ctz(unsigned(high)) : 16;
            if (ascii > 0) {
                const __m128i zero = _mm_setzero_si128();
                _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_unpacklo_epi8(bytes, zero));
                _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 8), _mm_unpackhi_epi8(bytes, zero));
                p += ascii;
                out += ascii;
                continue;
            }
        }
#endif
        const unsigned char c = *p++;
        if (c < 0x80) {
            *out++ = c;
            continue;
        }
        // Two-byte characters (Cyrillic among them) are always whole here.
        if (c >= 0xC2 && c <= 0xDF && p < end && isContinuation(*p)) {
            *out++ = char16_t((c & 0x1F) << 6 | (*p++ & 0x3F));
            continue;
        }
        if (isContinuation(c)) {
            *out++ = 0xFFFD;  // stray
            continue;
        }
        const int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : 1;
        char32_t code = c & (0x3F >> extra);
        int taken = 0;
        for (; taken < extra && p < end && isContinuation(*p); ++taken)
            code = code << 6 | (*p++ & 0x3F);
        if (c >= 0xF0) {
            if (taken == 3 && c <= 0xF4 && code >= 0x10000 && code <= 0x10FFFF) {
                *out++ = char16_t(0xD800 + ((code - 0x10000) >> 10));
                *out++ = char16_t(0xDC00 + ((code - 0x10000) & 0x3FF));
            } else {
                *out++ = 0xFFFD;
            }
        } else {
            const bool whole = taken == extra && code >= (extra == 1 ? 0x80u : 0x800u)
                               && (code < 0xD800 || code > 0xDFFF);
            *out++ = whole ? char16_t(code) : char16_t(0xFFFD);
        }
    }
    return QString(reinterpret_cast<const QChar*>(units.data()), out - units.data());
}
