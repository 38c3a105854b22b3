#include "imagelib/decode/JpegDecoder.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <jpeglib.h>
#include <jerror.h>

namespace imagedecode {
namespace {

// A progressive file may hold any number of scans, each one a full pass over
// the coefficients; real photos have fewer than 20, libjpeg's own tools stop at 100.
constexpr int kMaxScans = 100;
constexpr long kMaxDecoderMemory = 1024L * 1024 * 1024;
constexpr int kRowsPerRead = 16;
// Huffman coding spends at least one bit on every 8 × 8 block of the first
// scan, so a byte of data covers at most 8 blocks of one component.
constexpr std::uint64_t kHuffmanPixelsPerByte = 8 * 64;

// libjpeg reports a fatal error by calling error_exit, which must not return.
// It jumps back to the setjmp of the step that called into the library. Each
// step below is a function whose own locals are all trivial, so the jump
// never skips a destructor; everything owned lives in the caller.
struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
    bool truncated;
    bool firstScanDone;
};

ErrorManager& errorsOf(j_common_ptr cinfo)
{
    return *reinterpret_cast<ErrorManager*>(cinfo->err);
}

[[noreturn]] void errorExit(j_common_ptr cinfo)
{
    ErrorManager& err = errorsOf(cinfo);
    cinfo->err->format_message(cinfo, err.message);
    std::longjmp(err.jump, 1);
}

// Warnings go nowhere except the one that matters: the data ended early.
// Whether the first scan was whole by then decides if the picture is usable.
void emitMessage(j_common_ptr cinfo, int level)
{
    if (level >= 0 || cinfo->err->msg_code != JWRN_JPEG_EOF)
        return;
    ErrorManager& err = errorsOf(cinfo);
    if (!err.truncated) {
        const auto* d = reinterpret_cast<j_decompress_ptr>(cinfo);
        err.truncated = true;
        err.firstScanDone =
            d->input_scan_number > 1 || (d->input_scan_number == 1 && d->input_iMCU_row >= d->total_iMCU_rows);
    }
}

void watchProgress(j_common_ptr cinfo)
{
    const auto* d = reinterpret_cast<j_decompress_ptr>(cinfo);
    if (d->input_scan_number > kMaxScans) {
        ErrorManager& err = errorsOf(cinfo);
        std::snprintf(err.message, sizeof err.message, "The JPEG file has too many scans");
        std::longjmp(err.jump, 1);
    }
}

// Adobe writes CMYK inverted (0 = full ink); others write it plainly.
void cmykToBgra(const JSAMPLE* in, std::uint8_t* out, JDIMENSION width, bool inverted)
{
    for (JDIMENSION x = 0; x < width; ++x, in += 4, out += 4) {
        unsigned c = in[0], m = in[1], y = in[2], k = in[3];
        if (!inverted) {
            c = 255 - c;
            m = 255 - m;
            y = 255 - y;
            k = 255 - k;
        }
        out[0] = static_cast<std::uint8_t>((y * k + 127) / 255);
        out[1] = static_cast<std::uint8_t>((m * k + 127) / 255);
        out[2] = static_cast<std::uint8_t>((c * k + 127) / 255);
        out[3] = 255;
    }
}

}  // namespace

struct JpegDecoder::Session {
    jpeg_decompress_struct cinfo;
    ErrorManager err;
    jpeg_progress_mgr progress;
    bool created = false;

    Session() { std::memset(static_cast<void*>(this), 0, sizeof *this); }
    ~Session()
    {
        if (created)
            jpeg_destroy_decompress(&cinfo);
    }
    [[noreturn]] void fail() const
    {
        imagedecode::fail(Failure::Corrupt, std::string("Broken JPEG picture: ") + err.message);
    }
};

namespace {

// Where decoded rows go: a buffer of 32-bit or 8-bit rows, top down.
struct Rows {
    std::uint8_t* pixels;
    std::size_t stride;
    std::uint8_t* row(JDIMENSION y) const { return pixels + stride * y; }
};

bool stepOpen(JpegDecoder::Session& s, const std::uint8_t* data, std::size_t size)
{
    s.cinfo.err = jpeg_std_error(&s.err.pub);
    s.err.pub.error_exit = errorExit;
    s.err.pub.emit_message = emitMessage;
    if (setjmp(s.err.jump))
        return false;
    jpeg_create_decompress(&s.cinfo);
    s.created = true;
    s.cinfo.mem->max_memory_to_use = kMaxDecoderMemory;
    s.progress.progress_monitor = watchProgress;
    s.cinfo.progress = &s.progress;
    jpeg_mem_src(&s.cinfo, data, static_cast<unsigned long>(size));
    jpeg_read_header(&s.cinfo, TRUE);
    return true;
}

bool stepScale(JpegDecoder::Session& s, int scale, J_COLOR_SPACE out)
{
    if (setjmp(s.err.jump))
        return false;
    s.cinfo.scale_num = static_cast<unsigned>(scale);
    s.cinfo.scale_denom = kJpegFullScale;
    s.cinfo.out_color_space = out;
    jpeg_calc_output_dimensions(&s.cinfo);
    return true;
}

bool stepStart(JpegDecoder::Session& s)
{
    if (setjmp(s.err.jump))
        return false;
    jpeg_start_decompress(&s.cinfo);
    return true;
}

// Rows go straight into the picture's buffer; CMYK passes through cmykRow.
// A cancel from the progress callback cannot throw across libjpeg's frames:
// it is noted and the decode stops at the next row.
bool stepRead(JpegDecoder::Session& s, const Rows& out, JDIMENSION until, JSAMPLE* cmykRow, ProgressReporter& progress,
              bool& cancelled)
{
    if (setjmp(s.err.jump))
        return false;
    const JDIMENSION height = s.cinfo.output_height;
    const JDIMENSION end = std::min(until, height);
    while (s.cinfo.output_scanline < end) {
        const JDIMENSION first = s.cinfo.output_scanline;
        try {
            progress.report(first, height);
        } catch (const DecodeError&) {
            cancelled = true;
            return true;
        }
        if (cmykRow) {
            JSAMPROW row = cmykRow;
            if (jpeg_read_scanlines(&s.cinfo, &row, 1) == 1)
                cmykToBgra(cmykRow, out.row(first), s.cinfo.output_width, s.cinfo.saw_Adobe_marker);
            continue;
        }
        JSAMPROW rows[kRowsPerRead];
        for (int i = 0; i < kRowsPerRead; ++i)
            rows[i] = out.row(std::min<JDIMENSION>(first + JDIMENSION(i), height - 1));
        jpeg_read_scanlines(&s.cinfo, rows, kRowsPerRead);
    }
    return true;
}

}  // namespace

