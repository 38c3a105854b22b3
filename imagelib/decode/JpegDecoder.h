#pragma once
// JPEG pictures through libjpeg, optionally reduced while decoding: the
// inverse DCT can produce n/8 of the picture (n = 1..8) for far less work
// than decoding everything and scaling down afterwards.
#include "imagelib/decode/Bytes.h"
#include "imagelib/decode/Picture.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace imagedecode {

inline constexpr int kJpegFullScale = 8;

bool looksLikeJpeg(Bytes data);

// The side libjpeg produces at scale n/8 (it rounds up).
int jpegScaledSide(int side, int scale);

// The smallest scale n/8 whose larger side is not below maxSide (0: full).
int jpegScaleForMaxSide(int width, int height, int maxSide);

class JpegDecoder {
public:
    // Reads the header; fails for a file that is no JPEG or declares a size
    // beyond the limits or beyond what its data can hold.
    JpegDecoder(Bytes data, const Limits& limits);
    ~JpegDecoder();
    JpegDecoder(const JpegDecoder&) = delete;
    JpegDecoder& operator=(const JpegDecoder&) = delete;

    int width() const;
    int height() const;
    int components() const;

    // Decodes once, at scale n/8. Grey pictures with options.keepIndexed come
    // out as 8-bit indices into a grey table, everything else as 32-bit pixels.
    // Data that ends before the first scan is complete, or more scans than
    // any encoder writes, make a corrupt picture.
    Picture decode(int scale, const Options& options);

    // The same in steps, for a caller that shows rows as they come: start()
    // makes the picture (all zero) and returns it, readRows() fills rows from
    // the top into its buffer (the picture's pixels, wherever they went) until
    // `until` rows are done, and answers how many are. Failures as decode().
    // The decoding work starts with the first readRows(): for a progressive
    // picture that first call reads all its scans.
    Picture start(int scale, const Options& options);
    int readRows(std::uint8_t* pixels, std::size_t stride, int until);

    struct Session;  // libjpeg's state; only the decoder's own file knows it

private:
    void read(std::uint8_t* pixels, std::size_t stride, int until, ProgressReporter& progress, bool& cancelled);

    std::unique_ptr<Session> session_;
    std::vector<std::uint8_t> cmykRow_;
    bool started_ = false;
};

}  // namespace imagedecode
