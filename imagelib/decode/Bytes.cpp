#include "imagelib/decode/Bytes.h"

namespace imagedecode {

void fail(Failure kind, std::string message)
{
    throw DecodeError(kind, std::move(message));
}

const std::uint8_t* Bytes::at(std::size_t offset, std::size_t count) const
{
    if (!has(offset, count))
        fail(Failure::Truncated, "The picture data is truncated");
    return data_ + offset;
}

std::uint16_t Bytes::u16(std::size_t offset) const
{
    const std::uint8_t* p = at(offset, 2);
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

std::uint32_t Bytes::u32(std::size_t offset) const
{
    const std::uint8_t* p = at(offset, 4);
    return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) |
           (std::uint32_t(p[3]) << 24);
}

std::uint16_t Bytes::u16be(std::size_t offset) const
{
    const std::uint8_t* p = at(offset, 2);
    return static_cast<std::uint16_t>((p[0] << 8) | p[1]);
}

std::uint32_t Bytes::u32be(std::size_t offset) const
{
    const std::uint8_t* p = at(offset, 4);
    return (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) | (std::uint32_t(p[2]) << 8) |
           std::uint32_t(p[3]);
}

}  // namespace imagedecode
