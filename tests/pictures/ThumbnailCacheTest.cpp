// The desktop's shared thumbnail cache: names, validity, and what is
// written for other programs.
#include "pictures/ThumbnailCache.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <filesystem>

namespace {

struct CacheFixture : ::testing::Test {
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        picture = dir.filePath(QStringLiteral("фото 1.jpg"));
        QFile file(picture);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("not decoded by the cache");
        file.close();
        setModified(QDateTime::fromSecsSinceEpoch(1700000000));
    }

    void setModified(const QDateTime& when)
    {
        QFile file(picture);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.setFileTime(when, QFileDevice::FileModificationTime));
    }

    QImage photo(int w, int h) const
    {
        QImage image(w, h, QImage::Format_RGB32);
        image.fill(Qt::darkCyan);
        return image;
    }

    QTemporaryDir dir;
    QString picture;
    ThumbnailCache cache{QDir(dir.path()).filePath(QStringLiteral("thumbnails"))};
};

}  // namespace

TEST(ThumbnailCacheNames, FollowTheSharedScheme)
{
    // The example every implementation of the shared cache agrees on.
    EXPECT_EQ(ThumbnailCache::uriOf(QStringLiteral("/home/jens/photos/me.png")),
              QStringLiteral("file:///home/jens/photos/me.png"));
    EXPECT_EQ(ThumbnailCache::keyOf(QStringLiteral("/home/jens/photos/me.png")),
              QStringLiteral("c6ee772d9e49320e97ec29a7eb5b1697.png"));
    EXPECT_EQ(ThumbnailCache::uriOf(QStringLiteral("/a/b c/д.jpg")), QStringLiteral("file:///a/b%20c/%D0%B4.jpg"));
}

TEST_F(CacheFixture, KeepsAThumbnailOtherProgramsCanCheck)
{
    // Decoded at a fraction of its size; the picture's own size is recorded.
    ASSERT_TRUE(cache.store(picture, photo(400, 300), QSize(1600, 1200)));
    const QString stored = dir.filePath("thumbnails/normal/" + ThumbnailCache::keyOf(picture));
    QImageReader reader(stored);
    const QImage image = reader.read();
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), QSize(128, 96));
    EXPECT_EQ(image.text("Thumb::URI"), ThumbnailCache::uriOf(picture));
    EXPECT_EQ(image.text("Thumb::Image::Height"), "1200");
    EXPECT_EQ(image.text("Thumb::MTime"), "1700000000");
    EXPECT_EQ(image.text("Thumb::Image::Width"), "1600");
    namespace fs = std::filesystem;
    EXPECT_EQ(fs::status(stored.toStdString()).permissions(), fs::perms::owner_read | fs::perms::owner_write);
    for (const char* folder : {"thumbnails", "thumbnails/normal"})
        EXPECT_EQ(fs::status(dir.filePath(folder).toStdString()).permissions(), fs::perms::owner_all) << folder;
    // Stored again over the first: one file, no temporary one left beside it.
    ASSERT_TRUE(cache.store(picture, photo(800, 600), QSize(800, 600)));
    EXPECT_EQ(QDir(dir.filePath("thumbnails/normal")).entryList(QDir::Files | QDir::Hidden),
              QStringList{ThumbnailCache::keyOf(picture)});

    EXPECT_EQ(cache.find(picture, 100).size(), QSize(128, 96));
    EXPECT_TRUE(cache.find(picture, 200).isNull());  // not large enough for that
}

TEST_F(CacheFixture, AThumbnailOfAnotherVersionOfTheFileIsNotUsed)
{
    ASSERT_TRUE(cache.store(picture, photo(400, 300), QSize(400, 300)));
    setModified(QDateTime::fromSecsSinceEpoch(1700000001));
    EXPECT_TRUE(cache.find(picture, 100).isNull());

    // A thumbnail whose address is another file's, under this file's name.
    QImage foreign = photo(128, 96);
    foreign.setText("Thumb::URI", "file:///elsewhere.jpg");
    foreign.setText("Thumb::MTime", "1700000001");
    ASSERT_TRUE(foreign.save(dir.filePath("thumbnails/normal/" + ThumbnailCache::keyOf(picture)), "png"));
    EXPECT_TRUE(cache.find(picture, 100).isNull());
}

