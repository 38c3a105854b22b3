// fileinfo and getinfo learn a picture's format, size and pages from its
// head: a huge (sparse) file costs a few hundred kilobytes of reading, and
// only a TIFF's page count, whose directories may lie anywhere, reads on.
#include "ImageFixtures.h"

#include "imagelib/crde2001.h"

#include <QFile>

#include <gtest/gtest.h>

namespace {

// Bytes this process has read through system calls so far.
qint64 bytesReadSoFar()
{
    QFile io(QStringLiteral("/proc/self/io"));
    if (!io.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : io.readAll().split('\n'))
        if (line.startsWith("rchar:"))
            return line.mid(6).trimmed().toLongLong();
    return -1;
}

// A picture followed by a hole, so the file is huge on paper only.
QString padded(const QString& picture, qint64 size)
{
    QFile file(picture);
    EXPECT_TRUE(file.open(QIODevice::ReadWrite));
    EXPECT_TRUE(file.resize(size));
    return picture;
}

constexpr qint64 kHuge = qint64(512) << 20;
constexpr qint64 kHeadAtMost = qint64(1) << 20;

}  // namespace

TEST(ImageFileHead, InformationComesFromTheHeadOfAHugeFile)
{
    Fixtures fixtures;
    ASSERT_GE(bytesReadSoFar(), 0) << "no I/O accounting on this system";
    struct Case {
        QString path;
        bool picture;
        const char* format;
    } cases[] = {
        {padded(fixtures.make("photo.jpg", 40, 30), kHuge), true, "JPEG"},
        {padded(fixtures.make("drawing.png", 40, 30), kHuge), true, "PNG"},
        {padded(fixtures.make("BMP3:plain.bmp", 40, 30), kHuge), true, "BMP"},
        {padded(fixtures.write("hole.gif", QByteArray(64, '\0')), kHuge), false, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        const std::string path = c.path.toStdString();
        char format[8] = "";
        int width = 0, height = 0, bits = 0, last = -1;
        const qint64 before = bytesReadSoFar();
        const int16_t info = fileinfo(path.c_str(), format, &width, &height, &bits);
        const int16_t pages = getinfo(path.c_str(), 0, &last);
        EXPECT_LT(bytesReadSoFar() - before, kHeadAtMost);
        if (!c.picture) {
            EXPECT_LE(info, 0);
            EXPECT_LT(pages, 0);
            continue;
        }
        ASSERT_GE(info, 1);
        EXPECT_STREQ(format, c.format);
        EXPECT_EQ(width, 40);
        EXPECT_EQ(height, 30);
        EXPECT_EQ(pages, 1);
        EXPECT_EQ(last, 0);
    }
}

TEST(ImageFileHead, TiffPagesBeyondTheHeadAreCounted)
{
    Fixtures fixtures;
    // Uncompressed pages of over 300 kB each: the later directories lie
    // past the head that is enough for every header.
    const QString a = fixtures.make("a.ppm", 400, 300), b = fixtures.make("b.ppm", 300, 200);
    const QString tiff = fixtures.path("pages.tif");
    Fixtures::convert({a, b, a, "-compress", "None", tiff});
    ASSERT_GT(QFile(tiff).size(), 600 << 10);
    const std::string path = tiff.toStdString();
    char format[8] = "";
    int width = 0, height = 0, bits = 0, last = -1;
    ASSERT_GE(fileinfo(path.c_str(), format, &width, &height, &bits), 1);
    EXPECT_STREQ(format, "TIFF");
    EXPECT_EQ(width, 400);
    EXPECT_EQ(height, 300);
    ASSERT_GE(getinfo(path.c_str(), 0, &last), 0);
    EXPECT_EQ(last, 2);
}
