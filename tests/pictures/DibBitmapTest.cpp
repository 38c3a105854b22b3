// Bitmap blocks into bitmaps and the thumbnail geometry.
#include "FakeImageLibrary.h"
#include "pictures/DibBitmap.h"
#include "pictures/ThumbnailMaker.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {
IlBitmapHeader* headerOf(DibBlock& block) { return static_cast<IlBitmapHeader*>(block.data()); }
uint8_t* pixelsOf(DibBlock& block) { return const_cast<uint8_t*>(DibView(block).pixels()); }
}  // namespace

TEST(BlockToBitmap, EveryPlainDepthGivesTheSameColours)
{
    // A 3 x 2 picture: top row red, green, blue; bottom row white, black, grey.
    QImage source(3, 2, QImage::Format_RGB32);
    const QRgb colours[6] = {qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255),
                             qRgb(255, 255, 255), qRgb(0, 0, 0), qRgb(128, 128, 128)};
    for (int i = 0; i < 6; ++i)
        source.setPixel(i % 3, i / 3, colours[i]);

    const DibBlock block24 = bitmapToBlock(source, 24);
    const DibBitmap bitmap = plainBlockToBitmap(block24);
    ASSERT_FALSE(bitmap.isNull());
    EXPECT_EQ(bitmap.bitsPerPixel, 24);
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(bitmap.image.pixel(i % 3, i / 3), colours[i]) << i;

    // 16 bits in the plain 5-5-5 layout and 32 bits with bit-field masks.
    DibBlock block16 = DibBlock::allocate(1, 1, 16);
    const uint16_t pure = 0x7C00;  // red
    std::memcpy(pixelsOf(block16), &pure, 2);
    EXPECT_EQ(plainBlockToBitmap(block16).image.pixel(0, 0), qRgb(255, 0, 0));

    void* raw = std::calloc(1, sizeof(IlBitmapHeader) + 12 + 4);
    DibBlock block32 = DibBlock::fromMalloc(raw);
    *headerOf(block32) = {40, 1, 1, 1, 32, 3, 4, 0, 0, 0, 0};
    const uint32_t masks[3] = {0x000000FF, 0x0000FF00, 0x00FF0000};  // red in the low byte
    std::memcpy(headerOf(block32) + 1, masks, 12);
    const uint32_t pixel = 0x0000FF;
    std::memcpy(static_cast<uint8_t*>(raw) + 40 + 12, &pixel, 4);
    EXPECT_EQ(plainBlockToBitmap(block32).image.pixel(0, 0), qRgb(255, 0, 0));
}

TEST(BlockToBitmap, IndexedRowsAreBottomUpAndIndicesBeyondTheTableTakeEntryZero)
{
    // 4 bits, 2 x 2, a table of two colours; the top-right pixel uses index 7.
    DibBlock block = DibBlock::allocate(2, 2, 4, 2);
    auto* table = reinterpret_cast<IlRgbQuad*>(headerOf(block) + 1);
    table[0] = {0, 0, 255, 0};  // red
    table[1] = {255, 0, 0, 0};  // blue
    uint8_t* rows = pixelsOf(block);
    rows[0] = 0x10;  // bottom row: blue, red
    rows[4] = 0x07;  // top row: red, index 7
    const DibBitmap bitmap = plainBlockToBitmap(block);
    ASSERT_FALSE(bitmap.isNull());
    EXPECT_EQ(bitmap.bitsPerPixel, 4);
    EXPECT_EQ(bitmap.image.pixel(0, 1), qRgb(0, 0, 255));
    EXPECT_EQ(bitmap.image.pixel(1, 1), qRgb(255, 0, 0));
    EXPECT_EQ(bitmap.image.pixel(1, 0), qRgb(255, 0, 0));

    DibBlock mono = DibBlock::allocate(9, 1, 1);
    pixelsOf(mono)[1] = 0x80;  // the ninth pixel is set
    auto* monoTable = reinterpret_cast<IlRgbQuad*>(headerOf(mono) + 1);
    monoTable[1] = {255, 255, 255, 0};
    const DibBitmap one = plainBlockToBitmap(mono);
    EXPECT_TRUE(one.monochrome());
    EXPECT_EQ(one.image.pixel(8, 0), qRgb(255, 255, 255));
    EXPECT_EQ(one.image.pixel(7, 0), qRgb(0, 0, 0));
}

