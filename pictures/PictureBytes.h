#pragma once
// Bounds-checked access to a picture file's bytes. Every header field comes
// from an untrusted file, so every read checks its range and a read past the
// end is a decoding failure, never a stray memory access.
#include "platform/Errors.h"

#include <QImage>
#include <QSize>
#include <QString>

#include <cstddef>
#include <cstdint>

class PictureBytes {
public:
    PictureBytes() = default;
    PictureBytes(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    std::size_t size() const { return size_; }
    const std::uint8_t* data() const { return data_; }
    bool has(std::size_t offset, std::size_t count) const { return offset <= size_ && count <= size_ - offset; }

    // The part [offset, offset + count); fails unless it lies inside.
    PictureBytes slice(std::size_t offset, std::size_t count) const;
    PictureBytes from(std::size_t offset) const { return slice(offset, offset <= size_ ? size_ - offset : 0); }
    const std::uint8_t* at(std::size_t offset, std::size_t count) const;

    std::uint8_t u8(std::size_t offset) const { return *at(offset, 1); }
    std::uint16_t u16(std::size_t offset) const;
    std::uint32_t u32(std::size_t offset) const;
    std::int32_t i32(std::size_t offset) const { return static_cast<std::int32_t>(u32(offset)); }

private:
    const std::uint8_t* data_ = nullptr;
    std::size_t size_ = 0;
};

[[noreturn]] void pictureFailure(const QString& message);

// The largest picture the program decodes: a bigger one would take more memory
// than a desktop can spare for one still image (16384 × 16384 would be 1 GiB).
inline constexpr int kMaxPictureSide = 16384;
inline constexpr std::int64_t kMaxPicturePixels = 128LL * 1024 * 1024;

// Fails for a picture size that is empty or beyond the limits above; call
// before anything is allocated for the picture.
void checkPictureSize(std::int64_t width, std::int64_t height);

// A picture buffer of the given size; fails instead of returning a null image
// when the memory is not there.
QImage allocatePicture(QSize size, QImage::Format format);
