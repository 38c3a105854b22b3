#include "AudioFrames.h"

#include <QFile>

#include <array>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// How far past the start (and any ID3v2 tag) the first frame may lie; some
// encoders leave padding there. Further in, it is not a bare audio stream.
constexpr std::size_t kMaxLeadingJunk = 64 * 1024;

struct Frame {
    std::size_t bytes = 0;
    int samples = 0;
    int rate = 0;
    // What stays the same from frame to frame of one stream.
    std::uint32_t kind = 0;
    bool counts = true;  // E-AC-3 dependent substreams add no time of their own
};

class Bytes {
public:
    explicit Bytes(QByteArrayView data) : p_(reinterpret_cast<const std::uint8_t*>(data.data())), n_(std::size_t(data.size())) {}
    std::size_t size() const { return n_; }
    bool has(std::size_t at, std::size_t count) const { return at <= n_ && count <= n_ - at; }
    std::uint8_t operator[](std::size_t at) const { return p_[at]; }
    std::uint32_t be32(std::size_t at) const
    {
        return std::uint32_t(p_[at]) << 24 | std::uint32_t(p_[at + 1]) << 16 | std::uint32_t(p_[at + 2]) << 8 | p_[at + 3];
    }
    bool startsWith(std::size_t at, const char* text, std::size_t count) const
    {
        if (!has(at, count))
            return false;
        for (std::size_t i = 0; i < count; ++i)
            if (p_[at + i] != std::uint8_t(text[i]))
                return false;
        return true;
    }

private:
    const std::uint8_t* p_;
    std::size_t n_;
};

// ---- MPEG audio ----

constexpr std::array<std::array<int, 16>, 5> kMpegBitrates{{
    {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448, 0},  // MPEG-1 layer I
    {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384, 0},     // MPEG-1 layer II
    {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0},      // MPEG-1 layer III
    {0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256, 0},     // MPEG-2/2.5 layer I
    {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0},          // MPEG-2/2.5 layers II, III
}};

constexpr std::array<std::array<int, 3>, 4> kMpegRates{{
    {11025, 12000, 8000},   // MPEG-2.5
    {0, 0, 0},              // reserved
    {22050, 24000, 16000},  // MPEG-2
    {44100, 48000, 32000},  // MPEG-1
}};

bool mpegFrame(const Bytes& b, std::size_t at, Frame& frame)
{
    if (!b.has(at, 4) || b[at] != 0xFF || (b[at + 1] & 0xE0) != 0xE0)
        return false;
    const int version = (b[at + 1] >> 3) & 3;
    const int layer = 4 - ((b[at + 1] >> 1) & 3);  // 1, 2 or 3; 4 is reserved
    const int bitrateIndex = b[at + 2] >> 4;
    const int rateIndex = (b[at + 2] >> 2) & 3;
    if (version == 1 || layer == 4 || rateIndex == 3)
        return false;
    const bool mpeg1 = version == 3;
    const int table = mpeg1 ? layer - 1 : (layer == 1 ? 3 : 4);
    // Free-format streams (index 0) give no frame size in their headers.
    const int kbps = kMpegBitrates[std::size_t(table)][std::size_t(bitrateIndex)];
    if (kbps == 0)
        return false;
    const int rate = kMpegRates[std::size_t(version)][std::size_t(rateIndex)];
    const int padding = (b[at + 2] >> 1) & 1;
    const std::int64_t bps = std::int64_t(kbps) * 1000;
    if (layer == 1) {
        frame.bytes = std::size_t((12 * bps / rate + padding) * 4);
        frame.samples = 384;
    } else {
        const int samples = layer == 3 && !mpeg1 ? 576 : 1152;
        frame.bytes = std::size_t(samples / 8 * bps / rate + padding);
        frame.samples = samples;
    }
    frame.rate = rate;
    frame.kind = std::uint32_t(1) << 16 | std::uint32_t(version) << 8 | std::uint32_t(layer) << 4 | std::uint32_t(rateIndex);
    frame.counts = true;
    return frame.bytes >= 4;
}

// The frame count of a Xing/Info or VBRI header in the first frame, which
// does not count that frame itself.
std::optional<std::int64_t> vbrHeaderFrames(const Bytes& b, std::size_t at)
{
    const int version = (b[at + 1] >> 3) & 3;
    const bool mono = (b[at + 3] >> 6) == 3;
    const std::size_t sideInfo = version == 3 ? (mono ? 17 : 32) : (mono ? 9 : 17);
    const std::size_t xing = at + 4 + sideInfo;
    if ((b.startsWith(xing, "Xing", 4) || b.startsWith(xing, "Info", 4)) && b.has(xing, 12) &&
        (b.be32(xing + 4) & 1) != 0)
        return b.be32(xing + 8);
    const std::size_t vbri = at + 36;
    if (b.startsWith(vbri, "VBRI", 4) && b.has(vbri, 18))
        return b.be32(vbri + 14);
    return std::nullopt;
}

// ---- AC-3 and E-AC-3 ----

constexpr std::array<int, 19> kAc3Bitrates{32, 40, 48, 56, 64, 80, 96, 112, 128, 160,
                                           192, 224, 256, 320, 384, 448, 512, 576, 640};
constexpr std::array<int, 3> kAc3Rates{48000, 44100, 32000};