TEST(BlockToBitmap, UnusableHeadersGiveNothing)
{
    struct Case {
        const char* what;
        IlBitmapHeader header;
    };
    const Case cases[] = {
        {"zero width", {40, 0, 4, 1, 24, 0, 0, 0, 0, 0, 0}},
        {"zero height", {40, 4, 0, 1, 24, 0, 0, 0, 0, 0, 0}},
        {"too wide", {40, 32768, 1, 1, 24, 0, 0, 0, 0, 0, 0}},
        {"top-down", {40, 4, -4, 1, 24, 0, 0, 0, 0, 0, 0}},
        {"odd depth", {40, 4, 4, 1, 7, 0, 0, 0, 0, 0, 0}},
        {"wrong header size", {12, 4, 4, 1, 24, 0, 0, 0, 0, 0, 0}},
        {"too many colours", {40, 4, 4, 1, 1, 0, 0, 0, 0, 3, 0}},
        {"over a gigabyte", {40, 32767, 32767, 1, 32, 0, 0, 0, 0, 0, 0}},
        {"run length at 24 bits", {40, 4, 4, 1, 24, 1, 16, 0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        DibBlock block = DibBlock::fromMalloc(std::calloc(1, 64));
        *headerOf(block) = c.header;
        EXPECT_FALSE(DibView(block).valid()) << c.what;
        EXPECT_TRUE(plainBlockToBitmap(block).isNull()) << c.what;
    }
    EXPECT_FALSE(DibBlock::allocate(0, 5, 24));
}

TEST(BlockToBitmap, DepthChangesGoThroughTheLibrary)
{
    FakeImageLibrary library;
    QImage grey(2, 2, QImage::Format_RGB32);
    grey.fill(qRgb(10, 10, 10));
    const DibBlock block8 = bitmapToBlock(grey, 8);
    // 8 to 24 bits by the control itself, 24 bits staying 24 even when less is asked.
    EXPECT_EQ(blockToBitmap(library, block8, 24).bitsPerPixel, 24);
    EXPECT_EQ(blockToBitmap(library, bitmapToBlock(grey, 24), 8).bitsPerPixel, 24);
    // 8 to 1 bit is a reduction by the scaling library; without it the error passes.
    EXPECT_EQ(blockToBitmap(library, block8, 1).bitsPerPixel, 1);
    library.scalingAvailable = false;
    EXPECT_THROW(blockToBitmap(library, block8, 1), EImageLibUnavailable);
}

TEST(ThumbnailGeometry, LongerSideFillsTheThumbnail)
{
    struct Case {
        int w, h, tw, th;
        QSize expected;
    };
    const Case cases[] = {
        {400, 300, 100, 100, {100, 75}}, {300, 400, 100, 100, {75, 100}}, {100, 100, 100, 68, {100, 100}},
        {4000, 1, 100, 100, {100, 1}},   {1, 4000, 100, 100, {1, 100}},   {200, 1, 100, 100, {100, 1}},
        {8, 3, 100, 100, {100, 38}},  // 37.5 rounds to the even 38
        {8, 5, 100, 100, {100, 62}},  // 62.5 rounds to the even 62
    };
    for (const Case& c : cases)
        EXPECT_EQ(thumbnailSize(c.w, c.h, c.tw, c.th), c.expected) << c.w << "x" << c.h;
}

TEST(ThumbnailGeometry, PictureSitsInTheMiddleOfAWhiteThumbnail)
{
    FakeImageLibrary library;
    ThumbnailRecipe recipe{100, 100, false, 24};
    ThumbFile notes;
    for (const bool landscape : {true, false}) {
        QImage picture(landscape ? 400 : 300, landscape ? 300 : 400, QImage::Format_RGB32);
        picture.fill(Qt::black);
        const QImage thumb = makeThumbnail(library, {picture, 24}, recipe, notes);
        ASSERT_EQ(thumb.size(), QSize(100, 100));
        // The 75-pixel side starts 12 pixels in and ends before pixel 87.
        const auto at = [&](int along, int across) {
            return landscape ? thumb.pixel(along, across) : thumb.pixel(across, along);
        };
        EXPECT_EQ(at(50, 11), qRgb(255, 255, 255));
        EXPECT_EQ(at(50, 12), qRgb(0, 0, 0));
        EXPECT_EQ(at(50, 86), qRgb(0, 0, 0));
        EXPECT_EQ(at(50, 87), qRgb(255, 255, 255));
        EXPECT_EQ(at(0, 50), qRgb(0, 0, 0));
        EXPECT_EQ(at(99, 50), qRgb(0, 0, 0));
    }
}

TEST(ThumbnailGeometry, MonochromePicturesAreScaledToGreyOrStretchedWithoutTheLibrary)
{
    FakeImageLibrary library;
    QImage mono(40, 40, QImage::Format_RGB32);
    mono.fill(Qt::white);
    const DibBitmap bitmap = plainBlockToBitmap(bitmapToBlock(mono, 1));
    ASSERT_TRUE(bitmap.monochrome());
    ThumbFile notes;
    EXPECT_FALSE(makeThumbnail(library, bitmap, {}, notes).isNull());
    EXPECT_EQ(library.scalingCalls, 1);
    EXPECT_FALSE(notes.scalingMissing);

    library.scalingAvailable = false;
    const QImage stretched = makeThumbnail(library, bitmap, {}, notes);
    EXPECT_FALSE(stretched.isNull());
    EXPECT_TRUE(notes.scalingMissing);
    EXPECT_EQ(notes.scalingMessage, FakeImageLibrary::missing("libisp2000.so"));
}

TEST(CaptionShortening, KeepsTheEndOfLongNames)
{
    struct Case {
        const char* caption;
        int textWidth;
        int available;
        const char* expected;
    };
    const Case cases[] = {
        {"a.jpg", 30, 96, "a.jpg"},                          // k = 15: whole
        {"abcdefghij.jpg", 140, 96, "..hij.jpg"},            // k = round(96 / 10.7) = 9
        {"abcdefgh.jpg", 96, 96, "..defgh.jpg"},             // k = 11, one short of n + 1
        {"a.jpg", 95, 96, "..jpg"},                          // k = n = 5 is shortened too
        {"abcdefghijklmnopqrstuvwxyz.jpg", 600, 20, ".."},   // k below 3
    };
    for (const Case& c : cases)
        EXPECT_EQ(shortenCaption(QString::fromLatin1(c.caption), c.textWidth, c.available),
                  QString::fromLatin1(c.expected))
            << c.caption;
}
