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

// Tolerance codes besides a per-channel difference.
constexpr int kGrey = -1;         // only grey values
constexpr int kBlackWhite = -2;   // black in the dark quadrants (red, blue), white in the light ones

struct Variant {
    const char* name;
    const char* file;         // output file name; its prefix or extension picks ImageMagick's writer
    QStringList options;
    FileReader readFile;
    StreamReader readStream;
    int bitCount;             // expected depth; 0: any table depth (1, 4 or 8)
    int tolerance;            // per channel at the quadrants' centres, or kGrey / kBlackWhite
    // Writes the file itself instead of ImageMagick (which writes no such variant).
    QByteArray (*handMade)(int w, int h) = nullptr;
};

// An RLE-coded PCX of the quadrant picture: one plane of 1 bit (the dark
// quadrants black) or four planes of 1 bit, the 16-colour table in the header.
QByteArray pcx(int w, int h, int planes)
{
    // Colour indices with bits in every plane: red 3, green 5, blue 9, white 15.
    const auto indexOf = [&](int x, int y) {
        const Rgb c = quadrantColour(x, y, w, h);
        if (planes == 1)
            return c.g == 255 ? 1 : 0;
        return c == Rgb{255, 0, 0} ? 3 : c == Rgb{0, 255, 0} ? 5 : c == Rgb{0, 0, 255} ? 9 : 15;
    };
    const int bytesPerLine = ((w + 7) / 8 + 1) / 2 * 2;
    QByteArray header(128, '\0');
    header[0] = 0x0A;
    header[1] = 5;
    header[2] = 1;
    header[3] = 1;
    header[8] = char((w - 1) & 0xFF);
    header[9] = char((w - 1) >> 8);
    header[10] = char((h - 1) & 0xFF);
    header[11] = char((h - 1) >> 8);
    if (planes == 4) {
        const std::pair<int, Rgb> colours[] = {{3, {255, 0, 0}}, {5, {0, 255, 0}}, {9, {0, 0, 255}}, {15, {255, 255, 255}}};
        for (const auto& [index, c] : colours) {
            header[16 + index * 3] = char(c.r);
            header[17 + index * 3] = char(c.g);
            header[18 + index * 3] = char(c.b);
        }
    }
    header[65] = char(planes);
    header[66] = char(bytesPerLine);
    QByteArray out = header;
    for (int y = 0; y < h; ++y) {
        QByteArray line;
        for (int p = 0; p < planes; ++p) {
            QByteArray plane(bytesPerLine, '\0');
            for (int x = 0; x < w; ++x)
                if ((indexOf(x, y) >> p) & 1)
                    plane[x / 8] = char(plane[x / 8] | (0x80 >> (x % 8)));
            line += plane;
        }
        // Runs of equal bytes, at most 63 long; a single byte at or above 0xC0 needs a run of one.
        for (int i = 0; i < line.size();) {
            int run = 1;
            while (i + run < line.size() && run < 63 && line[i + run] == line[i])
                ++run;
            if (run > 1 || (uchar(line[i]) & 0xC0) == 0xC0)
                out += char(0xC0 | run);
            out += line[i];
            i += run;
        }
    }
    return out;
}

