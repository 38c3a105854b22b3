// Picture decoders: every supported variant decodes to the right size and
// colours, every broken input fails with EInvalidGraphic, and large JPEGs are
// decoded reduced when shown small.
#include "TestSupport.h"
#include "pictures/JpegDecoder.h"
#include "pictures/PictureFile.h"
#include "platform/Errors.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <functional>
#include <unistd.h>
#include <vector>

#include <gif_lib.h>
#include <jpeglib.h>

namespace {

void putU16(QByteArray& b, unsigned v)
{
    b.append(char(v & 0xFF)).append(char((v >> 8) & 0xFF));
}

void putU32(QByteArray& b, quint32 v)
{
    putU16(b, v & 0xFFFF);
    putU16(b, v >> 16);
}

// A device-independent bitmap laid out field by field, so tests can build the
// odd variants no encoder at hand writes.
struct Dib {
    quint32 headerSize = 40;
    qint32 width = 0;
    qint32 height = 0;  // negative: top-down
    int bitCount = 24;
    quint32 compression = 0;
    quint32 colorsUsed = 0;
    std::vector<quint32> masks;  // after a 40-byte header, or inside a larger one
    std::vector<QRgb> palette;
    QByteArray bits;

    QByteArray packed() const
    {
        QByteArray b;
        putU32(b, headerSize);
        if (headerSize == 12) {
            putU16(b, quint32(width));
            putU16(b, quint32(height));
            putU16(b, 1);
            putU16(b, bitCount);
        } else {
            putU32(b, quint32(width));
            putU32(b, quint32(height));
            putU16(b, 1);
            putU16(b, bitCount);
            putU32(b, compression);
            putU32(b, quint32(bits.size()));
            putU32(b, 2835);
            putU32(b, 2835);
            putU32(b, colorsUsed);
            putU32(b, 0);
            if (headerSize > 40) {
                for (std::size_t i = 0; i < 4; ++i)
                    putU32(b, i < masks.size() ? masks[i] : 0);
                b.append(QByteArray(int(headerSize) - 56, '\0'));
            } else {
                for (quint32 m : masks)
                    putU32(b, m);
            }
        }
        for (QRgb c : palette) {
            b.append(char(qBlue(c))).append(char(qGreen(c))).append(char(qRed(c)));
            if (headerSize != 12)
                b.append('\0');
        }
        return b + bits;
    }

    QByteArray file() const
    {
        const QByteArray body = packed();
        QByteArray b("BM");
        putU32(b, quint32(14 + body.size()));
        putU32(b, 0);
        putU32(b, quint32(14 + body.size() - bits.size()));
        return b + body;
    }
};

// Rows of bytes, each padded to four bytes as bitmaps store them.
QByteArray rows(const std::vector<QByteArray>& lines)
{
    QByteArray b;
    for (QByteArray line : lines) {
        while (line.size() % 4)
            line.append('\0');
        b += line;
    }
    return b;
}

QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray b;
    for (int v : values)
        b.append(char(v));
    return b;
}

QByteArray encoded(const QImage& image, const char* format)
{
    QByteArray b;
    QBuffer buffer(&b);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return b;
}

QImage twoColours(int w, int h, QColor left, QColor right)
{
    QImage image(w, h, QImage::Format_ARGB32);
    image.fill(left);
    QPainter p(&image);
    p.fillRect(w / 2, 0, w - w / 2, h, right);
    return image;
}

