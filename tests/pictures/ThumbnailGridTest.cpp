// The thumbnail grid with a picture library in memory: listing, scan order,
// pages, selection, columns, cancellation and the libraries' failures.
#include "FakeImageLibrary.h"
#include "TestSupport.h"
#include "pictures/TImageLibThumbnails.h"
#include "pictures/ThumbnailScan.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTest>

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <unistd.h>

namespace {
class ThumbnailGrid : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        folder = dir.path() + QLatin1Char('/');
        grid = std::make_unique<TImageLibThumbnails>(library);
        grid->resize(458, 462);
        grid->setThumbnailHeight(100);
    }
    QString add(const QString& name, FakeImageLibrary::Picture picture = FakeImageLibrary::colour(400, 300))
    {
        library->addFile(folder + name, std::move(picture));
        return folder + name;
    }
    int scan()
    {
        const int started = grid->LoadFromFolder(folder);
        EXPECT_TRUE(waitFor([&] { return !grid->isScanning(); }, 20000));
        return started;
    }
    QStringList names() const
    {
        QStringList out;
        for (int i = 0; i < grid->itemCount(); ++i)
            out << QFileInfo(grid->itemFilename(i)).fileName() + QLatin1Char('#') + QString::number(grid->itemPage(i));
        return out;
    }

    QTemporaryDir dir;
    QString folder;
    std::shared_ptr<FakeImageLibrary> library = std::make_shared<FakeImageLibrary>();
    std::unique_ptr<TImageLibThumbnails> grid;
};
}  // namespace

TEST_F(ThumbnailGrid, ListingFollowsTheExtensionTableThenNamesAnyCase)
{
    add(QStringLiteral("a.png"));
    add(QStringLiteral("b.jpg"));
    add(QStringLiteral("Z.JPG"));
    add(QStringLiteral("c.Jpg"));
    add(QStringLiteral("d.jpeg"));
    add(QStringLiteral("e.bmp"));
    add(QStringLiteral(".hidden.jpg"));
    add(QStringLiteral("notes.txt"));
    ASSERT_TRUE(QDir(folder).mkdir(QStringLiteral("folder.jpg")));
    ASSERT_EQ(symlink((folder + "gone.png").toUtf8().constData(), (folder + "broken.png").toUtf8().constData()), 0);

    const std::vector<ScanEntry> entries = listPictureFiles(folder, TImageLibThumbnails::filterExtensions());
    QStringList listed;
    for (const ScanEntry& e : entries)
        listed << QFileInfo(e.path).fileName() + (e.firstOfListing ? QStringLiteral("*") : QString());
    EXPECT_EQ(listed, QStringList({"b.jpg*", "c.Jpg", "Z.JPG", "d.jpeg*", "a.png*", "e.bmp*"}));

    EXPECT_EQ(scan(), 0);
    EXPECT_EQ(names(), QStringList({"b.jpg#0", "c.Jpg#0", "Z.JPG#0", "d.jpeg#0", "a.png#0", "e.bmp#0"}));
    EXPECT_EQ(grid->count(), 6);
    // Paths stay as found: a lower-cased path would name another file here.
    EXPECT_EQ(grid->itemFilename(2), folder + "Z.JPG");
    EXPECT_EQ(library->lastMaxSide, 100);
}

TEST_F(ThumbnailGrid, ScanOnlyLooksForTheFilterExtensions)
{
    add(QStringLiteral("a.png"));
    add(QStringLiteral("b.jpg"));
    grid->setFilter(1u << TImageLibThumbnails::img_png);
    scan();
    EXPECT_EQ(names(), QStringList({"a.png#0"}));
}

TEST_F(ThumbnailGrid, EveryTiffPageIsAThumbnailAndUnreadablePagesAreSkipped)
{
    QImage page(40, 30, QImage::Format_RGB32);
    page.fill(Qt::blue);
    add(QStringLiteral("three.tif"), {QStringLiteral("TIFF"), 24, {page, page, page}});
    add(QStringLiteral("two.tiff"), {QStringLiteral("TIFF"), 24, {page, page}});
    add(QStringLiteral("empty.gif"), {QStringLiteral("GIF"), 8, {QImage()}});
    add(QStringLiteral("other.png"), {QStringLiteral("EPS"), 24, {page}});
    QFile::copy(folder + "three.tif", folder + "unknown.png");  // fileinfo knows nothing of it
    scan();
    EXPECT_EQ(names(), QStringList({"three.tif#0", "three.tif#1", "three.tif#2", "two.tiff#0", "two.tiff#1"}));
}

TEST_F(ThumbnailGrid, EmptyFolderStringChangesNothing)
{
    add(QStringLiteral("a.jpg"));
    scan();
    grid->makeCurrent(0, 0);
    EXPECT_EQ(grid->LoadFromFolder(QString()), -1);
    EXPECT_EQ(grid->itemCount(), 1);
    EXPECT_EQ(grid->count(), 1);
    EXPECT_EQ(grid->currentSelected(), 0);
}

