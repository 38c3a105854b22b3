// The reading library's picture entries, called through their C interface:
// every format variant decodes to the right block, from a file and from memory.
#include "ImageFixtures.h"

#include "imagelib/crde2001.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using FileReader = std::function<int16_t(const char*, IlBlock*)>;
using StreamReader = std::function<int16_t(const QByteArray&, int maxSide, IlBlock*)>;

FileReader fileEntry(int16_t (*entry)(const char*, int, int, IlProgress, void*, IlBlock*))
{
    return [entry](const char* path, IlBlock* block) { return entry(path, 24, 0, nullptr, nullptr, block); };
}

StreamReader streamEntry(int16_t (*entry)(const uint8_t*, size_t, int, IlProgress, void*, int, IlBlock*))
{
    return [entry](const QByteArray& bytes, int maxSide, IlBlock* block) {
        return entry(reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size()), 24, nullptr, nullptr,
                     maxSide, block);
    };
}

struct Variant {
    const char* name;
    const char* file;         // output file name; its prefix or extension picks ImageMagick's writer
    QStringList options;
    FileReader readFile;
    StreamReader readStream;
    int bitCount;             // expected depth; 0: any table depth (1, 4 or 8)
    int tolerance;            // per channel at the quadrants' centres; -1: only grey values
};

std::vector<Variant> variants()
{
    const auto bmpFile = fileEntry(rdbmpfiledib);
    const auto bmpStream = streamEntry(rdbmpstreamdib);
    const auto jpgFile = fileEntry(rdjpgfiledib);
    const auto jpgStream = streamEntry(rdjpgstreamdib);
    return {
        {"bmp 24 bits", "BMP3:a.bmp", {"-type", "TrueColor"}, bmpFile, bmpStream, 24, 0},
        {"bmp 32 bits", "BMP:b.bmp", {"-type", "TrueColorAlpha", "-define", "bmp:format=bmp4"}, bmpFile, bmpStream, 24, 0},
        {"bmp 16 bits, masks left out", "BMP3:c.bmp", {"-define", "bmp:subtype=RGB555"}, bmpFile, bmpStream, 24, 8},
        {"bmp 16 bits 5-6-5", "BMP:c2.bmp", {"-define", "bmp:subtype=RGB565"}, bmpFile, bmpStream, 24, 8},
        {"bmp colour table", "BMP3:d.bmp", {"-type", "Palette"}, bmpFile, bmpStream, 0, 0},
        {"bmp 8 bits run-length", "BMP3:e.bmp", {"-colors", "20", "-type", "Palette", "-compress", "RLE"}, bmpFile, bmpStream, 0, 0},
        {"bmp 1 bit", "BMP3:f.bmp", {"-monochrome"}, bmpFile, bmpStream, 1, -1},
        {"jpeg baseline", "g.jpg", {"-quality", "95"}, jpgFile, jpgStream, 24, 48},
        {"jpeg progressive", "h.jpg", {"-quality", "95", "-interlace", "Plane"}, jpgFile, jpgStream, 24, 48},
        {"jpeg grey", "i.jpg", {"-colorspace", "Gray"}, jpgFile, jpgStream, 8, -1},
        {"jpeg cmyk", "j.jpg", {"-colorspace", "CMYK", "-quality", "95"}, jpgFile, jpgStream, 24, 48},
    };
}

void expectPicture(IlBlock block, const Variant& v, int w, int h)
{
    ASSERT_NE(block, nullptr);
    const IlBitmapHeader& header = headerOf(block);
    EXPECT_EQ(header.size, 40u);
    EXPECT_EQ(header.width, w);
    EXPECT_EQ(header.height, h);  // bottom-up
    EXPECT_EQ(header.planes, 1);
    EXPECT_EQ(header.compression, 0u);
    EXPECT_EQ(header.sizeImage, blockRowBytes(block) * std::size_t(h));
    if (v.bitCount)
        EXPECT_EQ(header.bitCount, v.bitCount);
    else
        EXPECT_TRUE(header.bitCount == 1 || header.bitCount == 4 || header.bitCount == 8) << header.bitCount;
    for (int qy : {h / 4, 3 * h / 4})
        for (int qx : {w / 4, 3 * w / 4}) {
            const Rgb got = blockPixel(block, qx, qy);
            if (v.tolerance < 0) {
                EXPECT_TRUE(got.r == got.g && got.g == got.b) << qx << "," << qy;
                continue;
            }
            const Rgb want = quadrantColour(qx, qy, w, h);
            EXPECT_TRUE(near(got, want, v.tolerance))
                << qx << "," << qy << " got " << got.r << " " << got.g << " " << got.b;
        }
}

