#pragma once
// The reading library's error codes (all below 1) and their texts.
#include "imagelib/decode/DecodeError.h"

#include <cstdint>

namespace crde {

enum ErrorCode : std::int16_t {
    kCannotOpen = -2,
    kCannotRead = -3,
    kWrongFormat = -4,
    kCorrupt = -5,
    kTruncated = -6,
    kTooLarge = -7,
    kUnsupported = -8,
    kOutOfMemory = -9,
    kCancelled = -10,
    kNoSuchPage = -11,
    kBadArgument = -12,
    kInternal = -13,
    kEpsNotSupported = -14,
};

std::int16_t codeFor(imagedecode::Failure failure);
const char* errorText(int code);

}  // namespace crde
