// Damaged files of every format read by the library's memory and file
// entries: each fails with an error code and no block, never a crash, a hang
// or an allocation the file cannot justify.
#include "ImageFixtures.h"

#include "imagelib/crde2001.h"

#include <gtest/gtest.h>

#include <QDir>

#include <sys/stat.h>
#include <unistd.h>

#include <functional>

namespace {

using Reader = std::function<int16_t(const QByteArray&, IlBlock*)>;

Reader stream(int16_t (*entry)(const uint8_t*, size_t, int, IlProgress, void*, int, IlBlock*))
{
    return [entry](const QByteArray& b, IlBlock* block) {
        return entry(reinterpret_cast<const uint8_t*>(b.constData()), size_t(b.size()), 24, nullptr, nullptr, 0, block);
    };
}

void putLe16(QByteArray& b, int at, int v)
{
    b[at] = char(v & 0xFF);
    b[at + 1] = char((v >> 8) & 0xFF);
}

void putBe16(QByteArray& b, int at, int v)
{
    b[at] = char((v >> 8) & 0xFF);
    b[at + 1] = char(v & 0xFF);
}

// Sets the first IFD's width and height tags of a little-endian TIFF.
void tiffSize(QByteArray& b, int side)
{
    auto u16 = [&](int at) { return int(uchar(b[at])) | (int(uchar(b[at + 1])) << 8); };
    const int ifd = u16(4) | (u16(6) << 16);
    for (int i = 0, n = u16(ifd); i < n; ++i) {
        const int entry = ifd + 2 + 12 * i;
        if (u16(entry) == 256 || u16(entry) == 257) {
            putLe16(b, entry + 8, side);
            putLe16(b, entry + 10, 0);
        }
    }
}

struct Format {
    const char* name;
    const char* file;
    QStringList options;
    Reader read;
    std::function<void(QByteArray&)> lie;  // makes the header declare 30000 × 30000
    bool halfFails;                          // a file cut in half still shows what it holds otherwise
};

std::vector<Format> formats()
{
    const auto tiffRead = [](const QByteArray& b, IlBlock* block) {
        return readtiffiledibstream(reinterpret_cast<const uint8_t*>(b.constData()), size_t(b.size()), 0, 24, nullptr,
                                    nullptr, 0, block);
    };
    const auto pcdRead = [](const QByteArray& b, IlBlock* block) {
        return readpcdfiledibstream(reinterpret_cast<const uint8_t*>(b.constData()), size_t(b.size()), 2, 24, nullptr,
                                    nullptr, 0, block);
    };
    return {
        {"bmp", "BMP3:a.bmp", {}, stream(rdbmpstreamdib),
         [](QByteArray& b) { putLe16(b, 18, 30000), putLe16(b, 22, 30000); }, true},
        {"bmp run-length", "BMP3:b.bmp", {"-type", "Palette", "-compress", "RLE"}, stream(rdbmpstreamdib),
         [](QByteArray& b) { putLe16(b, 18, 30000), putLe16(b, 22, 30000); }, true},
        {"jpeg", "a.jpg", {}, stream(rdjpgstreamdib),
         [](QByteArray& b) {
             const int sof = b.indexOf(QByteArray("\xFF\xC0", 2));
             putBe16(b, sof + 5, 30000), putBe16(b, sof + 7, 30000);
         },
         true},
        {"png", "a.png", {}, stream(rdpngstreamdib), [](QByteArray& b) { putBe16(b, 18, 30000), putBe16(b, 22, 30000); }, true},
        {"gif", "a.gif", {}, stream(rdgifstreamdib), [](QByteArray& b) { putLe16(b, 6, 30000), putLe16(b, 8, 30000); }, false},
        {"tiff", "a.tif", {"-compress", "LZW"}, tiffRead, [](QByteArray& b) { tiffSize(b, 30000); }, true},
        {"tga", "a.tga", {}, stream(readtgafilestreamdib), [](QByteArray& b) { putLe16(b, 12, 30000), putLe16(b, 14, 30000); }, true},
        {"tga run-length", "b.tga", {"-compress", "RLE"}, stream(readtgafilestreamdib),
         [](QByteArray& b) { putLe16(b, 12, 30000), putLe16(b, 14, 30000); }, true},
        {"pcx", "a.pcx", {}, stream(rdpcxstreamdib), [](QByteArray& b) { putLe16(b, 8, 29999), putLe16(b, 10, 29999); }, true},
        {"pcd", "a.pcd", {}, pcdRead, nullptr, true},
    };
}

TEST(ImageBadFiles, EveryFormatRefusesDamagedFiles)
{
    Fixtures fixtures;
    for (const Format& f : formats()) {
        SCOPED_TRACE(f.name);
        const QString path = fixtures.make(QString::fromLatin1(f.file), f.name == std::string("pcd") ? 768 : 64,
                                           f.name == std::string("pcd") ? 512 : 48, f.options);
        const QByteArray good = Fixtures::read(path);
        {
            CrdeBlock block;
            ASSERT_GE(f.read(good, block.out()), 1) << "the undamaged file must read";
        }
        std::vector<std::pair<const char*, QByteArray>> bad = {
            {"zero bytes", QByteArray()},
            {"header only", good.left(30)},
            {"words", QByteArray("this is a letter, not a picture; it only has the right name").repeated(4)},
        };
        if (f.halfFails)
            bad.emplace_back("cut in half", good.left(good.size() / 2));
        if (f.lie) {
            QByteArray lying = good;
            f.lie(lying);
            bad.emplace_back("huge size in the header", lying);
        }
        for (const auto& [what, bytes] : bad) {
            SCOPED_TRACE(what);
            CrdeBlock block;
            EXPECT_LE(f.read(bytes, block.out()), 0);
            EXPECT_EQ(block.block, nullptr);
        }
        // Bytes overwritten in the middle: reading may succeed or fail, but
        // a success is a whole block and a failure has none.
        for (int step : {7, 3}) {
            QByteArray noisy = good;
            for (int i = noisy.size() / 3; i < noisy.size() * 2 / 3; i += step)
                noisy[i] = char(noisy[i] ^ 0x5A);
            CrdeBlock block;
            const int16_t result = f.read(noisy, block.out());
            EXPECT_EQ(result >= 1, block.block != nullptr);
        }
    }
}

TEST(ImageBadFiles, ContentDecidesTheDecoder)
{
    Fixtures fixtures;
    // A PNG named and read as a bitmap is still a picture.
    const std::string png = fixtures.make(QStringLiteral("really-a-png.bmp"), 10, 8, {"-define", "png:format=png24"}).toStdString();
    Fixtures::convert({QString::fromStdString(png), QStringLiteral("PNG:") + QString::fromStdString(png)});
    CrdeBlock block;
    ASSERT_GE(rdbmpfiledib(png.c_str(), 24, 0, nullptr, nullptr, block.out()), 1);
    EXPECT_EQ(headerOf(block.block).width, 10);
    // Words named as any picture are nothing.
    const std::string text = fixtures.write("letter.tga", QByteArray("Dear reader, this is no picture.")).toStdString();
    for (auto entry : {rdbmpfiledib, rdjpgfiledib, rdpngfiledib, rdgiffiledib, rdpcxfiledib, readtgafiledib}) {
        CrdeBlock none;
        EXPECT_LE(entry(text.c_str(), 24, 0, nullptr, nullptr, none.out()), 0);
        EXPECT_EQ(none.block, nullptr);
    }
    char format[8];
    int w, h, bits;
    EXPECT_LE(fileinfo(text.c_str(), format, &w, &h, &bits), 0);
}

TEST(ImageBadFiles, OnlyRegularFilesAreRead)
{
    Fixtures fixtures;
    const QString fifo = fixtures.path("pipe.bmp");
    ASSERT_EQ(mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
    const QString folder = fixtures.path("folder.jpg");
    ASSERT_TRUE(QDir().mkdir(folder));
    const QString dangling = fixtures.path("dangling.png");
    ASSERT_EQ(symlink("/nonexistent/picture.png", dangling.toLocal8Bit().constData()), 0);
    for (const QString& path : {fifo, folder, dangling}) {
        SCOPED_TRACE(path.toStdString());
        const std::string p = path.toStdString();
        CrdeBlock block;
        // A named pipe would block a reader for ever; it fails at once instead.
        EXPECT_LE(rdbmpfiledib(p.c_str(), 24, 0, nullptr, nullptr, block.out()), 0);
        char format[8];
        int w, h, bits, last;
        EXPECT_LE(fileinfo(p.c_str(), format, &w, &h, &bits), 0);
        EXPECT_LT(getinfo(p.c_str(), 0, &last), 0);
    }
}

}  // namespace
