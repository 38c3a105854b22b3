// The length of bare MPEG audio and AC-3 streams from their frame headers.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>

#include <sys/stat.h>

#include <optional>

#include "platform/AudioFrames.h"

namespace {

// A frame: its four (or six) header bytes, then silence up to its size.
QByteArray frame(std::initializer_list<int> header, int bytes)
{
    QByteArray f(bytes, '\0');
    int i = 0;
    for (int b : header)
        f[i++] = char(b);
    return f;
}

QByteArray repeat(const QByteArray& f, int n) { return f.repeated(n); }

// MPEG-1 layer III, 44.1 kHz, stereo: 128 kbit/s frames are 417 bytes (418 padded).
const QByteArray k128 = frame({0xFF, 0xFB, 0x90, 0x00}, 417);
const QByteArray k128Padded = frame({0xFF, 0xFB, 0x92, 0x00}, 418);
const QByteArray k32 = frame({0xFF, 0xFB, 0x10, 0x00}, 104);
const QByteArray k320 = frame({0xFF, 0xFB, 0xE0, 0x00}, 1044);

QByteArray xingFrame(quint32 frames)
{
    QByteArray f = k128;
    f.replace(36, 12, QByteArray("Xing\0\0\0\x01", 8) + QByteArray(4, '\0'));
    for (int i = 0; i < 4; ++i)
        f[44 + i] = char(frames >> (24 - 8 * i));
    return f;
}

QByteArray id3v2(int size)
{
    QByteArray tag("ID3\x04\x00\x00", 6);
    for (int shift : {21, 14, 7, 0})
        tag += char((size >> shift) & 0x7F);
    return tag + QByteArray(size, 'x');
}

struct LengthCase {
    const char* name;
    QByteArray data;
    std::optional<qint64> ms;
};

TEST(AudioFrames, LengthFromTheFrameHeaders)
{
    const QByteArray tail = QByteArray("TAG") + QByteArray(125, 'y');
    QByteArray alternating;
    for (int i = 0; i < 20; ++i)
        alternating += k128 + k128Padded;
    QByteArray ac3Alternating;
    for (int i = 0; i < 10; ++i)
        ac3Alternating += frame({0x0B, 0x77, 0, 0, 0x54, 0x40}, 834) + frame({0x0B, 0x77, 0, 0, 0x55, 0x40}, 836);
    QByteArray noise(100000, '\0');
    quint32 seed = 7;
    for (char& c : noise) {
        seed = seed * 1103515245u + 12345u;
        c = char(seed >> 16);
    }
    const QByteArray pcm = QByteArray("RIFF\x24\x10\0\0WAVEfmt ", 16) + QByteArray(4000, '\x40');

    const QList<LengthCase> cases = {
        {"constant bitrate", repeat(k128, 100), 2612},
        {"variable bitrate", repeat(k32, 50) + repeat(k320, 50), 2612},
        {"tags before and after, padded frames", id3v2(1000) + alternating + tail, 1045},
        {"zeros before the first frame", QByteArray(500, '\0') + repeat(k128, 100), 2612},
        {"damage in the middle is skipped", repeat(k128, 60) + QByteArray(300, '\x11') + repeat(k128, 60), 3135},
        {"a frame cut short does not count", repeat(k128, 30) + k128.left(200), 784},
        {"a Xing header tells the count", xingFrame(1000) + repeat(k128, 10), 26122},
        {"MPEG-2 layer III", repeat(frame({0xFF, 0xF3, 0x80, 0x00}, 208), 50), 1306},
        {"MPEG-1 layer II", repeat(frame({0xFF, 0xFD, 0xA4, 0x00}, 576), 25), 600},
        {"MPEG-1 layer I", repeat(frame({0xFF, 0xFF, 0xC0, 0x00}, 416), 30), 261},
        {"AC-3 at 48 kHz", repeat(frame({0x0B, 0x77, 0, 0, 0x14, 0x40}, 768), 20), 640},
        {"AC-3 at 44.1 kHz", ac3Alternating, 697},
        {"empty", {}, std::nullopt},
        {"JPEG", QByteArray("\xFF\xD8\xFF\xE0\x00\x10JFIF", 10) + noise.left(5000), std::nullopt},
        {"PCM wave", pcm, std::nullopt},
        {"noise", noise, std::nullopt},
        {"one frame in a sea of noise", noise.left(20000) + repeat(k128, 2) + noise.mid(20000), std::nullopt},
    };
    for (const LengthCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(audioFramesLengthMs(c.data), c.ms);
    }
}

TEST(AudioFrames, FilesAreReadOnlyWhenTheyAreRegular)
{
    QTemporaryDir dir;
    const QString mp3 = dir.filePath(QStringLiteral("a.mp3"));
    QFile file(mp3);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(repeat(k128, 100));
    file.close();
    EXPECT_EQ(audioFileLengthMs(mp3), 2612);
    const QString pipe = dir.filePath(QStringLiteral("b.mp3"));
    ASSERT_EQ(mkfifo(pipe.toLocal8Bit().constData(), 0600), 0);
    EXPECT_EQ(audioFileLengthMs(pipe), std::nullopt);
    EXPECT_EQ(audioFileLengthMs(dir.filePath(QStringLiteral("none.mp3"))), std::nullopt);
}

}  // namespace