std::vector<Variant> variants()
{
    const auto bmpFile = fileEntry(rdbmpfiledib);
    const auto bmpStream = streamEntry(rdbmpstreamdib);
    const auto jpgFile = fileEntry(rdjpgfiledib);
    const auto jpgStream = streamEntry(rdjpgstreamdib);
    const auto pngFile = fileEntry(rdpngfiledib);
    const auto pngStream = streamEntry(rdpngstreamdib);
    const auto gifFile = fileEntry(rdgiffiledib);
    const auto gifStream = streamEntry(rdgifstreamdib);
    const auto tgaFile = fileEntry(readtgafiledib);
    const auto tgaStream = streamEntry(readtgafilestreamdib);
    const auto pcxFile = fileEntry(rdpcxfiledib);
    const auto pcxStream = streamEntry(rdpcxstreamdib);
    const FileReader tifFile = [](const char* path, IlBlock* block) {
        return readtiffiledib(path, 0, 24, 0, nullptr, nullptr, block);
    };
    const StreamReader tifStream = [](const QByteArray& bytes, int maxSide, IlBlock* block) {
        return readtiffiledibstream(reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size()), 0, 24,
                                    nullptr, nullptr, maxSide, block);
    };
    return {
        {"png", "PNG24:a.png", {}, pngFile, pngStream, 24, 0},
        // Colour tables keep their depth; two bits are held as four.
        {"png colour table", "PNG8:b.png", {}, pngFile, pngStream, 0, 0},
        {"png colour table 8 bits", "b8.png", {"-define", "png:color-type=3", "-define", "png:bit-depth=8"}, pngFile, pngStream, 8, 0},
        {"png colour table 4 bits", "b4.png", {"-define", "png:color-type=3", "-define", "png:bit-depth=4"}, pngFile, pngStream, 4, 0},
        {"png colour table 2 bits", "b2.png", {"-define", "png:color-type=3", "-define", "png:bit-depth=2"}, pngFile, pngStream, 4, 0},
        {"png colour table 1 bit", "b1.png", {"-colorspace", "Gray", "-threshold", "50%", "-define", "png:color-type=3", "-define", "png:bit-depth=1"}, pngFile, pngStream, 1, kBlackWhite},
        {"png grey 1 bit", "g1.png", {"-colorspace", "Gray", "-threshold", "50%", "-define", "png:color-type=0", "-define", "png:bit-depth=1"}, pngFile, pngStream, 1, kBlackWhite},
        {"png 16 bits with alpha", "PNG64:c.png", {}, pngFile, pngStream, 24, 0},
        {"png interlaced grey", "d.png", {"-colorspace", "Gray", "-interlace", "PNG"}, pngFile, pngStream, 24, kGrey},
        {"gif", "a.gif", {}, gifFile, gifStream, 0, 0},
        {"gif interlaced", "b.gif", {"-interlace", "GIF"}, gifFile, gifStream, 0, 0},
        // ImageMagick writes targa rows top first while the header says
        // bottom first; "-flip" makes its files say what they mean.
        {"tga 24 bits", "a.tga", {"-flip", "-type", "TrueColor"}, tgaFile, tgaStream, 24, 0},
        {"tga run-length", "b.tga", {"-flip", "-compress", "RLE"}, tgaFile, tgaStream, 24, 0},
        {"tga 32 bits", "c.tga", {"-flip", "-alpha", "set"}, tgaFile, tgaStream, 24, 0},
        {"tga colour map", "d.tga", {"-flip", "-type", "Palette"}, tgaFile, tgaStream, 0, 0},
        {"tga grey", "e.tga", {"-flip", "-colorspace", "Gray"}, tgaFile, tgaStream, 8, kGrey},
        {"tga top-down", "f.tga", {"-orient", "TopLeft"}, tgaFile, tgaStream, 24, 0},
        {"pcx 24 bits", "a.pcx", {}, pcxFile, pcxStream, 24, 0},
        {"pcx 8 bits", "b.pcx", {"-type", "Palette"}, pcxFile, pcxStream, 8, 0},
        {"pcx black and white", "c.pcx", {"-monochrome"}, pcxFile, pcxStream, 24, kGrey},
        {"pcx 1 bit", "d.pcx", {}, pcxFile, pcxStream, 1, kBlackWhite, [](int w, int h) { return pcx(w, h, 1); }},
        {"pcx 4 planes", "e.pcx", {}, pcxFile, pcxStream, 4, 0, [](int w, int h) { return pcx(w, h, 4); }},
        {"tiff", "a.tif", {"-compress", "None"}, tifFile, tifStream, 24, 0},
        {"tiff lzw", "b.tif", {"-compress", "LZW"}, tifFile, tifStream, 24, 0},
        {"tiff deflate tiles", "c.tif", {"-compress", "Zip", "-define", "tiff:tile-geometry=16x16"}, tifFile, tifStream, 24, 0},
        {"tiff colour table", "d.tif", {"-type", "Palette"}, tifFile, tifStream, 24, 0},
        {"tiff fax", "e.tif", {"-colorspace", "Gray", "-threshold", "50%", "-type", "Bilevel", "-compress", "Group4"}, tifFile, tifStream, 1, kBlackWhite},
        {"tiff bilevel, 0 is black", "f.tif", {"-colorspace", "Gray", "-threshold", "50%", "-type", "Bilevel", "-depth", "1", "-compress", "None"}, tifFile, tifStream, 1, kBlackWhite},
        {"tiff bilevel, 0 is white", "g.tif", {"-colorspace", "Gray", "-threshold", "50%", "-type", "Bilevel", "-depth", "1", "-compress", "None", "-define", "quantum:polarity=min-is-white"}, tifFile, tifStream, 1, kBlackWhite},
        {"bmp 24 bits", "BMP3:a.bmp", {"-type", "TrueColor"}, bmpFile, bmpStream, 24, 0},
        {"bmp 32 bits", "BMP:b.bmp", {"-type", "TrueColorAlpha", "-define", "bmp:format=bmp4"}, bmpFile, bmpStream, 24, 0},
        {"bmp 16 bits, masks left out", "BMP3:c.bmp", {"-define", "bmp:subtype=RGB555"}, bmpFile, bmpStream, 24, 8},
        {"bmp 16 bits 5-6-5", "BMP:c2.bmp", {"-define", "bmp:subtype=RGB565"}, bmpFile, bmpStream, 24, 8},
        {"bmp colour table", "BMP3:d.bmp", {"-type", "Palette"}, bmpFile, bmpStream, 0, 0},
        {"bmp 8 bits run-length", "BMP3:e.bmp", {"-colors", "20", "-type", "Palette", "-compress", "RLE"}, bmpFile, bmpStream, 0, 0},
        {"bmp 1 bit", "BMP3:f.bmp", {"-monochrome"}, bmpFile, bmpStream, 1, kGrey},
        {"jpeg baseline", "g.jpg", {"-quality", "95"}, jpgFile, jpgStream, 24, 48},
        {"jpeg progressive", "h.jpg", {"-quality", "95", "-interlace", "Plane"}, jpgFile, jpgStream, 24, 48},
        {"jpeg grey", "i.jpg", {"-colorspace", "Gray"}, jpgFile, jpgStream, 8, kGrey},
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
            if (v.tolerance == kGrey) {
                EXPECT_TRUE(got.r == got.g && got.g == got.b) << qx << "," << qy;
                continue;
            }
            Rgb want = quadrantColour(qx, qy, w, h);
            if (v.tolerance == kBlackWhite)
                want = want.g == 255 ? Rgb{255, 255, 255} : Rgb{0, 0, 0};
            EXPECT_TRUE(near(got, want, std::max(v.tolerance, 0)))
                << qx << "," << qy << " got " << got.r << " " << got.g << " " << got.b;
        }
}