TEST_F(CacheFixture, UsesALargeThumbnailWhenAskedForMore)
{
    QImage large = photo(256, 192);
    large.setText("Thumb::URI", ThumbnailCache::uriOf(picture));
    large.setText("Thumb::MTime", "1700000000");
    ASSERT_TRUE(QDir().mkpath(dir.filePath("thumbnails/large")));
    ASSERT_TRUE(large.save(dir.filePath("thumbnails/large/" + ThumbnailCache::keyOf(picture)), "png"));
    EXPECT_EQ(cache.find(picture, 200).size(), QSize(256, 192));
    EXPECT_TRUE(cache.find(picture, 300).isNull());
}

TEST_F(CacheFixture, RemembersFilesThatCouldNotBeRead)
{
    EXPECT_FALSE(cache.hasFailed(picture));
    ASSERT_TRUE(cache.storeFailure(picture));
    EXPECT_TRUE(QFile::exists(dir.filePath("thumbnails/fail/kaleidor-1.0/" + ThumbnailCache::keyOf(picture))));
    namespace fs = std::filesystem;
    for (const char* folder : {"thumbnails/fail", "thumbnails/fail/kaleidor-1.0"})
        EXPECT_EQ(fs::status(dir.filePath(folder).toStdString()).permissions(), fs::perms::owner_all) << folder;
    EXPECT_TRUE(cache.hasFailed(picture));
    setModified(QDateTime::fromSecsSinceEpoch(1800000000));  // changed since: worth another try
    EXPECT_FALSE(cache.hasFailed(picture));
    EXPECT_FALSE(cache.store(dir.filePath("missing.jpg"), photo(10, 10), QSize(10, 10)));
}

// The thumbnail grid's reading goes through the cache: a warm cache spares
// the decode, a cold one is filled, an unreadable file is not tried again.
#include "FakeImageLibrary.h"
#include "pictures/ThumbnailMaker.h"

TEST(ThumbnailCacheUse, GridReadingFillsAndThenUsesTheCache)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    FakeImageLibrary library;
    const QString photo = dir.filePath(QStringLiteral("p.jpg"));
    library.addFile(photo, FakeImageLibrary::colour(800, 600, Qt::blue));
    const QString broken = dir.filePath(QStringLiteral("broken.jpg"));
    library.addFile(broken, {QStringLiteral("JPEG"), 24, {}});
    ThumbnailRecipe recipe;
    recipe.cache = std::make_shared<ThumbnailCache>(dir.filePath(QStringLiteral("thumbnails")));

    const ThumbFile cold = readThumbnails(library, photo, recipe);
    ASSERT_EQ(cold.pages.size(), 1u);
    EXPECT_EQ(library.reads, 1);
    EXPECT_GE(library.lastMaxSide, ThumbnailCache::kNormalSide);  // read large enough to be kept
    EXPECT_EQ(recipe.cache->find(photo, 100).size(), QSize(128, 96));

    const int infos = library.infos;
    const ThumbFile warm = readThumbnails(library, photo, recipe);
    EXPECT_EQ(library.reads, 1);  // no second decode
    EXPECT_EQ(library.infos, infos);  // nor is the picture opened
    ASSERT_EQ(warm.pages.size(), 1u);
    EXPECT_EQ(warm.pages[0].thumbnail.size(), cold.pages[0].thumbnail.size());
    EXPECT_EQ(warm.pages[0].thumbnail.pixel(50, 34), cold.pages[0].thumbnail.pixel(50, 34));

    EXPECT_TRUE(readThumbnails(library, broken, recipe).pages.empty());
    const int readsAfterFailure = library.reads;
    EXPECT_TRUE(recipe.cache->hasFailed(broken));
    const int infosAfterFailure = library.infos;
    EXPECT_TRUE(readThumbnails(library, broken, recipe).pages.empty());
    EXPECT_EQ(library.reads, readsAfterFailure);
    EXPECT_EQ(library.infos, infosAfterFailure);

    // Without a cache nothing is kept.
    ThumbnailRecipe plain;
    const QString other = dir.filePath(QStringLiteral("q.jpg"));
    library.addFile(other, FakeImageLibrary::colour(800, 600));
    ASSERT_EQ(readThumbnails(library, other, plain).pages.size(), 1u);
    EXPECT_TRUE(recipe.cache->find(other, 100).isNull());
}

