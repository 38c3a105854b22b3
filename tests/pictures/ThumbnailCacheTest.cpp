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
    ASSERT_TRUE(cache.store(picture, photo(1600, 1200)));
    const QString stored = dir.filePath("thumbnails/normal/" + ThumbnailCache::keyOf(picture));
    QImageReader reader(stored);
    const QImage image = reader.read();
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), QSize(128, 96));
    EXPECT_EQ(image.text("Thumb::URI"), ThumbnailCache::uriOf(picture));
    EXPECT_EQ(image.text("Thumb::MTime"), "1700000000");
    EXPECT_EQ(image.text("Thumb::Image::Width"), "1600");
    namespace fs = std::filesystem;
    EXPECT_EQ(fs::status(stored.toStdString()).permissions(), fs::perms::owner_read | fs::perms::owner_write);
    // Stored again over the first: one file, no temporary one left beside it.
    ASSERT_TRUE(cache.store(picture, photo(800, 600)));
    EXPECT_EQ(QDir(dir.filePath("thumbnails/normal")).entryList(QDir::Files | QDir::Hidden),
              QStringList{ThumbnailCache::keyOf(picture)});

    EXPECT_EQ(cache.find(picture, 100).size(), QSize(128, 96));
    EXPECT_TRUE(cache.find(picture, 200).isNull());  // not large enough for that
}

TEST_F(CacheFixture, AThumbnailOfAnotherVersionOfTheFileIsNotUsed)
{
    ASSERT_TRUE(cache.store(picture, photo(400, 300)));
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
    EXPECT_TRUE(cache.hasFailed(picture));
    setModified(QDateTime::fromSecsSinceEpoch(1800000000));  // changed since: worth another try
    EXPECT_FALSE(cache.hasFailed(picture));
    EXPECT_FALSE(cache.store(dir.filePath("missing.jpg"), photo(10, 10)));
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

    const ThumbFile warm = readThumbnails(library, photo, recipe);
    EXPECT_EQ(library.reads, 1);  // no second decode
    ASSERT_EQ(warm.pages.size(), 1u);
    EXPECT_EQ(warm.pages[0].thumbnail.size(), cold.pages[0].thumbnail.size());
    EXPECT_EQ(warm.pages[0].thumbnail.pixel(50, 34), cold.pages[0].thumbnail.pixel(50, 34));

    EXPECT_TRUE(readThumbnails(library, broken, recipe).pages.empty());
    const int readsAfterFailure = library.reads;
    EXPECT_TRUE(recipe.cache->hasFailed(broken));
    EXPECT_TRUE(readThumbnails(library, broken, recipe).pages.empty());
    EXPECT_EQ(library.reads, readsAfterFailure);

    // Without a cache nothing is kept.
    ThumbnailRecipe plain;
    const QString other = dir.filePath(QStringLiteral("q.jpg"));
    library.addFile(other, FakeImageLibrary::colour(800, 600));
    ASSERT_EQ(readThumbnails(library, other, plain).pages.size(), 1u);
    EXPECT_TRUE(recipe.cache->find(other, 100).isNull());
}