TEST(ImageReaders, EveryVariantReadsFromFileAndMemory)
{
    Fixtures fixtures;
    const int w = 37, h = 22;  // odd width: rows need padding at every depth
    for (const Variant& v : variants()) {
        SCOPED_TRACE(v.name);
        const QString path = fixtures.make(QString::fromLatin1(v.file), w, h, v.options);
        const QString plain = path.section(':', -1);
        CrdeBlock fromFile;
        EXPECT_GE(v.readFile(plain.toLocal8Bit().constData(), fromFile.out()), 1);
        expectPicture(fromFile.block, v, w, h);
        CrdeBlock fromMemory;
        EXPECT_GE(v.readStream(Fixtures::read(plain), 0, fromMemory.out()), 1);
        expectPicture(fromMemory.block, v, w, h);
    }
}

TEST(ImageReaders, JpegFromMemoryDecodesAtTheSmallestScaleCoveringMaxSide)
{
    Fixtures fixtures;
    const QByteArray jpeg = Fixtures::read(fixtures.make(QStringLiteral("big.jpg"), 400, 300));
    const struct {
        int maxSide;
        int width, height;
    } cases[] = {{0, 400, 300}, {100, 100, 75}, {101, 150, 113}, {50, 50, 38}, {10, 50, 38}, {399, 400, 300}, {1000, 400, 300}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.maxSide);
        CrdeBlock block;
        ASSERT_GE(rdjpgstreamdib(reinterpret_cast<const uint8_t*>(jpeg.constData()), size_t(jpeg.size()), 24, nullptr,
                                 nullptr, c.maxSide, block.out()),
                  1);
        EXPECT_EQ(headerOf(block.block).width, c.width);
        EXPECT_EQ(headerOf(block.block).height, c.height);
    }
}

TEST(ImageReaders, ProgressReportsAndCancels)
{
    Fixtures fixtures;
    const std::string path = fixtures.make(QStringLiteral("p.bmp"), 64, 64).toStdString();
    std::vector<int> seen;
    auto record = [](int percent, void* context) {
        static_cast<std::vector<int>*>(context)->push_back(percent);
        return 1;
    };
    CrdeBlock block;
    ASSERT_GE(rdbmpfiledib(path.c_str(), 24, 0, record, &seen, block.out()), 1);
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.back(), 100);
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));

    auto cancel = [](int, void*) { return 0; };
    CrdeBlock none;
    const int16_t code = rdbmpfiledib(path.c_str(), 24, 0, cancel, nullptr, none.out());
    EXPECT_LE(code, 0);
    EXPECT_EQ(none.block, nullptr);
    EXPECT_STREQ(crde_error_text(code), "Reading the picture was cancelled");
}

TEST(ImageReaders, FileInformationAndPages)
{
    Fixtures fixtures;
    const struct {
        const char* file;
        const char* format;
        int bits;
    } cases[] = {{"BMP3:x.bmp", "BMP", 24}, {"x.jpg", "JPEG", 24}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const std::string path = fixtures.make(QString::fromLatin1(c.file), 30, 20).toStdString();
        char format[8] = "junk";
        int width = 0, height = 0, bits = 0;
        ASSERT_GE(fileinfo(path.c_str(), format, &width, &height, &bits), 1);
        EXPECT_STREQ(format, c.format);
        EXPECT_EQ(width, 30);
        EXPECT_EQ(height, 20);
        EXPECT_EQ(bits, c.bits);
        int last = -5;
        EXPECT_GE(getinfo(path.c_str(), 0, &last), 0);
        EXPECT_EQ(last, 0);
    }
}

TEST(ImageReaders, EpsAndErrorTexts)
{
    CrdeBlock block;
    const int16_t eps = readepsfiledib("/nonexistent.eps", 24, 0, nullptr, nullptr, block.out());
    EXPECT_LE(eps, 0);
    EXPECT_EQ(block.block, nullptr);
    EXPECT_STREQ(crde_error_text(eps), "EPS pictures are not supported");
    // A code is read as an unsigned 16-bit number: -2 and 65534 are one code.
    EXPECT_STREQ(crde_error_text(-2), crde_error_text(65534));
    EXPECT_STREQ(crde_error_text(-2), "Cannot open the picture file");
    EXPECT_NE(crde_error_text(12345), nullptr);
    CrdeBlock missing;
    EXPECT_EQ(rdbmpfiledib("/nonexistent/x.bmp", 24, 0, nullptr, nullptr, missing.out()), -2);
}

}  // namespace
