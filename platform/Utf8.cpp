#include "Utf8.h"

#include <QVarLengthArray>

#include <cstdint>
#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif
#ifdef __x86_64__
#include <immintrin.h>
#endif

namespace {

bool scalarIsStrictUtf8(const char* data, qsizetype size)
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

#ifdef __x86_64__
// Thirty-two bytes at a time, after Keiser and Lemire's "Validating UTF-8 in
// less than one instruction per byte": three table look-ups classify each
// byte by its high nibble, its predecessor's high and low nibbles; a bit
// left set in all three marks an error. What those two bytes cannot tell
// (a third or fourth byte that should be a continuation) is checked from
// the bytes two and three places back.
namespace Avx2Utf8 {

constexpr std::uint8_t kTooShort = 1 << 0;   // a lead or ASCII byte where a continuation should be
constexpr std::uint8_t kTooLong = 1 << 1;    // a continuation after ASCII
constexpr std::uint8_t kOverlong3 = 1 << 2;  // E0 80..9F
constexpr std::uint8_t kTooLarge = 1 << 3;   // F4 90..BF, F5..FF 90..BF
constexpr std::uint8_t kSurrogate = 1 << 4;  // ED A0..BF
constexpr std::uint8_t kOverlong2 = 1 << 5;  // C0, C1
constexpr std::uint8_t kTooLarge1000 = 1 << 6;  // F5..FF 80..8F
constexpr std::uint8_t kOverlong4 = 1 << 6;     // F0 80..8F
constexpr std::uint8_t kTwoConts = 1 << 7;      // a continuation after a continuation
constexpr std::uint8_t kCarry = kTooShort | kTooLong | kTwoConts;

__attribute__((target("avx2"))) __m256i table(const std::uint8_t (&t)[16])
{
    return _mm256_broadcastsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(t)));
}

// input shifted by n bytes, the bytes before it coming from the previous block.
template <int n>
__attribute__((target("avx2"))) __m256i previous(__m256i input, __m256i before)
{
    return _mm256_alignr_epi8(input, _mm256_permute2x128_si256(before, input, 0x21), 16 - n);
}

struct Checker {
    __m256i error, before;
    __m256i incomplete;  // the previous block ends inside a character

    __attribute__((target("avx2"))) Checker()
        : error(_mm256_setzero_si256()), before(_mm256_setzero_si256()), incomplete(_mm256_setzero_si256())
    {
    }

    __attribute__((target("avx2"))) void block(__m256i input)
    {
        if (_mm256_movemask_epi8(input) == 0) {
            error = _mm256_or_si256(error, incomplete);
            before = input;
            incomplete = _mm256_setzero_si256();
            return;
        }
        static const std::uint8_t high1[16] = {
            kTooLong, kTooLong, kTooLong, kTooLong, kTooLong, kTooLong, kTooLong, kTooLong,
            kTwoConts, kTwoConts, kTwoConts, kTwoConts,
            kTooShort | kOverlong2,
            kTooShort,
            kTooShort | kOverlong3 | kSurrogate,
            kTooShort | kTooLarge | kTooLarge1000 | kOverlong4};
        static const std::uint8_t low1[16] = {
            kCarry | kOverlong3 | kOverlong2 | kOverlong4,
            kCarry | kOverlong2,
            kCarry,
            kCarry,
            kCarry | kTooLarge,
            kCarry | kTooLarge | kTooLarge1000,
            kCarry | kTooLarge | kTooLarge1000,
            kCarry | kTooLarge | kTooLarge1000,
            kCarry | kTooLarge | kTooLarge1000,
            kCarry | kTooLarge | kTooLarge1000,
            kCarry | kTooLarge | kTooLarge1000,
            kCarry | kTooLarge | kTooLarge1000,
            kCarry | kTooLarge | kTooLarge1000,
            kCarry | kTooLarge | kTooLarge1000 | kSurrogate,
            kCarry | kTooLarge | kTooLarge1000,
            kCarry | kTooLarge | kTooLarge1000};
        static const std::uint8_t high2[16] = {
            kTooShort, kTooShort, kTooShort, kTooShort, kTooShort, kTooShort, kTooShort, kTooShort,
            kTooLong | kOverlong2 | kTwoConts | kOverlong3 | kTooLarge1000 | kOverlong4,
            kTooLong | kOverlong2 | kTwoConts | kOverlong3 | kTooLarge,
            kTooLong | kOverlong2 | kTwoConts | kSurrogate | kTooLarge,
            kTooLong | kOverlong2 | kTwoConts | kSurrogate | kTooLarge,
            kTooShort, kTooShort, kTooShort, kTooShort};
        const __m256i nibble = _mm256_set1_epi8(0x0F);
        const __m256i prev1 = previous<1>(input, before);
        const __m256i special = _mm256_and_si256(
            _mm256_and_si256(
                _mm256_shuffle_epi8(table(high1), _mm256_and_si256(_mm256_srli_epi16(prev1, 4), nibble)),
                _mm256_shuffle_epi8(table(low1), _mm256_and_si256(prev1, nibble))),
            _mm256_shuffle_epi8(table(high2), _mm256_and_si256(_mm256_srli_epi16(input, 4), nibble)));
        // Two places after a three- or four-byte lead, three after a four-byte
        // one, must be a continuation: the high bit left by the subtraction.
        const __m256i third = _mm256_subs_epu8(previous<2>(input, before), _mm256_set1_epi8(char(0xE0 - 0x80)));
        const __m256i fourth = _mm256_subs_epu8(previous<3>(input, before), _mm256_set1_epi8(char(0xF0 - 0x80)));
        const __m256i must = _mm256_and_si256(_mm256_or_si256(third, fourth), _mm256_set1_epi8(char(0x80)));
        error = _mm256_or_si256(error, _mm256_xor_si256(must, special));
        // A lead byte among the last three that its character would not fit after.
        const __m256i last = _mm256_setr_epi8(-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,
                                              -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,
                                              char(0xF0 - 1), char(0xE0 - 1), char(0xC0 - 1));
        incomplete = _mm256_subs_epu8(input, last);
        before = input;
    }
};

__attribute__((target("avx2"))) bool isStrictUtf8(const char* data, qsizetype size)
{
    Checker check;
    qsizetype at = 0;
    for (; size - at >= 32; at += 32)
        check.block(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(data + at)));
    if (at < size) {
        // The rest padded with ASCII, which ends any character left open.
        alignas(32) char tail[32] = {};
        std::memcpy(tail, data + at, size_t(size - at));
        check.block(_mm256_load_si256(reinterpret_cast<const __m256i*>(tail)));
    }
    const __m256i error = _mm256_or_si256(check.error, check.incomplete);
    return _mm256_testz_si256(error, error);
}

}  // namespace Avx2Utf8
#endif

}  // namespace

bool isStrictUtf8(const char* data, qsizetype size)
{
#ifdef __x86_64__
    static const bool avx2 = __builtin_cpu_supports("avx2");
    // Below a block's length the table set-up costs more than it saves.
    if (avx2 && size >= 32)
        return Avx2Utf8::isStrictUtf8(data, size);
#endif
    return scalarIsStrictUtf8(data, size);
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
