// TIFF files made byte by byte, for what no picture writer produces: chains
// of thousands of one-pixel pages, chains that loop, and files cut short.
#include "ImageFixtures.h"

#include "imagelib/crde2001.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr int16_t kCorruptCode = -5;
constexpr int16_t kNoSuchPageCode = -11;

// TIFF files of 8-bit grey pages, each page's directory written before its
// pixels, in either byte order, classic or big.
class TiffWriter {
public:
    TiffWriter(bool bigEndian, bool bigTiff) : be_(bigEndian), big_(bigTiff)
    {
        bytes_ = bigEndian ? QByteArray("MM") : QByteArray("II");
        put(bigTiff ? 43 : 42, 2);
        if (bigTiff) {
            put(8, 2);
            put(0, 2);
        }
        firstLink_ = int(bytes_.size());
        put(0, linkSize());
    }

    // A page of w × h pixels, all of the value grey; returns its directory's offset.
    int addPage(int w, int h, int grey)
    {
        const int at = int(bytes_.size());
        patch(link_ < 0 ? firstLink_ : link_, at, linkSize());
        const int entries = 9, entrySize = big_ ? 20 : 12, countSize = big_ ? 8 : 2;
        const int pixelsAt = at + countSize + entries * entrySize + linkSize();
        put(entries, countSize);
        const int tags[][3] = {{256, 4, w}, {257, 4, h}, {258, 3, 8}, {259, 3, 1}, {262, 3, 1},
                               {273, 4, pixelsAt}, {277, 3, 1}, {278, 4, h}, {279, 4, w * h}};
        for (const auto& t : tags) {
            put(t[0], 2);
            put(t[1], 2);
            put(1, big_ ? 8 : 4);
            // A value shorter than the field sits at its start.
            const int fieldSize = big_ ? 8 : 4, valueSize = t[1] == 3 ? 2 : 4;
            put(t[2], valueSize);
            put(0, fieldSize - valueSize);
        }
        link_ = int(bytes_.size());
        put(0, linkSize());
        bytes_.append(QByteArray(w * h, char(grey)));
        return at;
    }

    // Points the last page's link at the directory at offset.
    void linkLastTo(int offset) { patch(link_, offset, linkSize()); }
    const QByteArray& bytes() const { return bytes_; }

private:
    int linkSize() const { return big_ ? 8 : 4; }
    QByteArray number(quint64 v, int size) const
    {
        QByteArray b(size, '\0');
        for (int i = 0; i < size; ++i)
            b[be_ ? size - 1 - i : i] = char((v >> (8 * i)) & 0xFF);
        return b;
    }
    void put(quint64 v, int size) { bytes_ += number(v, size); }
    void patch(int at, quint64 v, int size) { bytes_.replace(at, size, number(v, size)); }

    bool be_, big_;
    QByteArray bytes_;
    int firstLink_ = 0, link_ = -1;
};

int16_t readTiff(const QByteArray& bytes, int page, IlBlock* block)
{
    return readtiffiledibstream(reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size()), page, 24,
                                nullptr, nullptr, 0, block);
}

int lastPageOf(Fixtures& fixtures, const QByteArray& bytes)
{
    const std::string path = fixtures.write(QStringLiteral("pages.tif"), bytes).toStdString();
    int last = -1;
    EXPECT_GE(getinfo(path.c_str(), 0, &last), 0);
    return last;
}

TEST(TiffReader, ThousandsOfPagesAreCappedAndEveryShownPageReads)
{
    const struct {
        const char* what;
        bool bigEndian, bigTiff;
    } orders[] = {{"little-endian", false, false}, {"big-endian", true, false}, {"big, little-endian", false, true}};
    Fixtures fixtures;
    for (const auto& order : orders) {
        SCOPED_TRACE(order.what);
        TiffWriter writer(order.bigEndian, order.bigTiff);
        for (int page = 0; page < 8000; ++page)
            writer.addPage(1, 1, page % 251);
        const QByteArray& bytes = writer.bytes();
        EXPECT_LT(bytes.size(), 2 * 1024 * 1024);
        ASSERT_EQ(lastPageOf(fixtures, bytes), 999);
        // The thumbnail grid reads every page the file information allows.
        for (int page = 0; page <= 999; ++page) {
            CrdeBlock block;
            ASSERT_GE(readTiff(bytes, page, block.out()), 1) << page;
            if (page % 100 == 99) {
                const int grey = page % 251;
                EXPECT_EQ(blockPixel(block.block, 0, 0), (Rgb{grey, grey, grey})) << page;
            }
        }
        for (int page : {1000, 7999}) {
            CrdeBlock none;
            EXPECT_EQ(readTiff(bytes, page, none.out()), kNoSuchPageCode) << page;
            EXPECT_EQ(none.block, nullptr);
        }
    }
}

TEST(TiffReader, APageChainThatLoopsEndsBeforeTheRepeat)
{
    Fixtures fixtures;
    TiffWriter writer(false, false);
    writer.addPage(2, 2, 10);
    const int second = writer.addPage(3, 3, 20);
    writer.addPage(4, 4, 30);
    writer.linkLastTo(second);
    EXPECT_EQ(lastPageOf(fixtures, writer.bytes()), 2);
    CrdeBlock third, none;
    ASSERT_GE(readTiff(writer.bytes(), 2, third.out()), 1);
    EXPECT_EQ(headerOf(third.block).width, 4);
    EXPECT_EQ(readTiff(writer.bytes(), 3, none.out()), kNoSuchPageCode);
}

TEST(TiffReader, ACutFileIsDamagedNotTooLarge)
{
    Fixtures fixtures;
    TiffWriter handMade(false, false);
    handMade.addPage(64, 64, 200);
    const int handMadeSize = int(handMade.bytes().size());
    const auto written = [&](const char* name, const QStringList& options) {
        return Fixtures::read(fixtures.make(QString::fromLatin1(name), 64, 48, options));
    };
    const struct {
        const char* what;
        QByteArray bytes;
        std::vector<int> cuts;  // lengths kept
    } files[] = {
        // Its pixels come last: one byte short is already cut.
        {"directory first", handMade.bytes(), {handMadeSize / 3, handMadeSize / 2, handMadeSize - 1}},
        {"written by a picture program", written("plain.tif", {"-compress", "None"}), {}},
        {"compressed", written("lzw.tif", {"-compress", "LZW"}), {}},
        {"compressed tiles", written("tiles.tif", {"-compress", "Zip", "-define", "tiff:tile-geometry=16x16"}), {}},
    };
    for (const auto& f : files) {
        SCOPED_TRACE(f.what);
        {
            CrdeBlock whole;
            ASSERT_GE(readTiff(f.bytes, 0, whole.out()), 1);
        }
        std::vector<int> cuts = f.cuts;
        if (cuts.empty())
            cuts = {int(f.bytes.size()) / 3, int(f.bytes.size()) / 2};
        for (const int keep : cuts) {
            SCOPED_TRACE(keep);
            CrdeBlock none;
            const int16_t code = readTiff(f.bytes.left(keep), 0, none.out());
            EXPECT_EQ(code, kCorruptCode) << crde_error_text(code);
            EXPECT_EQ(none.block, nullptr);
        }
    }
}

}  // namespace