TEST(ImageReaders, EveryVariantReadsFromFileAndMemory)
{
    Fixtures fixtures;
    const int w = 37, h = 22;  // odd width: rows need padding at every depth
    for (const Variant& v : variants()) {
        SCOPED_TRACE(v.name);
        const QString path = v.handMade ? fixtures.write(QString::fromLatin1(v.file), v.handMade(w, h))
                                        : fixtures.make(QString::fromLatin1(v.file), w, h, v.options);
        const QString plain = path.section(':', -1);
        CrdeBlock fromFile;
        EXPECT_GE(v.readFile(plain.toLocal8Bit().constData(), fromFile.out()), 1);
        expectPicture(fromFile.block, v, w, h);
        CrdeBlock fromMemory;
        EXPECT_GE(v.readStream(Fixtures::read(plain), 0, fromMemory.out()), 1);
        expectPicture(fromMemory.block, v, w, h);
    }
}

TEST(ImageReaders, TransparentTableColoursAreLaidOverWhite)
{
    Fixtures fixtures;
    const int w = 20, h = 10;
    const struct {
        const char* file;
        int16_t (*read)(const char*, int, int, IlProgress, void*, IlBlock*);
    } cases[] = {{"PNG8:t.png", rdpngfiledib}, {"t.gif", rdgiffiledib}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const QString path = fixtures.make(QString::fromLatin1(c.file), w, h, {"-transparent", "blue"});
        CrdeBlock block;
        ASSERT_GE(c.read(path.toLocal8Bit().constData(), 24, 0, nullptr, nullptr, block.out()), 1);
        EXPECT_LE(headerOf(block.block).bitCount, 8);
        EXPECT_EQ(blockPixel(block.block, w / 4, 3 * h / 4), (Rgb{255, 255, 255}));
        EXPECT_EQ(blockPixel(block.block, w / 4, h / 4), (Rgb{255, 0, 0}));
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
    } cases[] = {{"BMP3:x.bmp", "BMP", 24}, {"x.jpg", "JPEG", 24}, {"x.png", "PNG", 0}, {"x.gif", "GIF", 2},
                 {"x.tif", "TIFF", 24}, {"x.tga", "TGA", 24}, {"x.pcx", "PCX", 24}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const std::string path = fixtures.make(QString::fromLatin1(c.file), 30, 20).toStdString();
        char format[8] = "junk";
        int width = 0, height = 0, bits = 0;
        ASSERT_GE(fileinfo(path.c_str(), format, &width, &height, &bits), 1);
        EXPECT_STREQ(format, c.format);
        EXPECT_EQ(width, 30);
        EXPECT_EQ(height, 20);
        if (c.bits)  // 0: the writer picks the depth
            EXPECT_EQ(bits, c.bits);
        int last = -5;
        EXPECT_GE(getinfo(path.c_str(), 0, &last), 0);
        EXPECT_EQ(last, 0);
    }
}