bool looksLikeJpeg(Bytes data)
{
    return data.size() >= 3 && data.u8(0) == 0xFF && data.u8(1) == 0xD8 && data.u8(2) == 0xFF;
}

int jpegScaledSide(int side, int scale)
{
    return int((std::int64_t(side) * scale + kJpegFullScale - 1) / kJpegFullScale);
}

int jpegScaleForMaxSide(int width, int height, int maxSide)
{
    if (maxSide <= 0)
        return kJpegFullScale;
    const int larger = std::max(width, height);
    for (int n = 1; n < kJpegFullScale; ++n)
        if (jpegScaledSide(larger, n) >= maxSide)
            return n;
    return kJpegFullScale;
}

JpegDecoder::JpegDecoder(Bytes data, const Limits& limits) : session_(std::make_unique<Session>())
{
    if (!looksLikeJpeg(data))
        fail(Failure::NotThisFormat, "Not a JPEG picture");
    if (!stepOpen(*session_, data.data(), data.size()))
        session_->fail();
    const jpeg_decompress_struct& c = session_->cinfo;
    checkSize(c.image_width, c.image_height, 0, limits);
    if (!c.arith_code)
        checkExpansion(std::uint64_t(c.image_width) * c.image_height, data.size(), kHuffmanPixelsPerByte);
}

JpegDecoder::~JpegDecoder() = default;

int JpegDecoder::width() const
{
    return int(session_->cinfo.image_width);
}

int JpegDecoder::height() const
{
    return int(session_->cinfo.image_height);
}

int JpegDecoder::components() const
{
    return session_->cinfo.num_components;
}

Picture JpegDecoder::start(int scale, const Options& options)
{
    Session& s = *session_;
    const bool cmyk = s.cinfo.jpeg_color_space == JCS_CMYK || s.cinfo.jpeg_color_space == JCS_YCCK;
    const bool grey = s.cinfo.jpeg_color_space == JCS_GRAYSCALE && options.keepIndexed;
    if (!stepScale(s, scale, cmyk ? JCS_CMYK : grey ? JCS_GRAYSCALE : JCS_EXT_BGRA))
        s.fail();
    Picture picture = Picture::allocate(s.cinfo.output_width, s.cinfo.output_height,
                                        grey ? Picture::Format::Indexed : Picture::Format::Bgra, options.limits);
    if (grey) {
        picture.palette.resize(256);
        for (int i = 0; i < 256; ++i)
            picture.palette[std::size_t(i)] = Colour{std::uint8_t(i), std::uint8_t(i), std::uint8_t(i), 255};
    }
    cmykRow_.assign(cmyk ? std::size_t(s.cinfo.output_width) * 4 : 0, 0);
    return picture;
}

int JpegDecoder::readRows(std::uint8_t* pixels, std::size_t stride, int until)
{
    const Progress none;
    ProgressReporter progress(none);
    bool cancelled = false;
    read(pixels, stride, until, progress, cancelled);
    return int(session_->cinfo.output_scanline);
}

void JpegDecoder::read(std::uint8_t* pixels, std::size_t stride, int until, ProgressReporter& progress,
                       bool& cancelled)
{
    Session& s = *session_;
    if (!started_) {
        // A progressive picture's scans are all read here, before its first row.
        if (!stepStart(s))
            s.fail();
        started_ = true;
    }
    if (!stepRead(s, Rows{pixels, stride}, JDIMENSION(std::max(until, 0)),
                  cmykRow_.empty() ? nullptr : cmykRow_.data(), progress, cancelled))
        s.fail();
    if (!cancelled && s.cinfo.output_scanline == s.cinfo.output_height && s.err.truncated && !s.err.firstScanDone)
        fail(Failure::Corrupt, "The JPEG data ends before its first scan is complete");
}

Picture JpegDecoder::decode(int scale, const Options& options)
{
    Picture picture = start(scale, options);
    ProgressReporter progress(options.progress);
    bool cancelled = false;
    read(picture.row(0), picture.stride(), picture.height(), progress, cancelled);
    if (cancelled)
        fail(Failure::Cancelled, "Reading the picture was cancelled");
    progress.report(1, 1);
    return picture;
}

}  // namespace imagedecode