// JPEG through libjpeg itself, for the variants QImage cannot write.
QByteArray jpeg(const QImage& source, bool progressive, J_COLOR_SPACE space = JCS_YCbCr)
{
    const QImage rgb = source.convertToFormat(QImage::Format_RGB888);
    jpeg_compress_struct c;
    jpeg_error_mgr err;
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &out, &size);
    c.image_width = JDIMENSION(rgb.width());
    c.image_height = JDIMENSION(rgb.height());
    const bool cmyk = space == JCS_CMYK;
    c.input_components = cmyk ? 4 : 3;
    c.in_color_space = cmyk ? JCS_CMYK : JCS_RGB;
    jpeg_set_defaults(&c);
    jpeg_set_colorspace(&c, space);
    jpeg_set_quality(&c, 90, TRUE);
    if (progressive)
        jpeg_simple_progression(&c);
    jpeg_start_compress(&c, TRUE);
    std::vector<JSAMPLE> row(std::size_t(rgb.width()) * 4);
    while (c.next_scanline < c.image_height) {
        const uchar* src = rgb.constScanLine(int(c.next_scanline));
        JSAMPROW line = const_cast<uchar*>(src);
        if (cmyk) {
            // Written with an Adobe marker, so stored inverted: 255 = no ink.
            for (int x = 0; x < rgb.width(); ++x) {
                const int r = src[3 * x], g = src[3 * x + 1], b = src[3 * x + 2];
                const int k = std::min({255 - r, 255 - g, 255 - b});
                const int div = 255 - k ? 255 - k : 1;
                row[4 * x + 0] = JSAMPLE(255 - (255 - r - k) * 255 / div);
                row[4 * x + 1] = JSAMPLE(255 - (255 - g - k) * 255 / div);
                row[4 * x + 2] = JSAMPLE(255 - (255 - b - k) * 255 / div);
                row[4 * x + 3] = JSAMPLE(255 - k);
            }
            line = row.data();
        }
        jpeg_write_scanlines(&c, &line, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    QByteArray b(reinterpret_cast<const char*>(out), int(size));
    free(out);
    return b;
}

// A GIF through giflib: a frame at (left, top) on a larger screen, colour 0
// red, 1 green, 2 blue; the pixel value grid is given row by row.
QByteArray gif(int screenW, int screenH, int left, int top, const std::vector<std::vector<int>>& pixels,
               bool interlace, int transparent)
{
    QByteArray out;
    auto write = [](GifFileType* g, const GifByteType* data, int len) {
        static_cast<QByteArray*>(g->UserData)->append(reinterpret_cast<const char*>(data), len);
        return len;
    };
    int error = 0;
    GifFileType* g = EGifOpen(&out, write, &error);
    const GifColorType colours[4] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}};
    ColorMapObject* map = GifMakeMapObject(4, colours);
    EGifSetGifVersion(g, true);
    EGifPutScreenDesc(g, screenW, screenH, 2, 0, map);
    if (transparent >= 0) {
        GraphicsControlBlock gcb{DISPOSAL_UNSPECIFIED, false, 0, transparent};
        GifByteType ext[4];
        const size_t len = EGifGCBToExtension(&gcb, ext);
        EGifPutExtension(g, GRAPHICS_EXT_FUNC_CODE, int(len), ext);
    }
    const int h = int(pixels.size()), w = int(pixels[0].size());
    EGifPutImageDesc(g, left, top, w, h, interlace, nullptr);
    std::vector<int> order;
    if (interlace) {
        for (auto [start, step] : {std::pair{0, 8}, {4, 8}, {2, 4}, {1, 2}})
            for (int y = start; y < h; y += step)
                order.push_back(y);
    } else {
        for (int y = 0; y < h; ++y)
            order.push_back(y);
    }
    for (int y : order) {
        std::vector<GifPixelType> line(pixels[y].begin(), pixels[y].end());
        EGifPutLine(g, line.data(), w);
    }
    EGifCloseFile(g, &error);
    GifFreeMapObject(map);
    return out;
}

// A placeable metafile that fills its left half red and its right half blue.
QByteArray metafile(int width, int height)
{
    QByteArray records;
    auto record = [&](unsigned function, std::initializer_list<int> params) {
        putU32(records, quint32(3 + params.size()));
        putU16(records, function);
        for (int p : params)
            putU16(records, unsigned(p) & 0xFFFF);
    };
    auto brush = [&](quint32 colorRef) {
        putU32(records, 7);
        putU16(records, 0x02FC);
        putU16(records, 0);
        putU32(records, colorRef);
        putU16(records, 0);
    };
    record(0x020B, {0, 0});
    record(0x020C, {height, width});
    brush(0x0000FF);
    record(0x012D, {0});
    record(0x041B, {height, width / 2, 0, 0});
    brush(0xFF0000);
    record(0x012D, {1});
    record(0x041B, {height, width, 0, width / 2});
    record(0x0000, {});
    QByteArray header;
    putU16(header, 1);
    putU16(header, 9);
    putU16(header, 0x0300);
    putU32(header, quint32((18 + records.size()) / 2));
    putU16(header, 2);
    putU32(header, 7);
    putU16(header, 0);
    QByteArray placeable;
    putU32(placeable, 0x9AC6CDD7);
    for (int v : {0, 0, 0, width, height, 96})
        putU16(placeable, unsigned(v));
    putU32(placeable, 0);
    unsigned sum = 0;
    for (int i = 0; i < placeable.size(); i += 2)
        sum ^= uchar(placeable[i]) | (uchar(placeable[i + 1]) << 8);
    putU16(placeable, sum);
    return placeable + header + records;
}

// An icon directory over the given images (bitmap or PNG bytes).
QByteArray icon(const std::vector<std::pair<QSize, QByteArray>>& entries)
{
    QByteArray b;
    putU16(b, 0);
    putU16(b, 1);
    putU16(b, unsigned(entries.size()));
    quint32 offset = quint32(6 + 16 * entries.size());
    for (const auto& [size, data] : entries) {
        b.append(char(size.width() & 0xFF)).append(char(size.height() & 0xFF)).append('\0').append('\0');
        putU16(b, 1);
        putU16(b, 32);
        putU32(b, quint32(data.size()));
        putU32(b, offset);
        offset += quint32(data.size());
    }
    for (const auto& entry : entries)
        b += entry.second;
    return b;
}