bool ac3Frame(const Bytes& b, std::size_t at, Frame& frame)
{
    if (!b.has(at, 6) || b[at] != 0x0B || b[at + 1] != 0x77)
        return false;
    const int bsid = b[at + 5] >> 3;
    const int fscod = b[at + 4] >> 6;
    if (bsid <= 8) {
        const int sizeCode = b[at + 4] & 0x3F;
        if (fscod == 3 || sizeCode >= 38)
            return false;
        const int kbps = kAc3Bitrates[std::size_t(sizeCode / 2)];
        // 16-bit words per frame: 1536 samples at the bitrate.
        const int words = fscod == 0 ? kbps * 2 : fscod == 2 ? kbps * 3 : kbps * 320 / 147 + (sizeCode & 1);
        frame.bytes = std::size_t(words) * 2;
        frame.samples = 1536;
        frame.rate = kAc3Rates[std::size_t(fscod)];
        frame.kind = std::uint32_t(2) << 16 | std::uint32_t(fscod);
        frame.counts = true;
        return true;
    }
    if (bsid < 11 || bsid > 16)
        return false;
    const int streamType = b[at + 2] >> 6;
    const int substream = (b[at + 2] >> 3) & 7;
    frame.bytes = (std::size_t((b[at + 2] & 7) << 8 | b[at + 3]) + 1) * 2;
    int blocks = 6;
    if (fscod == 3) {
        const int halfRate = (b[at + 4] >> 4) & 3;
        if (halfRate == 3)
            return false;
        frame.rate = kAc3Rates[std::size_t(halfRate)] / 2;
    } else {
        constexpr std::array<int, 4> kBlocks{1, 2, 3, 6};
        blocks = kBlocks[std::size_t((b[at + 4] >> 4) & 3)];
        frame.rate = kAc3Rates[std::size_t(fscod)];
    }
    frame.samples = blocks * 256;
    frame.kind = std::uint32_t(3) << 16 | std::uint32_t(frame.rate);
    // Only the first independent substream's frames follow one another in time.
    frame.counts = streamType != 1 && substream == 0;
    return streamType != 3;
}

bool anyFrame(const Bytes& b, std::size_t at, Frame& frame) { return mpegFrame(b, at, frame) || ac3Frame(b, at, frame); }

// A frame whose successor (or the end of the data) agrees with it.
bool confirmedFrame(const Bytes& b, std::size_t at, Frame& frame)
{
    if (!anyFrame(b, at, frame))
        return false;
    const std::size_t next = at + frame.bytes;
    if (next == b.size())
        return true;
    Frame following;
    return anyFrame(b, next, following) && following.kind == frame.kind;
}

std::size_t afterId3v2(const Bytes& b)
{
    std::size_t at = 0;
    while (b.startsWith(at, "ID3", 3) && b.has(at, 10)) {
        std::size_t size = 0;
        for (int i = 6; i < 10; ++i)
            size = size << 7 | (b[at + std::size_t(i)] & 0x7F);
        const bool footer = (b[at + 5] & 0x10) != 0;
        at += 10 + size + (footer ? 10 : 0);
    }
    return at;
}

bool trailingTag(const Bytes& b, std::size_t at)
{
    return b.startsWith(at, "TAG", 3) || b.startsWith(at, "APETAGEX", 8) || b.startsWith(at, "LYRICS", 6) ||
           b.startsWith(at, "ID3", 3);
}

}  // namespace

std::optional<std::int64_t> audioFramesLengthMs(QByteArrayView data)
{
    const Bytes b(data);
    const std::size_t start = afterId3v2(b);
    Frame first;
    std::size_t at = start;
    while (at < b.size() && at - start <= kMaxLeadingJunk && !confirmedFrame(b, at, first))
        ++at;
    if (at >= b.size() || at - start > kMaxLeadingJunk)
        return std::nullopt;

    std::int64_t samples = 0;
    std::size_t covered = 0;
    if (first.kind >> 16 == 1) {
        if (const auto frames = vbrHeaderFrames(b, at); frames && *frames > 0)
            return (*frames * first.samples * 1000 + first.rate / 2) / first.rate;
    }
    while (b.has(at, 4) && !trailingTag(b, at)) {
        Frame frame;
        if (anyFrame(b, at, frame) && frame.kind == first.kind && b.has(at, frame.bytes)) {
            if (frame.counts)
                samples += frame.samples;
            covered += frame.bytes;
            at += frame.bytes;
            continue;
        }
        // Damage: go on at the next frame that its successor confirms.
        ++at;
        while (b.has(at, 4) && !(confirmedFrame(b, at, frame) && frame.kind == first.kind) && !trailingTag(b, at))
            ++at;
    }
    // Mostly frames, or it was something else that only looked like one.
    if (covered < (b.size() - start) / 2)
        return std::nullopt;
    return (samples * 1000 + first.rate / 2) / first.rate;
}

std::optional<std::int64_t> audioFileLengthMs(const QString& fileName)
{
    // Opened without waiting, so a pipe put in the file's place cannot hold us.
    const int fd = ::open(QFile::encodeName(fileName).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    struct stat st {};
    void* mapped = MAP_FAILED;
    if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0)
        mapped = mmap(nullptr, std::size_t(st.st_size), PROT_READ, MAP_PRIVATE, fd, 0);
    ::close(fd);
    if (mapped == MAP_FAILED)
        return std::nullopt;
    const auto length = audioFramesLengthMs(QByteArrayView(static_cast<const char*>(mapped), qsizetype(st.st_size)));
    munmap(mapped, std::size_t(st.st_size));
    return length;
}
