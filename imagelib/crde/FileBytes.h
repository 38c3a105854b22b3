#pragma once
// A whole picture file in memory, read only when it is a regular file (a
// named pipe would block the reader for ever) of a sane size.
#include <cstdint>
#include <vector>

namespace crde {

// Fills bytes and returns 1, or returns an error code.
std::int16_t readWholeFile(const char* path, std::vector<std::uint8_t>& bytes);

}  // namespace crde