// A 4 × 2 icon bitmap: colour rows then AND-mask rows, bottom-up.
QByteArray iconBitmap(int bitCount, const QByteArray& colourRows, const QByteArray& maskRows)
{
    Dib d;
    d.width = 4;
    d.height = 4;  // twice the picture height
    d.bitCount = bitCount;
    d.bits = colourRows + maskRows;
    return d.packed();
}

// JPEG start of frame giving any size, with just enough around it to parse.
QByteArray jpegHeader(int width, int height, bool withScan)
{
    QByteArray b = bytes({0xFF, 0xD8});
    b += bytes({0xFF, 0xDB, 0x00, 0x43, 0x00}) + QByteArray(64, char(1));
    b += bytes({0xFF, 0xC0, 0x00, 0x0B, 0x08, height >> 8, height & 0xFF, width >> 8, width & 0xFF, 0x01, 0x01,
                0x11, 0x00});
    if (withScan) {
        // A Huffman table for DC and AC with one code each, then the scan header.
        b += bytes({0xFF, 0xC4, 0x00, 0x14, 0x00, 0x01}) + QByteArray(15, '\0') + bytes({0x00});
        b += bytes({0xFF, 0xC4, 0x00, 0x14, 0x10, 0x01}) + QByteArray(15, '\0') + bytes({0x00});
        b += bytes({0xFF, 0xDA, 0x00, 0x08, 0x01, 0x01, 0x00, 0x00, 0x3F, 0x00});
    }
    return b;
}

class PictureFiles : public ::testing::Test {
protected:
    QString write(const QString& name, const QByteArray& data)
    {
        const QString path = dir_.filePath(name);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(data);
        return path;
    }
    QString path(const QString& name) const { return dir_.filePath(name); }

private:
    QTemporaryDir dir_;
};

void expectColour(const QImage& image, QPoint at, QRgb want, int tolerance, const QString& what)
{
    const QRgb got = image.pixel(at);
    EXPECT_NEAR(qRed(got), qRed(want), tolerance) << what.toStdString() << " at " << at.x() << "," << at.y();
    EXPECT_NEAR(qGreen(got), qGreen(want), tolerance) << what.toStdString();
    EXPECT_NEAR(qBlue(got), qBlue(want), tolerance) << what.toStdString();
    EXPECT_EQ(qAlpha(got), qAlpha(want)) << what.toStdString();
}

}  // namespace

