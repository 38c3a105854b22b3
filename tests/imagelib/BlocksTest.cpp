// The block entries of both libraries: depth raisers, the run-length
// expander, scaling and colour reduction, and their refusal of bad blocks.
#include "ImageFixtures.h"

#include "imagelib/crde2001.h"
#include "imagelib/isp2000.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

struct BlockFree {
    void operator()(void* p) const { std::free(p); }
};
using Owned = std::unique_ptr<void, BlockFree>;

const IlRgbQuad kBlack{0, 0, 0, 0}, kWhite{255, 255, 255, 0}, kRed{0, 0, 255, 0}, kBlue{255, 0, 0, 0};

// 9 × 2, 1 bit: the top row alternates black and white, the bottom row is the
// reverse; rows are padded to 4 bytes and stored bottom-up.
Owned monochrome()
{
    return Owned(makeBlock(9, 2, 1, {kBlack, kWhite}, {0xAA, 0x80, 0, 0, 0x55, 0x00, 0, 0}));
}

Rgb expectedMono(int x, int y)
{
    return (x + y) % 2 ? Rgb{255, 255, 255} : Rgb{0, 0, 0};
}

TEST(ImageBlocks, DepthRaisersKeepEveryPixel)
{
    const Owned mono = monochrome();
    // 5 × 1, 4 bits, table of three: red, blue, white, black, red.
    const Owned four(makeBlock(5, 1, 4, {kRed, kBlue, kWhite, kBlack}, {0x01, 0x23, 0x00, 0x00}));
    const Rgb fourWant[] = {{255, 0, 0}, {0, 0, 255}, {255, 255, 255}, {0, 0, 0}, {255, 0, 0}};
    // 2 × 1, 16 bits 5-5-5: pure red, pure blue.
    const Owned sixteen(makeBlock(2, 1, 16, {}, {0x00, 0x7C, 0x1F, 0x00}));
    // 2 × 1, 32 bits: green, grey; the fourth byte is unused.
    const Owned thirtyTwo(makeBlock(2, 1, 32, {}, {0, 255, 0, 0, 128, 128, 128, 77}));

    const struct {
        const char* name;
        IlBlock (*entry)(IlBlock);
        IlBlock source;
        int bits;
    } cases[] = {
        {"1 to 4", DIB1to4, mono.get(), 4},   {"1 to 8", DIB1To8, mono.get(), 8},   {"1 to 24", DIB1To24, mono.get(), 24},
        {"4 to 8", DIB4To8, four.get(), 8},   {"4 to 24", DIB4To24, four.get(), 24}, {"16 to 24", DIB16To24, sixteen.get(), 24},
        {"32 to 24", DIB32To24, thirtyTwo.get(), 24},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CrdeBlock raised;
        raised.block = c.entry(c.source);
        ASSERT_NE(raised.block, nullptr);
        const IlBitmapHeader& h = headerOf(raised.block);
        EXPECT_EQ(h.bitCount, c.bits);
        EXPECT_EQ(h.width, headerOf(c.source).width);
        EXPECT_EQ(h.height, headerOf(c.source).height);
        for (int y = 0; y < h.height; ++y)
            for (int x = 0; x < h.width; ++x) {
                Rgb want = expectedMono(x, y);
                if (c.source == four.get())
                    want = fourWant[x];
                else if (c.source == sixteen.get())
                    want = x ? Rgb{0, 0, 255} : Rgb{255, 0, 0};
                else if (c.source == thirtyTwo.get())
                    want = x ? Rgb{128, 128, 128} : Rgb{0, 255, 0};
                EXPECT_EQ(blockPixel(raised.block, x, y), want) << x << "," << y;
            }
    }
    // The argument is the caller's and stays as it was.
    const Owned fresh = monochrome();
    EXPECT_EQ(std::memcmp(mono.get(), fresh.get(), sizeof(IlBitmapHeader) + 8 + 8), 0);
    // A raiser given another depth refuses.
    EXPECT_EQ(DIB4To8(mono.get()), nullptr);
    EXPECT_EQ(DIB1To24(four.get()), nullptr);
    EXPECT_EQ(DIB32To24(sixteen.get()), nullptr);
}