TEST(ImageReaders, EveryPageOfAThreePageTiff)
{
    Fixtures fixtures;
    const QString red = fixtures.path("red.ppm"), green = fixtures.path("green.ppm"), blue = fixtures.path("blue.ppm");
    Fixtures::convert({"-size", "5x3", "xc:red", red});
    Fixtures::convert({"-size", "6x4", "xc:lime", green});
    Fixtures::convert({"-size", "7x5", "xc:blue", blue});
    const QString tiff = fixtures.path("three.tif");
    Fixtures::convert({red, green, blue, "-compress", "LZW", tiff});
    const std::string path = tiff.toStdString();
    const QByteArray bytes = Fixtures::read(tiff);

    int last = -1;
    ASSERT_GE(getinfo(path.c_str(), 0, &last), 0);
    EXPECT_EQ(last, 2);
    const Rgb colours[] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}};
    for (int page = 0; page < 3; ++page) {
        SCOPED_TRACE(page);
        CrdeBlock fromFile, fromMemory;
        ASSERT_GE(readtiffiledib(path.c_str(), page, 24, 0, nullptr, nullptr, fromFile.out()), 1);
        ASSERT_GE(readtiffiledibstream(reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size()), page,
                                       24, nullptr, nullptr, 0, fromMemory.out()),
                  1);
        for (IlBlock block : {fromFile.block, fromMemory.block}) {
            EXPECT_EQ(headerOf(block).width, 5 + page);
            EXPECT_EQ(headerOf(block).height, 3 + page);
            EXPECT_EQ(blockPixel(block, 1, 1), colours[page]);
        }
    }
    for (int page : {3, -1, 100000}) {
        CrdeBlock none;
        EXPECT_LE(readtiffiledib(path.c_str(), page, 24, 0, nullptr, nullptr, none.out()), 0) << page;
        EXPECT_EQ(none.block, nullptr);
    }
}

TEST(ImageReaders, PhotoCdAtItsThreeBaseResolutions)
{
    Fixtures fixtures;
    const QString pcd = fixtures.make(QStringLiteral("q.pcd"), 768, 512);
    const std::string path = pcd.toStdString();
    const QByteArray bytes = Fixtures::read(pcd);
    const struct {
        int mode, width, height;
    } cases[] = {{0, 192, 128}, {1, 384, 256}, {2, 768, 512}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mode);
        CrdeBlock fromFile, fromMemory;
        ASSERT_GE(readpcdfiledib(path.c_str(), c.mode, 24, 0, nullptr, nullptr, fromFile.out()), 1);
        ASSERT_GE(readpcdfiledibstream(reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size()), c.mode,
                                       24, nullptr, nullptr, 0, fromMemory.out()),
                  1);
        for (IlBlock block : {fromFile.block, fromMemory.block}) {
            ASSERT_EQ(headerOf(block).width, c.width);
            ASSERT_EQ(headerOf(block).height, c.height);
            // Photo YCC clips saturated colours; each quadrant stays near its own.
            for (int qy : {c.height / 4, 3 * c.height / 4})
                for (int qx : {c.width / 4, 3 * c.width / 4})
                    EXPECT_TRUE(near(blockPixel(block, qx, qy), quadrantColour(qx, qy, c.width, c.height), 64))
                        << qx << "," << qy;
        }
    }
    char format[8];
    int width = 0, height = 0, bits = 0;
    ASSERT_GE(fileinfo(path.c_str(), format, &width, &height, &bits), 1);
    EXPECT_STREQ(format, "PCD");
    EXPECT_EQ(width, 768);
    EXPECT_EQ(height, 512);
    CrdeBlock none;
    EXPECT_LE(readpcdfiledib(path.c_str(), 3, 24, 0, nullptr, nullptr, none.out()), 0);
    // Cut inside the base resolution: the two smaller ones still read.
    const QByteArray cut = bytes.left(0x30000 + 1000);
    CrdeBlock small, base;
    EXPECT_GE(readpcdfiledibstream(reinterpret_cast<const uint8_t*>(cut.constData()), size_t(cut.size()), 1, 24,
                                   nullptr, nullptr, 0, small.out()),
              1);
    EXPECT_LE(readpcdfiledibstream(reinterpret_cast<const uint8_t*>(cut.constData()), size_t(cut.size()), 2, 24,
                                   nullptr, nullptr, 0, base.out()),
              0);
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