TEST_F(PictureFiles, GoodFilesDecodeToTheirSizeAndColours)
{
    const QRgb red = qRgb(255, 0, 0), green = qRgb(0, 255, 0), blue = qRgb(0, 0, 255), white = qRgb(255, 255, 255),
               black = qRgb(0, 0, 0), clear = qRgba(0, 0, 0, 0);

    Dib mono;  // 10 wide: the row is padded from 2 to 4 bytes
    mono.width = 10;
    mono.height = 2;
    mono.bitCount = 1;
    mono.palette = {black, white};
    mono.bits = rows({bytes({0xFF, 0xC0}), bytes({0x00, 0x40})});  // bottom row white, top row: only x=9 white

    Dib nibbles;  // 4 bits, a short colour table
    nibbles.width = 3;
    nibbles.height = 1;
    nibbles.bitCount = 4;
    nibbles.colorsUsed = 3;
    nibbles.palette = {red, green, blue};
    nibbles.bits = rows({bytes({0x01, 0x20})});

    Dib topDown;
    topDown.width = 2;
    topDown.height = -2;
    topDown.bitCount = 8;
    topDown.colorsUsed = 4;
    topDown.palette = {red, green, blue, white};
    topDown.bits = rows({bytes({0, 1}), bytes({2, 3})});

    Dib rgb555;
    rgb555.width = 2;
    rgb555.height = 1;
    rgb555.bitCount = 16;
    rgb555.bits = rows({bytes({0x00, 0x7C, 0x1F, 0x00})});  // red, blue

    Dib rgb565;
    rgb565.width = 2;
    rgb565.height = 1;
    rgb565.bitCount = 16;
    rgb565.compression = 3;
    rgb565.masks = {0xF800, 0x07E0, 0x001F};
    rgb565.bits = rows({bytes({0xE0, 0x07, 0x00, 0xF8})});  // green, red

    Dib odd24;  // 3 pixels of 3 bytes: 1 byte of padding per row
    odd24.width = 3;
    odd24.height = 2;
    odd24.bits = rows({bytes({0, 0, 255, 0, 255, 0, 255, 0, 0}), bytes({255, 255, 255, 0, 0, 0, 0, 0, 255})});

    Dib unusedAlpha;  // a 32-bit BI_RGB bitmap's fourth byte is not alpha
    unusedAlpha.width = 1;
    unusedAlpha.height = 1;
    unusedAlpha.bitCount = 32;
    unusedAlpha.bits = bytes({255, 0, 0, 0});

    Dib v5Alpha;
    v5Alpha.headerSize = 124;
    v5Alpha.width = 2;
    v5Alpha.height = 1;
    v5Alpha.bitCount = 32;
    v5Alpha.compression = 3;
    v5Alpha.masks = {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000};
    v5Alpha.bits = bytes({0, 0, 255, 255, 0, 255, 0, 0});

    Dib core;  // the old OS/2 header with a 3-byte colour table
    core.headerSize = 12;
    core.width = 2;
    core.height = 1;
    core.bitCount = 1;
    core.palette = {blue, green};
    core.bits = rows({bytes({0x40})});

    Dib rle8;  // run, delta over two pixels, absolute run past the edge, end of line, run, end
    rle8.width = 6;
    rle8.height = 2;
    rle8.bitCount = 8;
    rle8.compression = 1;
    rle8.palette = {red, green, blue};
    rle8.bits = bytes({2, 1, 0, 2, 2, 0, 0, 3, 2, 2, 2, 0, 0, 0, 6, 0, 0, 1});

    Dib rle4;
    rle4.width = 5;
    rle4.height = 1;
    rle4.bitCount = 4;
    rle4.compression = 2;
    rle4.palette = {red, green, blue};
    rle4.bits = bytes({5, 0x12, 0, 1});

    const QByteArray mask = rows({bytes({0x00}), bytes({0x80})});  // top row: first pixel transparent
    const QByteArray icon24 = iconBitmap(24, rows({QByteArray(12, char(255))}) + rows({QByteArray(12, char(255))}), mask);
    const QByteArray icon32 = iconBitmap(
        32, bytes({0, 0, 255, 128, 0, 0, 255, 255, 0, 0, 255, 255, 0, 0, 255, 0}) + QByteArray(16, char(200)),
        QByteArray());
    const QImage pngIcon = twoColours(48, 48, QColor(Qt::green), QColor(Qt::blue));

    const std::vector<std::vector<int>> grid = {{0, 1, 2}, {1, 2, 0}, {2, 0, 1}, {3, 3, 3},
                                                {0, 0, 0}, {1, 1, 1}, {2, 2, 2}, {3, 3, 3}, {0, 1, 3}};

    const QImage halves = twoColours(64, 32, QColor(Qt::red), QColor(Qt::blue));

    const struct {
        const char* name;
        QByteArray data;
        QSize size;
        QPoint at;
        QRgb colour;
        int tolerance;
    } cases[] = {
        {"mono.bmp", mono.file(), {10, 2}, {9, 0}, white, 0},
        {"mono2.bmp", mono.file(), {10, 2}, {8, 0}, black, 0},
        {"nibbles.bmp", nibbles.file(), {3, 1}, {2, 0}, blue, 0},
        {"topdown.bmp", topDown.file(), {2, 2}, {1, 1}, white, 0},
        {"rgb555.bmp", rgb555.file(), {2, 1}, {1, 0}, blue, 0},
        {"rgb565.bmp", rgb565.file(), {2, 1}, {0, 0}, green, 0},
        {"odd24.bmp", odd24.file(), {3, 2}, {2, 1}, blue, 0},
        {"odd24b.bmp", odd24.file(), {3, 2}, {0, 0}, white, 0},
        {"unused.bmp", unusedAlpha.file(), {1, 1}, {0, 0}, blue, 0},
        {"v5.bmp", v5Alpha.file(), {2, 1}, {1, 0}, qRgba(0, 255, 0, 0), 0},
        {"v5b.bmp", v5Alpha.file(), {2, 1}, {0, 0}, red, 0},
        {"core.bmp", core.file(), {2, 1}, {1, 0}, green, 0},
        {"rle8.bmp", rle8.file(), {6, 2}, {1, 1}, green, 0},
        {"rle8skip.bmp", rle8.file(), {6, 2}, {2, 1}, black, 0},
        {"rle8abs.bmp", rle8.file(), {6, 2}, {5, 1}, blue, 0},
        {"rle8row2.bmp", rle8.file(), {6, 2}, {1, 0}, red, 0},
        {"rle4.bmp", rle4.file(), {5, 1}, {3, 0}, blue, 0},
        {"qt.BMP", encoded(halves, "BMP"), {64, 32}, {60, 5}, blue, 0},
        {"packed.dib", topDown.packed(), {2, 2}, {0, 1}, blue, 0},
        {"file.DIB", topDown.file(), {2, 2}, {1, 0}, green, 0},
        {"masked.ico", icon({{{4, 2}, icon24}}), {4, 2}, {0, 0}, clear, 0},
        {"masked2.ico", icon({{{4, 2}, icon24}}), {4, 2}, {1, 0}, white, 0},
        {"alpha.ico", icon({{{4, 2}, icon32}}), {4, 2}, {0, 1}, qRgba(255, 0, 0, 128), 0},
        {"alpha2.ico", icon({{{4, 2}, icon32}}), {4, 2}, {3, 1}, qRgba(255, 0, 0, 0), 0},
        {"best.ico", icon({{{4, 2}, icon24}, {{48, 48}, encoded(pngIcon, "PNG")}, {{4, 2}, icon32}}), {48, 48},
         {40, 40}, blue, 0},
        {"baseline.jpg", encoded(halves, "JPG"), {64, 32}, {5, 5}, red, 12},
        {"progressive.JPEG", jpeg(halves, true), {64, 32}, {60, 20}, blue, 12},
        {"grey.jpeg", jpeg(halves, false, JCS_GRAYSCALE), {64, 32}, {60, 20}, qRgb(29, 29, 29), 6},
        {"cmyk.jpg", jpeg(halves, false, JCS_CMYK), {64, 32}, {5, 5}, red, 12},
        {"plain.gif", gif(3, 9, 0, 0, grid, false, -1), {3, 9}, {2, 0}, blue, 0},
        {"interlaced.GIF", gif(3, 9, 0, 0, grid, true, -1), {3, 9}, {1, 5}, green, 0},
        {"interlaced2.gif", gif(3, 9, 0, 0, grid, true, -1), {3, 9}, {2, 8}, white, 0},
        {"transparent.gif", gif(3, 9, 0, 0, grid, false, 3), {3, 9}, {0, 3}, clear, 0},
        {"offset.gif", gif(6, 12, 2, 3, grid, false, -1), {6, 12}, {2, 3}, red, 0},
        {"offset2.gif", gif(6, 12, 2, 3, grid, false, -1), {6, 12}, {0, 0}, clear, 0},
    };
    for (const auto& c : cases) {
        const QString name = QString::fromLatin1(c.name);
        try {
            const PictureFile picture = PictureFile::load(write(name, c.data));
            EXPECT_EQ(QSize(picture.width(), picture.height()), c.size) << c.name;
            EXPECT_EQ(picture.image().size(), c.size) << c.name;
            EXPECT_FALSE(picture.isReduced()) << c.name;
            expectColour(picture.image(), c.at, c.colour, c.tolerance, name);
        } catch (const Exception& e) {
            ADD_FAILURE() << c.name << ": " << e.what();
        }
    }
}