TEST(ImageBlocks, RunLengthBlockExpandsWithItsTable)
{
    // 6 × 2 RLE8, stored bottom-up: bottom row 3 × index 1, 3 × index 0;
    // top row: an absolute run 0 1 0, then 3 × index 2, which lies beyond the
    // two-entry table and so shows entry 0.
    const std::vector<std::uint8_t> rle = {3, 1, 3, 0, 0, 0, 0, 3, 0, 1, 0, 0, 3, 2, 0, 1};
    const Owned block(makeBlock(6, 2, 8, {kBlack, kWhite}, rle, 1));
    CrdeBlock plain;
    plain.block = DibtoDdb(block.get());
    ASSERT_NE(plain.block, nullptr);
    const IlBitmapHeader& h = headerOf(plain.block);
    EXPECT_EQ(h.compression, 0u);
    EXPECT_EQ(h.bitCount, 8);
    EXPECT_EQ(h.clrUsed, 2u);
    const Rgb k{0, 0, 0}, w{255, 255, 255};
    const Rgb top[] = {k, w, k, k, k, k}, bottom[] = {w, w, w, k, k, k};
    for (int x = 0; x < 6; ++x) {
        EXPECT_EQ(blockPixel(plain.block, x, 0), top[x]) << x;
        EXPECT_EQ(blockPixel(plain.block, x, 1), bottom[x]) << x;
    }
    // A plain block is not a run-length block.
    EXPECT_EQ(DibtoDdb(plain.block), nullptr);
}

TEST(ImageBlocks, ScaleAveragesAreasAndEnlargesWithoutBlur)
{
    Fixtures fixtures;
    CrdeBlock source;
    ASSERT_GE(rdbmpfiledib(fixtures.make(QStringLiteral("BMP3:q.bmp"), 40, 40).toLocal8Bit().constData(),
                           24, 0, nullptr, nullptr, source.out()),
              1);
    for (const auto& [w, h] : {std::pair{4, 4}, std::pair{2, 2}, std::pair{80, 60}, std::pair{40, 40}}) {
        SCOPED_TRACE(w);
        std::unique_ptr<void, void (*)(IlBlock)> scaled(ScaleDib(source.block, w, h), isp_free_block);
        ASSERT_NE(scaled, nullptr);
        EXPECT_EQ(headerOf(scaled.get()).bitCount, 24);
        EXPECT_EQ(headerOf(scaled.get()).width, w);
        EXPECT_EQ(headerOf(scaled.get()).height, h);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                ASSERT_EQ(blockPixel(scaled.get(), x, y), quadrantColour(x, y, w, h)) << x << "," << y;
    }
    // Between the quadrants, a 3 × 3 reduction mixes: the middle pixel covers
    // all four equally.
    std::unique_ptr<void, void (*)(IlBlock)> mixed(ScaleDib(source.block, 3, 3), isp_free_block);
    ASSERT_NE(mixed, nullptr);
    EXPECT_TRUE(near(blockPixel(mixed.get(), 1, 1), Rgb{128, 128, 128}, 1));
}

TEST(ImageBlocks, ScaleToGreyAveragesAMonochromePicture)
{
    // 2 × 2 checkerboard, 1 bit, stored bottom-up: the top row is white, black.
    const Owned mono(makeBlock(2, 2, 1, {kBlack, kWhite}, {0x40, 0, 0, 0, 0x80, 0, 0, 0}));
    std::unique_ptr<void, void (*)(IlBlock)> grey(ScaleToGray(mono.get(), 1, 1, 6), isp_free_block);
    ASSERT_NE(grey, nullptr);
    const IlBitmapHeader& h = headerOf(grey.get());
    EXPECT_EQ(h.bitCount, 8);
    EXPECT_TRUE(h.clrUsed == 256 || h.clrUsed == 0);
    EXPECT_TRUE(near(blockPixel(grey.get(), 0, 0), Rgb{128, 128, 128}, 1));
    std::unique_ptr<void, void (*)(IlBlock)> same(ScaleToGray(mono.get(), 2, 2, 6), isp_free_block);
    ASSERT_NE(same, nullptr);
    EXPECT_EQ(blockPixel(same.get(), 0, 0), (Rgb{255, 255, 255}));
    EXPECT_EQ(blockPixel(same.get(), 1, 0), (Rgb{0, 0, 0}));
}

