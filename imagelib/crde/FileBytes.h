#pragma once
// A picture file's bytes in memory, read only when it is a regular file (a
// named pipe would block the reader for ever) of a sane size: the whole file
// for a decoder, or only its head where the header is all that is needed.
#include "imagelib/decode/Bytes.h"

#include <cstddef>
#include <cstdint>
#include <memory>

namespace crde {

struct FileBytes {
    // Not zero-filled: every byte up to size comes from the file.
    std::unique_ptr<std::uint8_t[]> data;
    std::size_t size = 0;
    // The file's size when it was opened; more than size for a head.
    std::uint64_t fileSize = 0;

    imagedecode::Bytes bytes() const { return {data.get(), size}; }
    bool whole() const { return size >= fileSize; }
};

// Enough for the header of every format: JPEG's application segments before
// the frame header, the Photo CD's image pack information.
inline constexpr std::size_t kHeadBytes = std::size_t(256) << 10;

// Fills file with the first limit bytes (the whole file when it is shorter)
// and returns 1, or returns an error code.
std::int16_t readFileBytes(const char* path, std::size_t limit, FileBytes& file);
std::int16_t readWholeFile(const char* path, FileBytes& file);

}  // namespace crde