// Planted thumbnails: anyone may write into the cache, so a file there is
// checked for its size, its pixel size and its text before any decoding,
// and a text is inflated only as far as a real one could reach.
#include <QBuffer>

#include <sys/resource.h>
#include <unistd.h>
#include <zlib.h>

namespace {

QByteArray be32(quint32 v)
{
    const char b[4] = {char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
    return QByteArray(b, 4);
}

QByteArray pngChunk(const QByteArray& type, const QByteArray& data)
{
    const QByteArray body = type + data;
    return be32(quint32(data.size())) + body
           + be32(quint32(crc32(0, reinterpret_cast<const Bytef*>(body.constData()), uInt(body.size()))));
}

// zlib data of count zero bytes, made a piece at a time.
QByteArray deflatedZeros(qint64 count)
{
    z_stream stream{};
    deflateInit(&stream, 9);
    const QByteArray zeros(1 << 20, '\0');
    QByteArray out;
    char buffer[1 << 16];
    for (qint64 left = count; left >= 0; left -= zeros.size()) {
        stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(zeros.constData()));
        stream.avail_in = uInt(std::min<qint64>(left, zeros.size()));
        const int flush = left <= zeros.size() ? Z_FINISH : Z_NO_FLUSH;
        do {
            stream.next_out = reinterpret_cast<Bytef*>(buffer);
            stream.avail_out = sizeof buffer;
            deflate(&stream, flush);
            out.append(buffer, qsizetype(sizeof buffer - stream.avail_out));
        } while (stream.avail_out == 0);
        if (flush == Z_FINISH)
            break;
    }
    deflateEnd(&stream);
    return out;
}

// A PNG of image with chunks right after its header, where a reader meets
// them before the pixels.
QByteArray pngWith(const QImage& image, const QList<QByteArray>& chunks)
{
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "png");
    constexpr int kAfterHeader = 8 + 25;
    for (auto it = chunks.rbegin(); it != chunks.rend(); ++it)
        png.insert(kAfterHeader, *it);
    return png;
}

long peakKilobytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

}  // namespace

