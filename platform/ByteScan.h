#pragma once
// Finding the next of a few bytes in long texts, for the readers and writers
// of the store and playlist text.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstring>

// The next place of any of a few bytes. Each byte is looked for with memchr
// and looked for again only once its place has been passed, so a long text
// holding few of one of them is still scanned once.
template <std::size_t N>
class NextOf {
public:
    NextOf(const std::array<char, N>& bytes, const char* end) : bytes_(bytes), end_(end) { next_.fill(nullptr); }
    // The first of the bytes at or after p, or the end.
    const char* from(const char* p)
    {
        const char* first = end_;
        for (std::size_t i = 0; i < N; ++i) {
            if (next_[i] < p) {
                const void* found = std::memchr(p, bytes_[i], std::size_t(end_ - p));
                next_[i] = found ? static_cast<const char*>(found) : end_;
            }
            first = std::min(first, next_[i]);
        }
        return first;
    }

private:
    std::array<char, N> bytes_;
    const char* end_;
    std::array<const char*, N> next_;
};
