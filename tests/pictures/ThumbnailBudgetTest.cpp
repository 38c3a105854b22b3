// What a folder scan may hold: the bytes its workers have in flight (files
// and decoded pixels) against one budget, and the grid's thumbnails packed.
#include "FakeImageLibrary.h"
#include "TestSupport.h"
#include "pictures/ScanBudget.h"
#include "pictures/ThumbnailMaker.h"
#include "pictures/ThumbnailScan.h"
#include "pictures/ThumbnailStore.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <future>
#include <thread>

using namespace std::chrono_literals;

TEST(ScanBudget, GrantsWhatFitsMakesTheRestWaitAndRefusesTheImpossible)
{
    ScanBudget budget(100);
    EXPECT_FALSE(budget.acquire(101));  // never fits: refused at once
    ASSERT_TRUE(budget.acquire(60));
    auto second = std::async(std::launch::async, [&] { return budget.acquire(60); });
    EXPECT_EQ(second.wait_for(50ms), std::future_status::timeout);
    budget.release(60);
    ASSERT_TRUE(second.get());
    EXPECT_EQ(budget.held(), 60);

    // Closing wakes a waiting worker with a refusal.
    auto third = std::async(std::launch::async, [&] { return budget.acquire(60); });
    EXPECT_EQ(third.wait_for(50ms), std::future_status::timeout);
    budget.close();
    EXPECT_FALSE(third.get());
    budget.release(60);
    EXPECT_EQ(budget.held(), 0);
}

TEST(ScanBudget, AReadHoldsItsFileAndPixelsAndNothingLargerThanTheBudgetIsRead)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    FakeImageLibrary library;
    const QString photo = dir.filePath("photo.png");
    library.addFile(photo, FakeImageLibrary::colour(800, 600, Qt::blue, QStringLiteral("PNG")));
    FileInfo info = library.fileInfo(photo);
    const qint64 pixels = thumbnailReadCost(info, 100);
    EXPECT_GE(pixels, qint64(800) * 600 * 4 * 2);  // at least the decoder's buffer and the bitmap
    // A scaled JPEG costs less than the same picture fully decoded.
    info.format = QStringLiteral("JPEG");
    EXPECT_LT(thumbnailReadCost(info, 100), pixels);

    ScanBudget tight(pixels);  // not enough for the file's bytes as well
    EXPECT_TRUE(readThumbnails(library, photo, {}, nullptr, &tight).pages.empty());
    EXPECT_EQ(library.reads, 0);
    ScanBudget enough(pixels + 4096);
    EXPECT_EQ(readThumbnails(library, photo, {}, nullptr, &enough).pages.size(), 1u);
    EXPECT_EQ(enough.held(), 0);
}

TEST(ScanBudget, AScanWhoseFilesFitOnlyOneAtATimeStillFinishes)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    auto library = std::make_shared<FakeImageLibrary>();
    std::vector<ScanEntry> entries;
    for (int i = 0; i < 6; ++i) {
        const QString path = dir.filePath(QStringLiteral("p%1.png").arg(i));
        library->addFile(path, FakeImageLibrary::colour(400, 300, Qt::red, QStringLiteral("PNG")));
        entries.push_back({path, i == 0});
    }
    // And a multi-page file, read while nothing else is.
    const QString pages = dir.filePath("pages.tif");
    QImage page(300, 200, QImage::Format_RGB32);
    page.fill(Qt::green);
    library->addFile(pages, {QStringLiteral("TIFF"), 24, {page, page}});
    entries.push_back({pages, true});
    const qint64 one = thumbnailReadCost(library->fileInfo(entries[0].path), 100) + 1024;
    int files = 0, thumbnails = 0;
    bool finished = false;
    ThumbnailScan::Handlers handlers;
    handlers.fileDone = [&](const QString&, ThumbFile& file) {
        ++files;
        for (const ThumbPage& p : file.pages)
            thumbnails += !p.packed.isNull() && p.thumbnail.isNull();  // handed over packed only
    };
    handlers.finished = [&] { finished = true; };
    ThumbnailScan scan(library, std::move(entries), ThumbnailRecipe{}, std::move(handlers), 2, nullptr, one);
    scan.start();
    ASSERT_TRUE(waitFor([&] { return finished; }, 20000));
    EXPECT_EQ(files, 7);
    EXPECT_EQ(thumbnails, 8);
}

TEST(ThumbnailStore, KeepsThumbnailsPackedWithExactWhiteAroundAndStopsAtItsLimit)
{
    ThumbnailRecipe recipe;  // 100 × 68
    QImage picture(400, 150, QImage::Format_RGB32);
    picture.fill(QColor(200, 40, 40));
    FakeImageLibrary library;
    ThumbFile notes;
    const QImage thumbnail = makeThumbnail(library, {picture, 24}, recipe, notes);
    const QRect place = thumbnailPlace(picture.size(), recipe);
    const PackedThumbnail packed = PackedThumbnail::pack(thumbnail, place);
    EXPECT_LT(packed.picture.size(), thumbnail.sizeInBytes() / 8);

    ThumbnailStore store(packed.picture.size() * 2);
    for (int i = 0; i < 3; ++i)
        store.add(packed);
    EXPECT_EQ(store.size(), 3);
    EXPECT_EQ(store.packedBytes(), packed.picture.size() * 2);
    const QImage first = store.image(0);
    ASSERT_EQ(first.size(), thumbnail.size());
    for (const QPoint at : {QPoint(0, 0), QPoint(50, place.top() - 1), QPoint(50, place.bottom() + 1)})
        EXPECT_EQ(first.pixel(at), qRgb(255, 255, 255)) << at.x() << "," << at.y();
    const QColor middle = first.pixelColor(50, 34);
    EXPECT_NEAR(middle.red(), 200, 4);
    EXPECT_NEAR(middle.green(), 40, 4);
    // The third was beyond the limit: a white cell, not a missing one.
    EXPECT_EQ(store.image(2).size(), thumbnail.size());
    EXPECT_EQ(store.image(2).pixel(50, 34), qRgb(255, 255, 255));
    EXPECT_TRUE(store.image(3).isNull());
}