TEST_F(CacheFixture, PlantedThumbnailsAreCheckedBeforeAnythingIsDecoded)
{
    const QByteArray uri = pngChunk("tEXt", QByteArray("Thumb::URI\0", 11) + ThumbnailCache::uriOf(picture).toLatin1());
    const QByteArray mtime = pngChunk("tEXt", QByteArray("Thumb::MTime\0", 13) + "1700000000");
    // 300 MB of text in 300 kB.
    const QByteArray bomb = deflatedZeros(qint64(300) << 20);
    const QImage small = photo(128, 96);
    QByteArray huge = pngWith(small, {uri, mtime});
    // The header claims 100 000 × 100 000 pixels.
    huge.replace(16, 8, be32(100000) + be32(100000));
    huge.replace(29, 4, be32(quint32(crc32(0, reinterpret_cast<const Bytef*>(huge.constData() + 12), 17))));
    struct Case {
        const char* what;
        QByteArray file;
        bool valid;
    } cases[] = {
        {"a sound thumbnail", pngWith(small, {uri, mtime}), true},
        {"a bomb under a key nobody reads", pngWith(small, {uri, mtime, pngChunk("zTXt", QByteArray("Comment\0\0", 9) + bomb)}), true},
        {"a bomb as its address", pngWith(small, {pngChunk("zTXt", QByteArray("Thumb::URI\0\0", 12) + bomb), mtime}), false},
        {"a bomb as an international text", pngWith(small, {pngChunk("iTXt", QByteArray("Thumb::URI\0\1\0\0\0", 15) + bomb), mtime}), false},
        {"a header larger than any thumbnail", huge, false},
        {"a file larger than any thumbnail", pngWith(small, {uri, mtime, pngChunk("tEXt", QByteArray("Comment\0", 8) + QByteArray(600 << 10, 'x'))}), false},
    };
    ASSERT_TRUE(QDir().mkpath(dir.filePath("thumbnails/normal")));
    const QString stored = dir.filePath("thumbnails/normal/" + ThumbnailCache::keyOf(picture));
    const long before = peakKilobytes();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QFile file(stored);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(c.file);
        file.close();
        EXPECT_EQ(cache.find(picture, 100).isNull(), !c.valid);
    }
    EXPECT_LT(peakKilobytes() - before, 64 * 1024);
}

TEST(ThumbnailCacheLinks, ACacheFolderThatIsALinkIsNeitherReadNorWrittenNorChanged)
{
    namespace fs = std::filesystem;
    const struct {
        const char* link;    // inside the home folder
        const char* inside;  // where a thumbnail lies below the link's target
    } cases[] = {{"thumbnails", "normal/"}, {"thumbnails/normal", ""}, {"thumbnails/fail", "kaleidor-1.0/"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.link);
        QTemporaryDir home;
        ASSERT_TRUE(home.isValid());
        const QString picture = home.filePath("p.jpg");
        QFile(picture).open(QIODevice::WriteOnly);
        const QString target = home.filePath("elsewhere");
        ASSERT_TRUE(QDir().mkpath(target + "/" + c.inside));
        fs::permissions(target.toStdString(), fs::perms(0755));
        // A thumbnail that would be valid, placed through the link's target.
        QImage planted(128, 96, QImage::Format_RGB32);
        planted.fill(Qt::red);
        planted.setText("Thumb::URI", ThumbnailCache::uriOf(picture));
        planted.setText("Thumb::MTime", QString::number(QFileInfo(picture).lastModified().toSecsSinceEpoch()));
        ASSERT_TRUE(planted.save(target + "/" + c.inside + ThumbnailCache::keyOf(picture), "png"));
        const QString link = home.filePath(c.link);
        ASSERT_TRUE(QDir().mkpath(QFileInfo(link).absolutePath()));
        ASSERT_EQ(symlink(target.toLocal8Bit().constData(), link.toLocal8Bit().constData()), 0);
        const auto contents = [&] {
            QStringList all;
            for (const auto& entry : fs::recursive_directory_iterator(target.toStdString()))
                all << QString::fromStdString(entry.path().string());
            return all;
        };
        const QStringList was = contents();

        const ThumbnailCache cache(home.filePath("thumbnails"));
        QImage image(400, 300, QImage::Format_RGB32);
        image.fill(Qt::blue);
        if (QByteArray(c.link).endsWith("fail")) {
            EXPECT_FALSE(cache.hasFailed(picture));
            EXPECT_FALSE(cache.storeFailure(picture));
        } else {
            EXPECT_TRUE(cache.find(picture, 100).isNull());
            EXPECT_FALSE(cache.store(picture, image, image.size()));
        }
        EXPECT_EQ(fs::status(target.toStdString()).permissions(), fs::perms(0755));
        EXPECT_EQ(contents(), was);
    }
}
