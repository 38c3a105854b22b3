#include "pictures/JpegDecoder.h"

#include <csetjmp>
#include <cstddef>
#include <cstdio>
#include <algorithm>
#include <cstring>
#include <vector>

#include <jpeglib.h>
#include <jerror.h>

namespace {

// A progressive file may hold any number of scans, each one a full pass over
// the coefficients; real encoders write about ten, hostile files millions.
constexpr int kMaxScans = 1000;
constexpr long kMaxDecoderMemory = 1024L * 1024 * 1024;
constexpr int kRowsPerRead = 16;

// libjpeg reports a fatal error by calling error_exit, which must not return.
// It jumps back to the setjmp of the step that called into the library. Each
// step below is a function whose own locals are all trivial, so the jump
// never skips a destructor; everything owned lives in the caller.
struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
    bool truncated;
    bool dataBeforeEnd;
};

struct Session {
    jpeg_decompress_struct cinfo;
    ErrorManager err;
    jpeg_progress_mgr progress;
};

// Releases libjpeg's memory however decoding ends; destroying a session that
// was never created is harmless since its memory manager is still null.
struct OwnedSession {
    Session s;
    OwnedSession() { std::memset(&s, 0, sizeof s); }
    ~OwnedSession() { jpeg_destroy_decompress(&s.cinfo); }
    OwnedSession(const OwnedSession&) = delete;
    OwnedSession& operator=(const OwnedSession&) = delete;
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
// Whether anything real was decoded before is judged from how far input got.
void emitMessage(j_common_ptr cinfo, int level)
{
    if (level >= 0 || cinfo->err->msg_code != JWRN_JPEG_EOF)
        return;
    ErrorManager& err = errorsOf(cinfo);
    if (!err.truncated) {
        const auto* d = reinterpret_cast<j_decompress_ptr>(cinfo);
        err.truncated = true;
        err.dataBeforeEnd = d->input_scan_number > 1 || d->input_iMCU_row > 0;
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

bool stepOpen(Session& s, const std::uint8_t* data, std::size_t size)
{
    s.cinfo.err = jpeg_std_error(&s.err.pub);
    s.err.pub.error_exit = errorExit;
    s.err.pub.emit_message = emitMessage;
    s.err.message[0] = '\0';
    s.err.truncated = false;
    s.err.dataBeforeEnd = false;
    if (setjmp(s.err.jump))
        return false;
    jpeg_create_decompress(&s.cinfo);
    s.cinfo.mem->max_memory_to_use = kMaxDecoderMemory;
    s.progress.progress_monitor = watchProgress;
    s.cinfo.progress = &s.progress;
    jpeg_mem_src(&s.cinfo, data, static_cast<unsigned long>(size));
    jpeg_read_header(&s.cinfo, TRUE);
    return true;
}

bool stepScale(Session& s, int scale, J_COLOR_SPACE out)
{
    if (setjmp(s.err.jump))
        return false;
    s.cinfo.scale_num = static_cast<unsigned>(scale);
    s.cinfo.scale_denom = kJpegFullScale;
    s.cinfo.out_color_space = out;
    jpeg_calc_output_dimensions(&s.cinfo);
    return true;
}

// Adobe writes CMYK inverted (0 = full ink); others write it plainly.
void cmykToBgrx(const JSAMPLE* in, std::uint8_t* out, JDIMENSION width, bool inverted)
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

// Rows go straight into the picture's buffer; CMYK passes through cmykRow.
bool stepDecode(Session& s, std::uint8_t* bits, std::size_t bytesPerLine, JSAMPLE* cmykRow)
{
    if (setjmp(s.err.jump))
        return false;
    jpeg_start_decompress(&s.cinfo);
    // After a premature end libjpeg goes on with empty data, so a cut-off
    // picture still comes out whole, grey where the data is missing.
    while (s.cinfo.output_scanline < s.cinfo.output_height) {
        if (cmykRow) {
            JSAMPROW row = cmykRow;
            std::uint8_t* out = bits + bytesPerLine * s.cinfo.output_scanline;
            if (jpeg_read_scanlines(&s.cinfo, &row, 1) == 1)
                cmykToBgrx(cmykRow, out, s.cinfo.output_width, s.cinfo.saw_Adobe_marker);
            continue;
        }
        JSAMPROW rows[kRowsPerRead];
        const JDIMENSION first = s.cinfo.output_scanline;
        for (int i = 0; i < kRowsPerRead; ++i)
            rows[i] = bits + bytesPerLine * std::min<JDIMENSION>(first + i, s.cinfo.output_height - 1);
        jpeg_read_scanlines(&s.cinfo, rows, kRowsPerRead);
    }
    return true;
}

class Decoder {
public:
    explicit Decoder(PictureBytes data)
    {
        if (!stepOpen(s_, data.data(), data.size()))
            fail();
        checkPictureSize(s_.cinfo.image_width, s_.cinfo.image_height);
    }

    QSize size() const { return QSize(int(s_.cinfo.image_width), int(s_.cinfo.image_height)); }

    QImage decode(int scale)
    {
        const bool cmyk = s_.cinfo.jpeg_color_space == JCS_CMYK || s_.cinfo.jpeg_color_space == JCS_YCCK;
        if (!stepScale(s_, scale, cmyk ? JCS_CMYK : JCS_EXT_BGRX))
            fail();
        QImage image = allocatePicture(QSize(int(s_.cinfo.output_width), int(s_.cinfo.output_height)),
                                       QImage::Format_RGB32);
        std::vector<JSAMPLE> cmykRow(cmyk ? std::size_t(s_.cinfo.output_width) * 4 : 0);
        if (!stepDecode(s_, image.bits(), std::size_t(image.bytesPerLine()), cmyk ? cmykRow.data() : nullptr))
            fail();
        if (s_.err.truncated && !s_.err.dataBeforeEnd)
            pictureFailure(QStringLiteral("The JPEG file ends before its picture data"));
        return image;
    }

private:
    [[noreturn]] void fail() const
    {
        pictureFailure(QStringLiteral("Broken JPEG picture: %1").arg(QString::fromLatin1(s_.err.message)));
    }

    OwnedSession owned_;
    Session& s_ = owned_.s;
};

}  // namespace

int jpegScaleFor(QSize full, QSize display)
{
    if (display.width() <= 0 || display.height() <= 0)
        return kJpegFullScale;
    auto covers = [&](int n) {
        const QSize out = jpegScaledSize(full, n);
        return out.width() >= display.width() && out.height() >= display.height();
    };
    if (!covers(kJpegHalfScale))
        return kJpegFullScale;
    int n = 1;
    while (!covers(n))
        ++n;
    return n;
}

QSize jpegScaledSize(QSize full, int scale)
{
    // libjpeg rounds the scaled size up.
    auto scaled = [scale](int side) { return int((std::int64_t(side) * scale + kJpegFullScale - 1) / kJpegFullScale); };
    return QSize(scaled(full.width()), scaled(full.height()));
}

DecodedJpeg decodeJpeg(PictureBytes data, QSize display)
{
    Decoder decoder(data);
    const int scale = jpegScaleFor(decoder.size(), display);
    return {decoder.size(), decoder.decode(scale), scale};
}