TEST_F(PictureFiles, BrokenInputsFailWithInvalidGraphic)
{
    Dib good;
    good.width = 4;
    good.height = 4;
    good.bits = rows(std::vector<QByteArray>(4, QByteArray(12, char(100))));

    Dib huge = good;
    huge.width = 30000;
    huge.height = 30000;
    Dib negativeWidth = good;
    negativeWidth.width = -4;
    Dib oddDepth = good;
    oddDepth.bitCount = 7;
    Dib badHeader = good;
    badHeader.headerSize = 200;
    Dib rleWrongDepth = good;
    rleWrongDepth.compression = 1;
    Dib rleCut;
    rleCut.width = 8;
    rleCut.height = 8;
    rleCut.bitCount = 8;
    rleCut.compression = 1;
    rleCut.palette = {qRgb(1, 2, 3)};
    rleCut.bits = bytes({8, 0, 0, 0, 8, 0});
    Dib jpegInside = good;
    jpegInside.compression = 4;

    QByteArray offsetOutside = good.file();
    offsetOutside[10] = char(0xF0);
    offsetOutside[11] = char(0xFF);
    Dib noBits;  // declares 200 colours and pixels, holds neither
    noBits.width = 2;
    noBits.height = 2;
    noBits.bitCount = 8;
    noBits.colorsUsed = 200;

    QByteArray mp3 = QByteArray("ID3\x03\x00\x00\x00\x00\x00\x0A", 10) + QByteArray(10, '\0');
    for (int i = 0; i < 50; ++i)
        mp3 += bytes({0xFF, 0xFB, 0x90, 0x64}) + QByteArray(413, char(0x55));

    const QByteArray realJpeg = encoded(twoColours(64, 64, Qt::red, Qt::blue), "JPG");
    const QByteArray icon24 = iconBitmap(24, QByteArray(32, char(255)), rows({bytes({0}), bytes({0})}));
    QByteArray entryOutside = icon({{{4, 2}, icon24}});
    entryOutside[18] = char(0x7F);
    QByteArray gifImage = gif(3, 9, 0, 0, {{0, 1, 2}}, false, -1);

    const struct {
        const char* name;
        QByteArray data;
    } cases[] = {
        {"empty.bmp", QByteArray()},
        {"text.bmp", QByteArray("this is not a picture at all, just words")},
        {"signature.bmp", QByteArray("BM")},
        {"cut.bmp", good.file().left(good.file().size() - 10)},
        {"huge.bmp", huge.file()},
        {"negative.bmp", negativeWidth.file()},
        {"depth.bmp", oddDepth.file()},
        {"header.bmp", badHeader.file()},
        {"rledepth.bmp", rleWrongDepth.file()},
        {"rlecut.bmp", rleCut.file()},
        {"jpeginside.bmp", jpegInside.file()},
        {"offset.bmp", offsetOutside},
        {"nobits.bmp", noBits.file()},
        {"packed.dib", good.packed().left(30)},
        {"song.jpg", mp3},
        {"song.bmp", mp3},
        {"song.gif", mp3},
        {"song.ico", mp3},
        {"song.wmf", mp3},
        {"huge.jpg", jpegHeader(30000, 30000, true)},
        {"headeronly.jpg", jpegHeader(64, 64, false)},
        {"noscandata.jpg", jpegHeader(64, 64, true)},
        {"soi.jpg", bytes({0xFF, 0xD8})},
        {"cut.jpeg", realJpeg.left(realJpeg.indexOf(QByteArray("\xFF\xDA", 2)) + 14)},
        {"zero.ico", bytes({0, 0, 1, 0, 0, 0})},
        {"outside.ico", entryOutside},
        {"nomask.ico", icon({{{4, 2}, iconBitmap(24, QByteArray(24, char(255)), QByteArray())}})},
        {"badpng.ico", icon({{{48, 48}, encoded(QImage(48, 48, QImage::Format_RGB32), "PNG").left(60)}})},
        {"header.gif", gifImage.left(13)},
        {"noimage.gif", gifImage.left(13 + 12) + bytes({0x3B})},
        {"cut.gif", gifImage.left(gifImage.size() - 8)},
        {"huge.gif", gif(30000, 30000, 0, 0, {{0}}, false, -1)},
        {"cut.wmf", metafile(200, 100).left(30)},
        {"drawing.emf", metafile(200, 100)},  // a WMF is no EMF
        {"picture.png", encoded(QImage(4, 4, QImage::Format_RGB32), "PNG")},
        {"noextension", realJpeg},
    };
    for (const auto& c : cases) {
        const QString name = QString::fromLatin1(c.name);
        const QString file = write(name, c.data);
        EXPECT_THROW(PictureFile::load(file), EInvalidGraphic) << c.name;
    }
    EXPECT_THROW(PictureFile::load(path("missing.jpg")), EInvalidGraphic);
    QDir().mkpath(path("folder.bmp"));
    EXPECT_THROW(PictureFile::load(path("folder.bmp")), EInvalidGraphic);
}

