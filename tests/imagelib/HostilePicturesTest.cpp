// Small hostile pictures that once froze the program or made it allocate
// half a gigabyte: each is now refused quickly, by the screen window's reader
// (PictureFile) and by the reading library alike.
#include "ImageFixtures.h"

#include "imagelib/crde2001.h"
#include "pictures/PictureFile.h"
#include "platform/Errors.h"

#include <gtest/gtest.h>

#include <jpeglib.h>

#include <cstdio>
#include <vector>

namespace {

QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray b;
    for (int v : values)
        b.append(char(v));
    return b;
}

void le16(QByteArray& b, int v)
{
    b.append(char(v & 0xFF)).append(char((v >> 8) & 0xFF));
}

void le32(QByteArray& b, quint32 v)
{
    le16(b, int(v & 0xFFFF));
    le16(b, int(v >> 16));
}

void be32(QByteArray& b, quint32 v)
{
    b.append(char(v >> 24)).append(char(v >> 16)).append(char(v >> 8)).append(char(v));
}

// A side × side JPEG of noise through libjpeg, so that every scan carries
// data; configure sets compression parameters after the defaults.
template <typename Configure>
QByteArray encodeJpeg(int side, int components, Configure configure)
{
    jpeg_compress_struct c;
    jpeg_error_mgr err;
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &out, &size);
    c.image_width = JDIMENSION(side);
    c.image_height = JDIMENSION(side);
    c.input_components = components;
    c.in_color_space = components == 1 ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&c);
    configure(c);
    jpeg_start_compress(&c, TRUE);
    std::vector<JSAMPLE> row(std::size_t(side * components));
    unsigned seed = 1;
    while (c.next_scanline < c.image_height) {
        for (JSAMPLE& v : row)
            v = JSAMPLE((seed = seed * 1103515245u + 12345u) >> 24);
        JSAMPROW line = row.data();
        jpeg_write_scanlines(&c, &line, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    const QByteArray b(reinterpret_cast<const char*>(out), int(size));
    std::free(out);
    return b;
}

// A 16 × 16 grey progressive JPEG: a DC scan, then one scan per AC
// coefficient; with refinement every coefficient gets a second scan.
QByteArray progressiveJpeg(bool refine)
{
    std::vector<jpeg_scan_info> scans;
    scans.push_back({1, {0}, 0, 0, 0, 0});
    for (int k = 1; k < 64; ++k)
        scans.push_back({1, {0}, k, k, 0, refine ? 1 : 0});
    if (refine)
        for (int k = 1; k < 64; ++k)
            scans.push_back({1, {0}, k, k, 1, 0});
    return encodeJpeg(16, 1, [&](jpeg_compress_struct& c) {
        c.scan_info = scans.data();
        c.num_scans = int(scans.size());
    });
}

int scanCount(const QByteArray& jpeg)
{
    return int(jpeg.count(QByteArray("\xFF\xDA", 2)));
}

// A colour progressive JPEG from libjpeg's standard script: its first scan
// holds the DC of all three components.
QByteArray colourProgressiveJpeg()
{
    return encodeJpeg(64, 3, [](jpeg_compress_struct& c) { jpeg_simple_progression(&c); });
}

// A JPEG header of any size whose scan carries no data: 140-odd bytes.
QByteArray emptyScanJpeg(int width, int height)
{
    QByteArray b = bytes({0xFF, 0xD8});
    b += bytes({0xFF, 0xDB, 0x00, 0x43, 0x00}) + QByteArray(64, char(1));
    b += bytes({0xFF, 0xC0, 0x00, 0x0B, 0x08, height >> 8, height & 0xFF, width >> 8, width & 0xFF, 0x01, 0x01, 0x11, 0x00});
    b += bytes({0xFF, 0xC4, 0x00, 0x14, 0x00, 0x01}) + QByteArray(15, '\0') + bytes({0x00});
    b += bytes({0xFF, 0xC4, 0x00, 0x14, 0x10, 0x01}) + QByteArray(15, '\0') + bytes({0x00});
    b += bytes({0xFF, 0xDA, 0x00, 0x08, 0x01, 0x01, 0x00, 0x00, 0x3F, 0x00});
    return b;
}

// A GIF on a 16384 × 8192 screen whose frame is frameW × frameH, over a
// kilobyte of data (a 2 × 2 frame gets a real one-colour picture).
QByteArray bombGif(int frameW, int frameH)
{
    QByteArray b("GIF89a");
    le16(b, 16384);
    le16(b, 8192);
    b += bytes({0x80, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF});  // two-colour table
    b += bytes({0x2C, 0, 0, 0, 0});
    le16(b, frameW);
    le16(b, frameH);
    b += bytes({0x00, 0x02});  // no local table; LZW code size 2
    if (frameW * frameH == 4) {
        b += bytes({0x02, 0x8C, 0x53, 0x00});  // clear, four pixels of colour 1, end
    } else {
        for (int i = 0; i < 4; ++i)
            b += bytes({0xFF}) + QByteArray(255, char(0xAA));
        b += bytes({0x00});
    }
    return b + bytes({0x3B});
}

// A run-length bitmap declaring 16384 × 8192 in about a kilobyte.
QByteArray bombRleBitmap()
{
    QByteArray rle;
    while (rle.size() < 1000)
        rle += bytes({255, 1});
    rle += bytes({0, 1});
    QByteArray b("BM");
    le32(b, quint32(14 + 40 + 8 + rle.size()));
    le32(b, 0);
    le32(b, 14 + 40 + 8);
    le32(b, 40);
    le32(b, 16384);
    le32(b, 8192);
    le16(b, 1);
    le16(b, 8);
    le32(b, 1);
    le32(b, quint32(rle.size()));
    le32(b, 2835);
    le32(b, 2835);
    le32(b, 2);
    le32(b, 0);
    b += bytes({0, 0, 0, 0, 255, 255, 255, 0});
    return b + rle;
}

// A PNG whose header declares 16384 × 8192 and whose data is damaged.
QByteArray damagedHugePng()
{
    QByteArray b = bytes({0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'});
    be32(b, 13);
    b += "IHDR";
    be32(b, 16384);
    be32(b, 8192);
    b += bytes({8, 6, 0, 0, 0});
    be32(b, 0);  // wrong check sum
    be32(b, 100);
    b += "IDAT" + QByteArray(100, char(0x33));
    be32(b, 0);
    return b;
}

// An icon directory with count entries all pointing at one data block, and
// a last entry at another.
QByteArray icon(int count, const QByteArray& shared, const QByteArray& last)
{
    QByteArray b;
    le16(b, 0);
    le16(b, 1);
    le16(b, count + 1);
    const quint32 sharedAt = quint32(6 + 16 * (count + 1)), lastAt = sharedAt + quint32(shared.size());
    for (int i = 0; i <= count; ++i) {
        b += bytes({0, 0, 0, 0});
        le16(b, 1);
        le16(b, 32);
        le32(b, quint32(i < count ? shared.size() : last.size()));
        le32(b, i < count ? sharedAt : lastAt);
    }
    return b + shared + last;
}

// A 2 × 2 32-bit icon bitmap: colour rows, then the AND mask.
QByteArray smallIconBitmap()
{
    QByteArray b;
    le32(b, 40);
    le32(b, 2);
    le32(b, 4);
    le16(b, 1);
    le16(b, 32);
    for (int i = 0; i < 6; ++i)
        le32(b, 0);
    b += QByteArray(16, char(0x80)) + QByteArray(8, '\0');
    return b;
}

class HostilePictures : public ::testing::Test {
protected:
    // Both readers refuse the bytes, the screen window with the picture error.
    void expectRefused(const QString& name, const QByteArray& data,
                       int16_t (*entry)(const uint8_t*, size_t, int, IlProgress, void*, int, IlBlock*))
    {
        SCOPED_TRACE(name.toStdString());
        EXPECT_THROW(PictureFile::load(fixtures_.write(name, data)), EInvalidGraphic);
        if (!entry)
            return;
        CrdeBlock block;
        EXPECT_LE(entry(reinterpret_cast<const uint8_t*>(data.constData()), size_t(data.size()), 24, nullptr, nullptr,
                        0, block.out()),
                  0);
        EXPECT_EQ(block.block, nullptr);
    }

    void expectRead(const QString& name, const QByteArray& data)
    {
        SCOPED_TRACE(name.toStdString());
        EXPECT_NO_THROW(PictureFile::load(fixtures_.write(name, data)));
        CrdeBlock block;
        EXPECT_GE(rdjpgstreamdib(reinterpret_cast<const uint8_t*>(data.constData()), size_t(data.size()), 24, nullptr,
                                 nullptr, 0, block.out()),
                  1);
    }

    Fixtures fixtures_;
};

TEST_F(HostilePictures, JpegWithMoreScansThanAnyEncoderWrites)
{
    const QByteArray fewer = progressiveJpeg(false), more = progressiveJpeg(true);
    ASSERT_EQ(scanCount(fewer), 64);
    ASSERT_EQ(scanCount(more), 127);
    expectRead(QStringLiteral("64 scans.jpg"), fewer);
    expectRefused(QStringLiteral("127 scans.jpg"), more, rdjpgstreamdib);
}

TEST_F(HostilePictures, JpegWhoseDataEndsBeforeItsFirstScanIsComplete)
{
    const QByteArray jpeg = colourProgressiveJpeg();
    const int first = jpeg.indexOf(QByteArray("\xFF\xDA", 2));
    const int second = jpeg.indexOf(QByteArray("\xFF\xDA", 2), first + 2);
    ASSERT_GT(second, first);
    expectRefused(QStringLiteral("inside the first scan.jpg"), jpeg.left((first + second) / 2), rdjpgstreamdib);
    expectRead(QStringLiteral("after the first scan.jpg"), jpeg.left(second));
    // An empty scan under a header of any size: small, or as large as the
    // screen window shows at all.
    expectRefused(QStringLiteral("empty scan.jpg"), emptyScanJpeg(64, 64), rdjpgstreamdib);
    const QByteArray huge = emptyScanJpeg(16384, 8192);
    EXPECT_LT(huge.size(), 200);
    expectRefused(QStringLiteral("empty huge scan.jpg"), huge, rdjpgstreamdib);
}

TEST_F(HostilePictures, DecompressionBombsAreRefusedBeforeAllocating)
{
    const QByteArray gif = bombGif(16384, 8192), bitmap = bombRleBitmap();
    EXPECT_LT(gif.size(), 2000);
    EXPECT_LT(bitmap.size(), 1200);
    expectRefused(QStringLiteral("bomb.gif"), gif, rdgifstreamdib);
    expectRefused(QStringLiteral("bomb.bmp"), bitmap, rdbmpstreamdib);
    // A small frame on a huge empty screen: only the frame is shown.
    const QByteArray screen = bombGif(2, 2);
    EXPECT_EQ(PictureFile::load(fixtures_.write(QStringLiteral("screen.gif"), screen)).size(), QSize(2, 2));
    CrdeBlock block;
    ASSERT_GE(rdgifstreamdib(reinterpret_cast<const uint8_t*>(screen.constData()), size_t(screen.size()), 24, nullptr,
                             nullptr, 0, block.out()),
              1);
    EXPECT_EQ(headerOf(block.block).width, 2);
    EXPECT_EQ(blockPixel(block.block, 1, 1), (Rgb{255, 255, 255}));
}

TEST_F(HostilePictures, IconDecodesOnlyTheEntryItPicks)
{
    const QByteArray good = smallIconBitmap();
    // One good entry alone reads.
    EXPECT_EQ(PictureFile::load(fixtures_.write(QStringLiteral("good.ico"), icon(0, QByteArray(), good))).size(),
              QSize(2, 2));
    // A thousand entries at one damaged, huge PNG: the picked entry (the
    // largest) fails, and with it the icon, without trying every entry.
    expectRefused(QStringLiteral("thousand.ico"), icon(1000, damagedHugePng(), good), nullptr);
}

}  // namespace
