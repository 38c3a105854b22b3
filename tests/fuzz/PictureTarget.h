#pragma once
// Shared body of the picture readers' fuzz targets: decodes the input the way
// both callers do (the libraries keep colour tables, the screen window wants
// 32-bit pixels), touches every decoded byte and turns the result into a
// bitmap block as the reading library hands it out.
#include "imagelib/block/Block.h"
#include "imagelib/decode/Bytes.h"
#include "imagelib/decode/Picture.h"

#include <cstddef>
#include <cstdint>

// Bounds for fuzzing: small enough that a legal picture never looks like a leak
// or an out-of-memory to the fuzzer, large enough for every code path.
inline constexpr imagedecode::Limits kFuzzLimits{8192, 4 * 1024 * 1024, 16 * 1024 * 1024};

// Keeps the reads of every decoded byte from being optimised away.
inline volatile unsigned fuzzSink;

template <typename Decode>
void fuzzPicture(const std::uint8_t* data, std::size_t size, Decode decode)
{
    const imagedecode::Bytes bytes(data, size);
    for (const bool keepIndexed : {true, false}) {
        try {
            const imagedecode::Options options{kFuzzLimits, keepIndexed, [](int) { return true; }};
            const imagedecode::Picture picture = decode(bytes, options);
            unsigned sum = 0;
            for (int y = 0; y < picture.height(); ++y)
                for (std::size_t x = 0; x < picture.stride(); ++x)
                    sum += picture.row(y)[x];
            ilblock::freeBlock(ilblock::blockFromPicture(picture));
            fuzzSink = sum;
        } catch (const imagedecode::DecodeError&) {
        }
    }
}
