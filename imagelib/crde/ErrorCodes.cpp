#include "imagelib/crde/ErrorCodes.h"

namespace crde {

std::int16_t codeFor(imagedecode::Failure failure)
{
    using imagedecode::Failure;
    switch (failure) {
    case Failure::NotThisFormat: return kWrongFormat;
    case Failure::Corrupt: return kCorrupt;
    case Failure::Truncated: return kTruncated;
    case Failure::TooLarge: return kTooLarge;
    case Failure::Unsupported: return kUnsupported;
    case Failure::OutOfMemory: return kOutOfMemory;
    case Failure::Cancelled: return kCancelled;
    case Failure::NoSuchPage: return kNoSuchPage;
    }
    return kInternal;
}

const char* errorText(int code)
{
    // Codes travel as 16-bit values; -2 and 65534 are the same code.
    switch (std::int16_t(std::uint16_t(code))) {
    case 0: return "No picture was read";
    case kCannotOpen: return "Cannot open the picture file";
    case kCannotRead: return "Cannot read the picture file";
    case kWrongFormat: return "The file is not a picture of this format";
    case kCorrupt: return "The picture data is corrupt";
    case kTruncated: return "The picture data is truncated";
    case kTooLarge: return "The picture is too large";
    case kUnsupported: return "This kind of picture is not supported";
    case kOutOfMemory: return "Not enough memory for the picture";
    case kCancelled: return "Reading the picture was cancelled";
    case kNoSuchPage: return "The file has no such page";
    case kBadArgument: return "Invalid argument";
    case kInternal: return "Internal error while reading the picture";
    case kEpsNotSupported: return "EPS pictures are not supported";
    default: return "Unknown error";
    }
}

}  // namespace crde
