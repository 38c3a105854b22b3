#pragma once
// The one failure of the decoding layer: what went wrong, as a kind the
// callers map to their own error codes, and a sentence for the user.
#include <exception>
#include <string>

namespace imagedecode {

enum class Failure {
    NotThisFormat,  // the bytes are not of the format asked for
    Corrupt,        // damaged or inconsistent data
    Truncated,      // the data ends too early
    TooLarge,       // beyond the caller's limits, or beyond what the data can hold
    Unsupported,    // a valid variant this layer does not read
    OutOfMemory,
    Cancelled,      // the progress callback said stop
    NoSuchPage,
};

class DecodeError : public std::exception {
public:
    DecodeError(Failure kind, std::string message) : kind_(kind), message_(std::move(message)) {}
    Failure kind() const noexcept { return kind_; }
    const char* what() const noexcept override { return message_.c_str(); }

private:
    Failure kind_;
    std::string message_;
};

[[noreturn]] void fail(Failure kind, std::string message);

}  // namespace imagedecode
