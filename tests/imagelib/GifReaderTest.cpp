// GIF files made byte by byte, for what no picture writer produces: frames
// placed far from their screen, and colour tables of every size.
#include "ImageFixtures.h"

#include "imagelib/crde2001.h"

#include <gtest/gtest.h>

#include <QPoint>

#include <string>
#include <vector>

namespace {

void le16(QByteArray& b, int v)
{
    b.append(char(v & 0xFF)).append(char((v >> 8) & 0xFF));
}

// LZW data for count pixels of colour 1 with code size 2: every pixel a
// literal 3-bit code, a clear code before each pair so the codes stay 3 bits.
QByteArray lzwOnes(int count)
{
    std::vector<int> codes;
    for (int i = 0; i < count; ++i) {
        if (i % 2 == 0)
            codes.push_back(4);
        codes.push_back(1);
    }
    codes.push_back(5);
    QByteArray packed;
    unsigned bits = 0, used = 0;
    for (int code : codes) {
        bits |= unsigned(code) << used;
        used += 3;
        for (; used >= 8; used -= 8, bits >>= 8)
            packed.append(char(bits & 0xFF));
    }
    if (used)
        packed.append(char(bits & 0xFF));
    QByteArray blocks;
    for (int at = 0; at < packed.size(); at += 255) {
        const QByteArray part = packed.mid(at, 255);
        blocks.append(char(part.size())).append(part);
    }
    return blocks.append('\0');
}

// A colour table of 2^bits entries: black, white, then greys.
QByteArray colourTable(int bits)
{
    QByteArray table;
    for (int i = 0; i < (1 << bits); ++i) {
        const char v = char(i == 0 ? 0 : i == 1 ? 255 : i);
        table.append(v).append(v).append(v);
    }
    return table;
}

struct GifLayout {
    int screenW, screenH;
    int left, top, frameW, frameH;
    int globalBits = 1;  // 0: no global table
    int localBits = 0;   // 0: no local table
};

// One frame of colour 1 (white) on a screen whose background is colour 0 (black).
QByteArray gif(const GifLayout& g)
{
    QByteArray b("GIF89a");
    le16(b, g.screenW);
    le16(b, g.screenH);
    b.append(char(g.globalBits ? 0x80 | (g.globalBits - 1) : 0)).append('\0').append('\0');
    if (g.globalBits)
        b += colourTable(g.globalBits);
    b.append(char(0x2C));
    le16(b, g.left);
    le16(b, g.top);
    le16(b, g.frameW);
    le16(b, g.frameH);
    b.append(char(g.localBits ? 0x80 | (g.localBits - 1) : 0));
    if (g.localBits)
        b += colourTable(g.localBits);
    b.append(char(2));
    return b + lzwOnes(g.frameW * g.frameH) + ';';
}

int16_t readGif(const QByteArray& bytes, IlBlock* block)
{
    return rdgifstreamdib(reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size()), 24, nullptr,
                          nullptr, 0, block);
}

TEST(GifReader, CanvasIsBoundedByWhatTheDataPaints)
{
    const Rgb black{0, 0, 0}, white{255, 255, 255};
    const struct {
        const char* what;
        GifLayout layout;
        int width, height;
        std::vector<std::pair<QPoint, Rgb>> pixels;
    } cases[] = {
        {"frame filling its screen", {3, 2, 0, 0, 3, 2}, 3, 2, {{{0, 0}, white}, {{2, 1}, white}}},
        {"frame inside a larger screen", {6, 5, 2, 1, 2, 2}, 6, 5, {{{0, 0}, black}, {{2, 1}, white}, {{3, 2}, white}, {{4, 3}, black}}},
        {"frame overhanging its screen a little widens it", {4, 4, 3, 2, 2, 2}, 5, 4, {{{4, 3}, white}, {{0, 0}, black}}},
        {"frame far outside a small screen is clipped", {4, 4, 100, 100, 2, 2}, 4, 4, {{{3, 3}, black}}},
        {"one pixel far outside a one-pixel screen", {1, 1, 16383, 8191, 1, 1}, 1, 1, {{{0, 0}, black}}},
        {"one pixel far out on a screen of no size", {0, 0, 16383, 8191, 1, 1}, 1, 1, {{{0, 0}, white}}},
        {"one pixel at the far corner of a huge screen", {16384, 8192, 16383, 8191, 1, 1}, 1, 1, {{{0, 0}, white}}},
        {"small frame at the origin of a huge screen", {16384, 8192, 0, 0, 2, 2}, 2, 2, {{{1, 1}, white}}},
    };
    Fixtures fixtures;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const QByteArray bytes = gif(c.layout);
        CrdeBlock block;
        ASSERT_GE(readGif(bytes, block.out()), 1);
        EXPECT_EQ(headerOf(block.block).width, c.width);
        EXPECT_EQ(headerOf(block.block).height, c.height);
        for (const auto& [at, colour] : c.pixels)
            EXPECT_EQ(blockPixel(block.block, at.x(), at.y()), colour) << at.x() << "," << at.y();
        // The file information tells the size the reader makes.
        const std::string path = fixtures.write(QStringLiteral("canvas.gif"), bytes).toStdString();
        char format[8];
        int width = 0, height = 0, bits = 0;
        ASSERT_GE(fileinfo(path.c_str(), format, &width, &height, &bits), 1);
        EXPECT_EQ(width, c.width);
        EXPECT_EQ(height, c.height);
    }
    // The hostile original is 35 bytes.
    EXPECT_EQ(gif({1, 1, 16383, 8191, 1, 1}).size(), 35);
}

TEST(GifReader, FileInformationGivesTheDepthOfTheFramesColourTable)
{
    const struct {
        const char* what;
        int globalBits, localBits;
        int infoBits, blockBits;
    } cases[] = {
        {"two colours", 1, 0, 1, 1},
        {"four colours", 2, 0, 2, 4},
        {"eight colours", 3, 0, 3, 4},
        {"sixteen colours", 4, 0, 4, 4},
        {"256 colours", 8, 0, 8, 8},
        {"the frame's own two colours over 256 on the screen", 8, 1, 1, 1},
        {"the frame's own sixteen colours, none on the screen", 0, 4, 4, 4},
    };
    Fixtures fixtures;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path =
            fixtures.write(QStringLiteral("depth.gif"), gif({4, 3, 0, 0, 4, 3, c.globalBits, c.localBits})).toStdString();
        char format[8];
        int width = 0, height = 0, bits = 0;
        ASSERT_GE(fileinfo(path.c_str(), format, &width, &height, &bits), 1);
        EXPECT_STREQ(format, "GIF");
        EXPECT_EQ(bits, c.infoBits);
        CrdeBlock block;
        ASSERT_GE(rdgiffiledib(path.c_str(), 24, 0, nullptr, nullptr, block.out()), 1);
        EXPECT_EQ(headerOf(block.block).bitCount, c.blockBits);
        EXPECT_EQ(blockPixel(block.block, 3, 2), (Rgb{255, 255, 255}));
    }
    // A file that ends before its first frame still tells its header.
    const std::string cut = fixtures.write(QStringLiteral("cut.gif"), gif({4, 3, 0, 0, 4, 3, 2, 0}).left(20)).toStdString();
    char format[8];
    int width = 0, height = 0, bits = 0;
    ASSERT_GE(fileinfo(cut.c_str(), format, &width, &height, &bits), 1);
    EXPECT_EQ(width, 4);
    EXPECT_EQ(bits, 2);
}

}  // namespace