TEST(ImageBlocks, ReduceToFixedTables)
{
    Fixtures fixtures;
    CrdeBlock source;
    ASSERT_GE(rdbmpfiledib(fixtures.make(QStringLiteral("BMP3:r.bmp"), 16, 16).toLocal8Bit().constData(),
                           24, 0, nullptr, nullptr, source.out()),
              1);
    for (int bits : {1, 4, 8})
        for (int dither : {0, 1}) {
            SCOPED_TRACE(bits * 10 + dither);
            std::unique_ptr<void, void (*)(IlBlock)> reduced(ReduceDib(source.block, bits, dither), isp_free_block);
            ASSERT_NE(reduced, nullptr);
            const IlBitmapHeader& h = headerOf(reduced.get());
            EXPECT_EQ(h.bitCount, bits);
            EXPECT_EQ(h.clrUsed, 1u << bits);
            if (bits == 1) {
                EXPECT_EQ(blockPixel(reduced.get(), 12, 12), (Rgb{255, 255, 255}));
                EXPECT_EQ(blockPixel(reduced.get(), 4, 12), (Rgb{0, 0, 0}));  // blue is dark
                continue;
            }
            // The four quadrant colours are in both tables: kept exactly.
            for (int y = 0; y < 16; ++y)
                for (int x = 0; x < 16; ++x)
                    ASSERT_EQ(blockPixel(reduced.get(), x, y), quadrantColour(x, y, 16, 16)) << x << "," << y;
        }
    EXPECT_EQ(ReduceDib(source.block, 2, 0), nullptr);
    EXPECT_EQ(ReduceDib(source.block, 24, 0), nullptr);
}

TEST(ImageBlocks, EveryEntryRefusesABadBlock)
{
    auto withHeader = [](auto change) {
        IlBlock b = makeBlock(4, 4, 8, {kBlack, kWhite}, std::vector<std::uint8_t>(16));
        change(*static_cast<IlBitmapHeader*>(b));
        return Owned(b);
    };
    std::vector<std::pair<const char*, Owned>> bad;
    bad.emplace_back("null", Owned());
    bad.emplace_back("header size 12", withHeader([](IlBitmapHeader& h) { h.size = 12; }));
    bad.emplace_back("width 0", withHeader([](IlBitmapHeader& h) { h.width = 0; }));
    bad.emplace_back("height 0", withHeader([](IlBitmapHeader& h) { h.height = 0; }));
    bad.emplace_back("width 32768", withHeader([](IlBitmapHeader& h) { h.width = 32768; }));
    bad.emplace_back("negative width", withHeader([](IlBitmapHeader& h) { h.width = -4; }));
    bad.emplace_back("rows beyond the block", withHeader([](IlBitmapHeader& h) { h.height = 4000; }));
    bad.emplace_back("more colours than the depth", withHeader([](IlBitmapHeader& h) { h.clrUsed = 257; }));
    bad.emplace_back("table beyond the block", withHeader([](IlBitmapHeader& h) { h.clrUsed = 200; }));
    bad.emplace_back("depth 7", withHeader([](IlBitmapHeader& h) { h.bitCount = 7; }));
    bad.emplace_back("compression 9", withHeader([](IlBitmapHeader& h) { h.compression = 9; }));
    bad.emplace_back("run-length at 24 bits", withHeader([](IlBitmapHeader& h) { h.compression = 1, h.bitCount = 24; }));
    bad.emplace_back("run-length without data", Owned(makeBlock(4, 4, 8, {kBlack}, {}, 1)));
    bad.emplace_back("run-length runs past its data", Owned(makeBlock(4, 4, 8, {kBlack}, {0, 3, 9}, 1)));
    for (const auto& [name, block] : bad) {
        SCOPED_TRACE(name);
        for (auto entry : {DIB1to4, DIB1To8, DIB1To24, DIB4To8, DIB4To24, DIB16To24, DIB32To24, DibtoDdb})
            EXPECT_EQ(entry(block.get()), nullptr);
        EXPECT_EQ(ScaleDib(block.get(), 2, 2), nullptr);
        EXPECT_EQ(ScaleToGray(block.get(), 2, 2, 6), nullptr);
        EXPECT_EQ(ReduceDib(block.get(), 4, 1), nullptr);
    }
    // A good block, asked for impossible sizes.
    const Owned good = monochrome();
    for (const auto& [w, h] : {std::pair{0, 5}, std::pair{5, 0}, std::pair{-3, 5}, std::pair{32768, 1}}) {
        EXPECT_EQ(ScaleDib(good.get(), w, h), nullptr) << w << "x" << h;
        EXPECT_EQ(ScaleToGray(good.get(), w, h, 6), nullptr) << w << "x" << h;
    }
    // 24 bits at 32767 × 32767 would be 3 GiB, beyond the 1 GiB a block may take.
    EXPECT_EQ(ScaleDib(good.get(), 32767, 32767), nullptr);
}

TEST(ImageBlocks, AnnotationHooksDoNothing)
{
    int viewer = 7;
    InitAnnotation(&viewer);
    DrawAnnotation(&viewer);
    ClearAnnotation(nullptr);
    DestroyAnnotation(&viewer);
    EXPECT_EQ(viewer, 7);
}

}  // namespace