TEST_F(PictureFiles, RefusesAHugeJpegBeforeDecoding)
{
    try {
        PictureFile::load(write("huge.jpg", jpegHeader(30000, 30000, true)));
        ADD_FAILURE() << "a 30000 x 30000 picture was accepted";
    } catch (const EInvalidGraphic& e) {
        EXPECT_TRUE(e.message().contains(QLatin1String("too large"))) << e.what();
    }
}

TEST_F(PictureFiles, UnreadableFileFails)
{
    const QString file = write("locked.bmp", QByteArray(100, 'x'));
    QFile::setPermissions(file, {});
    // Root reads every file: the load runs with the rights of an ordinary user.
    QFile::setPermissions(QFileInfo(file).absolutePath(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                              QFileDevice::ExeOwner | QFileDevice::ExeOther);
    const int result = runAsOrdinaryUser([&] {
        try {
            PictureFile::load(file);
            return 1;
        } catch (const EInvalidGraphic&) {
            return 0;
        } catch (...) {
            return 2;
        }
    });
    EXPECT_EQ(result, 0) << "1: the file was read; 2: another failure";
}

TEST_F(PictureFiles, CutOffPicturesShowWhatTheyHold)
{
    // A red band over noise: the noise makes the compressed data outweigh the
    // headers, so cutting the file cuts into picture data.
    QImage tall(64, 256, QImage::Format_RGB32);
    unsigned seed = 7;
    for (int y = 0; y < tall.height(); ++y)
        for (int x = 0; x < tall.width(); ++x)
            tall.setPixel(x, y, y < 16 ? qRgb(255, 0, 0) : (seed = seed * 1103515245u + 12345u) >> 8);
    const QByteArray baseline = jpeg(tall, false), progressive = jpeg(tall, true);
    std::vector<std::vector<int>> noisy(256, std::vector<int>(64, 0));
    seed = 1;
    for (int y = 8; y < 256; ++y)
        for (int& v : noisy[std::size_t(y)])
            v = int((seed = seed * 1103515245u + 12345u) >> 16) & 3;
    const QByteArray gifData = gif(64, 256, 0, 0, noisy, false, -1);
    const struct {
        const char* name;
        QByteArray data;
        QSize size;
    } cases[] = {
        {"progressive.jpg", progressive.left(progressive.size() * 2 / 3), {64, 256}},
        {"cut.gif", gifData.left(gifData.size() * 2 / 3), {64, 256}},
    };
    // A JPEG whose data ends inside its first scan is broken: a baseline
    // file has only that one scan. Opened to be decoded on demand, a file cut
    // short fails at once all the same.
    for (auto load : {&PictureFile::load, &PictureFile::open}) {
        EXPECT_THROW(load(write("baseline.jpg", baseline.left(baseline.size() * 2 / 3)), {}), EInvalidGraphic);
        for (const auto& c : cases) {
            try {
                const PictureFile picture = load(write(QString::fromLatin1(c.name), c.data), {});
                EXPECT_TRUE(picture.isComplete()) << c.name;
                EXPECT_EQ(picture.image().size(), c.size) << c.name;
                expectColour(picture.image(), {1, 1}, qRgb(255, 0, 0), 12, QString::fromLatin1(c.name));
            } catch (const Exception& e) {
                ADD_FAILURE() << c.name << ": " << e.what();
            }
        }
    }
}

TEST(JpegScale, SmallestEighthThatCoversTheDisplayOnceShownAtHalfOrLess)
{
    const struct {
        QSize full, display;
        int scale;
    } cases[] = {
        {{3840, 2400}, {400, 250}, 1},    // 480 × 300
        {{3840, 2400}, {481, 250}, 2},    // 1/8 would be one column short
        {{3840, 2400}, {1000, 700}, 3},   // 1440 × 900
        {{3840, 2400}, {1920, 1200}, 4},  // exactly half
        {{3840, 2400}, {1921, 1200}, 8},  // more than half: reduction does not pay
        {{3840, 2400}, {1920, 1201}, 8},
        {{3840, 2400}, {}, 8},            // size not known
        {{651, 451}, {326, 226}, 4},      // odd sides: libjpeg rounds half up to 326 × 226
        {{653, 451}, {326, 226}, 4},
        {{16, 16}, {1, 1}, 1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(jpegScaleFor(c.full, c.display), c.scale)
            << c.full.width() << "x" << c.full.height() << " at " << c.display.width() << "x" << c.display.height();
    EXPECT_EQ(jpegScaledSize({651, 451}, 4), QSize(326, 226));
    EXPECT_EQ(jpegScaledSize({3840, 2400}, 3), QSize(1440, 900));
}

TEST_F(PictureFiles, LargeJpegDecodesReducedAndGrowsOnDemand)
{
    const QString file = write("big.jpg", encoded(twoColours(3840, 2400, Qt::red, Qt::blue), "JPG"));

    PictureFile picture = PictureFile::load(file, QSize(400, 250));
    EXPECT_EQ(picture.size(), QSize(3840, 2400));
    EXPECT_EQ(picture.image().size(), QSize(480, 300));
    EXPECT_TRUE(picture.isReduced());
    expectColour(picture.image(), {10, 150}, qRgb(255, 0, 0), 12, QStringLiteral("1/8 left"));
    expectColour(picture.image(), {470, 150}, qRgb(0, 0, 255), 12, QStringLiteral("1/8 right"));

    picture.ensureResolution(QSize(300, 200));  // smaller: nothing to do
    EXPECT_EQ(picture.image().size(), QSize(480, 300));
    picture.ensureResolution(QSize(1000, 700));
    EXPECT_EQ(picture.image().size(), QSize(1440, 900));
    picture.ensureResolution(QSize(2500, 1500));
    EXPECT_EQ(picture.image().size(), QSize(3840, 2400));
    EXPECT_FALSE(picture.isReduced());
    expectColour(picture.image(), {3800, 2000}, qRgb(0, 0, 255), 12, QStringLiteral("full"));
    EXPECT_EQ(picture.size(), QSize(3840, 2400));

    const PictureFile half = PictureFile::load(file, QSize(1920, 1200));
    EXPECT_EQ(half.image().size(), QSize(1920, 1200));
    EXPECT_EQ(PictureFile::load(file).image().size(), QSize(3840, 2400));
    EXPECT_EQ(PictureFile::load(file, QSize(2000, 1000)).image().size(), QSize(3840, 2400));
}

TEST_F(PictureFiles, OpenedJpegDecodesOnItsOwnWhileReadersWaitForTheirRows)
{
    // Red over blue, so that a row shows whether it was decoded (black if not).
    QImage source(64, 256, QImage::Format_RGB32);
    source.fill(Qt::red);
    QPainter(&source).fillRect(0, 128, 64, 128, Qt::blue);
    const struct {
        const char* name;
        QByteArray data;
        QSize display;
        QSize decoded;
    } cases[] = {
        {"baseline.jpg", jpeg(source, false), {}, {64, 256}},
        {"progressive.jpg", jpeg(source, true), {}, {64, 256}},
        {"halved.jpg", jpeg(source, false), {32, 128}, {32, 128}},
    };
    for (const auto& c : cases) {
        const QString name = QString::fromLatin1(c.name);
        const QString file = write(name, c.data);
        PictureFile picture = PictureFile::open(file, c.display);
        EXPECT_EQ(picture.size(), QSize(64, 256)) << c.name;
        ASSERT_EQ(picture.image().size(), c.decoded) << c.name;

        picture.readRows(16);
        EXPECT_GE(picture.rowsReady(), 16) << c.name;
        expectColour(picture.image(), {1, 1}, qRgb(255, 0, 0), 12, name + QStringLiteral(" top"));

        // Nobody asks for the rest: it is decoded all the same, and said so.
        std::atomic<bool> told = false;
        picture.whenDecoded([&] { told = true; });
        EXPECT_TRUE(waitFor([&] { return told.load(); })) << c.name;
        EXPECT_TRUE(picture.isDecoded()) << c.name;
        EXPECT_TRUE(picture.isComplete()) << c.name;
        const QPoint bottom(1, c.decoded.height() - 2);
        expectColour(picture.image(), bottom, qRgb(0, 0, 255), 12, name + QStringLiteral(" bottom"));
        EXPECT_EQ(picture.image(), PictureFile::load(file, c.display).image()) << c.name;
    }

    // Shown larger than it was decoded, it starts again at the larger scale.
    PictureFile grown = PictureFile::open(write("grown.jpg", jpeg(source, false)), QSize(32, 128));
    grown.readRows(128);
    grown.ensureResolution(QSize(64, 256));
    EXPECT_EQ(grown.image().size(), QSize(64, 256));
    grown.readRows(256);
    EXPECT_TRUE(grown.isComplete());
    expectColour(grown.image(), {1, 254}, qRgb(0, 0, 255), 12, QStringLiteral("grown"));

    // Formats other than JPEG are whole at once.
    EXPECT_TRUE(PictureFile::open(write("whole.bmp", encoded(source, "BMP"))).isComplete());
}

TEST_F(PictureFiles, AJpegStillDecodingCanBeReplacedOrDroppedAtOnce)
{
    // Big enough to be still decoding when it is replaced: the decoding
    // thread must stop before the pixels it writes into are let go.
    QImage source(2400, 1600, QImage::Format_RGB32);
    source.fill(Qt::red);
    const QString big = write("big.jpg", jpeg(source, true));
    const QString small = write("small.jpg", jpeg(source.scaled(64, 48), false));
    for (int i = 0; i < 3; ++i) {
        PictureFile shown = PictureFile::open(big);
        shown = PictureFile::open(big);
        shown = PictureFile::open(small);
        shown.readRows(48);
        expectColour(shown.image(), {32, 40}, qRgb(255, 0, 0), 12, QStringLiteral("replaced"));
        const PictureFile dropped = PictureFile::open(big);
    }
}

TEST_F(PictureFiles, AJpegWhoseScansBreakAfterItOpenedFailsToItsReader)
{
    // A whole progressive JPEG whose first scan declares impossible
    // progression parameters: its header reads, its scans do not.
    QImage source(64, 64, QImage::Format_RGB32);
    source.fill(Qt::red);
    QByteArray data = jpeg(source, true);
    const qsizetype scan = data.indexOf("\xFF\xDA");
    ASSERT_GT(scan, 0);
    const int components = data[scan + 4];
    data[scan + 5 + 2 * components + 1] = 5;  // Se of a DC scan must be 0
    PictureFile picture = PictureFile::open(write("broken-scans.jpg", data));
    EXPECT_EQ(picture.size(), QSize(64, 64));
    std::atomic<bool> told = false;
    picture.whenDecoded([&] { told = true; });
    EXPECT_TRUE(waitFor([&] { return told.load(); }));
    EXPECT_THROW(picture.readRows(64), EInvalidGraphic);
    EXPECT_TRUE(picture.isComplete()) << "the rows read stay, the rest black";
    EXPECT_NO_THROW(picture.readRows(64));
}

TEST_F(PictureFiles, OnlyJpegsAreReduced)
{
    const QImage big = twoColours(1600, 1200, Qt::red, Qt::blue);
    for (const char* name : {"big.bmp", "big.gif"}) {
        const QByteArray data = QByteArray(name).endsWith("bmp") ? encoded(big, "BMP")
                                                                  : gif(1600, 1200, 0, 0, {{0, 1}}, false, -1);
        PictureFile picture = PictureFile::load(write(QString::fromLatin1(name), data), QSize(200, 150));
        EXPECT_EQ(picture.image().size(), QSize(1600, 1200)) << name;
        EXPECT_FALSE(picture.isReduced()) << name;
        picture.ensureResolution(QSize(1600, 1200));
        EXPECT_EQ(picture.image().size(), QSize(1600, 1200)) << name;
    }
}
