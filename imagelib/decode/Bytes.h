#pragma once
// Bounds-checked access to a picture file's bytes. Every header field comes
// from an untrusted file, so every read checks its range and a read past the
// end is a decoding failure, never a stray memory access.
#include "imagelib/decode/DecodeError.h"

#include <cstddef>
#include <cstdint>

namespace imagedecode {

class Bytes {
public:
    Bytes() = default;
    Bytes(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    std::size_t size() const { return size_; }
    const std::uint8_t* data() const { return data_; }
    bool has(std::size_t offset, std::size_t count) const { return offset <= size_ && count <= size_ - offset; }

    // The part [offset, offset + count); fails unless it lies inside.
    Bytes slice(std::size_t offset, std::size_t count) const { return Bytes(at(offset, count), count); }
    Bytes from(std::size_t offset) const { return slice(offset, offset <= size_ ? size_ - offset : 0); }
    const std::uint8_t* at(std::size_t offset, std::size_t count) const;

    std::uint8_t u8(std::size_t offset) const { return *at(offset, 1); }
    std::uint16_t u16(std::size_t offset) const;
    std::uint32_t u32(std::size_t offset) const;
    std::int32_t i32(std::size_t offset) const { return static_cast<std::int32_t>(u32(offset)); }
    std::uint16_t u16be(std::size_t offset) const;
    std::uint32_t u32be(std::size_t offset) const;

private:
    const std::uint8_t* data_ = nullptr;
    std::size_t size_ = 0;
};

}  // namespace imagedecode