TEST_F(ThumbnailGrid, PressingACellSelectsItAlsoBeyondTheLastItem)
{
    for (const char* name : {"a.jpg", "b.jpg", "c.jpg", "d.jpg", "e.jpg"})
        add(QString::fromLatin1(name));
    scan();
    grid->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(grid.get()));
    ASSERT_EQ(grid->colCount(), 4);
    ASSERT_EQ(grid->colWidth(), 106);
    ASSERT_EQ(grid->rowHeight(), 130);

    QSignalSpy selected(grid.get(), &TImageLibThumbnails::selectThumb);
    QSignalSpy clicked(grid.get(), &TImageLibThumbnails::thumbClick);
    const QPoint second = grid->GetCellRect(1, 0).center();
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, second);
    EXPECT_EQ(grid->currentSelected(), 1);
    EXPECT_EQ(grid->filename(), folder + "b.jpg");
    EXPECT_EQ(grid->page(), 0);
    ASSERT_EQ(clicked.count(), 1);
    EXPECT_EQ(clicked.last().at(2).toInt(), 1);
    EXPECT_EQ(clicked.last().at(3).toString(), folder + "b.jpg");

    // Row 1, column 2 is index 6; there are only five items.
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->GetCellRect(2, 1).center());
    EXPECT_EQ(grid->currentSelected(), 6);
    EXPECT_TRUE(grid->filename().isEmpty());
    EXPECT_EQ(grid->page(), -1);
    ASSERT_EQ(selected.count(), 2);
    EXPECT_EQ(selected.last().at(4).toInt(), -1);
    EXPECT_EQ(clicked.last().at(4).toInt(), 0);  // a click on no item reports page 0

    // Keys move one cell, Ctrl+End to the grid's last cell.
    QTest::keyClick(grid.get(), Qt::Key_Left);
    EXPECT_EQ(grid->currentSelected(), 5);
    QTest::keyClick(grid.get(), Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(grid->currentSelected(), 0);
    QTest::keyClick(grid.get(), Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(grid->currentSelected(), 7);
}

TEST_F(ThumbnailGrid, ColumnsFollowTheWidthWithAtLeastOne)
{
    for (int i = 0; i < 9; ++i)
        add(QStringLiteral("p%1.jpg").arg(i));
    scan();
    grid->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(grid.get()));
    grid->resize(330, 462);
    EXPECT_EQ(grid->colCount(), 3);
    EXPECT_EQ(grid->rowCount(), 3);
    grid->resize(50, 462);
    EXPECT_EQ(grid->colCount(), 1);
    EXPECT_EQ(grid->rowCount(), 9);
    grid->ClearThumbnails();
    EXPECT_EQ(grid->colCount(), 1);
    EXPECT_EQ(grid->rowCount(), 1);
    EXPECT_EQ(grid->count(), 9);  // kept until the next scan
}

TEST_F(ThumbnailGrid, MarksAndSelectionByNameIgnoreCase)
{
    add(QStringLiteral("a.jpg"));
    add(QStringLiteral("b.jpg"));
    scan();
    grid->SetCheckedByFilename((folder + "B.JPG"), true);
    EXPECT_FALSE(grid->Checked(0));
    EXPECT_TRUE(grid->Checked(1));
    EXPECT_FALSE(grid->Checked(7));
    grid->setChecked(7, true);  // ignored
    grid->SelectByFilename(folder + "A.jpg");
    EXPECT_EQ(grid->currentSelected(), 0);
    EXPECT_EQ(grid->filename(), folder + "a.jpg");
}

TEST_F(ThumbnailGrid, ANewScanCancelsTheRunningOne)
{
    for (int i = 0; i < 6; ++i)
        add(QStringLiteral("old%1.jpg").arg(i));
    QTemporaryDir other;
    const QString otherFolder = other.path() + QLatin1Char('/');
    library->addFile(otherFolder + "new.png", FakeImageLibrary::colour(10, 10));

    library->closeGate();
    grid->LoadFromFolder(folder);
    EXPECT_TRUE(grid->isScanning());
    library->openGate();
    grid->ClearThumbnails();
    grid->LoadFromFolder(otherFolder);
    ASSERT_TRUE(waitFor([&] { return !grid->isScanning(); }, 20000));
    // Deliver anything the old workers queued: it must be dropped.
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    EXPECT_EQ(names(), QStringList({"new.png#0"}));
}

TEST_F(ThumbnailGrid, AMissingReadingLibraryReachesTheCallerAndKeepsTheItems)
{
    add(QStringLiteral("a.jpg"));
    scan();
    library->readingAvailable = false;
    try {
        grid->LoadFromFolder(folder);
        FAIL() << "no error";
    } catch (const EImageLibUnavailable& e) {
        EXPECT_EQ(e.message(), FakeImageLibrary::missing("libcrde2001.so"));
    }
    EXPECT_EQ(grid->itemCount(), 1);
    EXPECT_FALSE(grid->isScanning());

    // An empty folder never needs the library.
    QTemporaryDir empty;
    EXPECT_EQ(grid->LoadFromFolder(empty.path() + "/"), 1);
}

TEST_F(ThumbnailGrid, AMissingScalingLibraryIsReportedOncePerScan)
{
    QImage white(20, 20, QImage::Format_RGB32);
    white.fill(Qt::white);
    for (const char* name : {"a.bmp", "b.bmp", "c.bmp"})
        add(QString::fromLatin1(name), {QStringLiteral("BMP"), 1, {white}});
    library->scalingAvailable = false;
    for (int run = 0; run < 2; ++run) {
        ModalWatcher boxes;
        grid->ClearThumbnails();
        scan();
        EXPECT_EQ(grid->itemCount(), 3);
        ASSERT_EQ(boxes.seen().size(), 1);
        EXPECT_EQ(boxes.seen().first().text, FakeImageLibrary::missing("libisp2000.so"));
    }
}
