// The image viewer with a picture library in memory: loading, fitting and
// painting, TIFF pages, the monochrome rule, dragging and the clipboard.
#include "FakeImageLibrary.h"
#include "TestSupport.h"
#include "pictures/TPMultiImage.h"

#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {
class ImageViewer : public ::testing::Test {
protected:
    void SetUp() override
    {
        viewer = std::make_unique<TPMultiImage>(library);
        viewer->resize(336, 313);
        viewer->setColor(clBtnFace);
    }
    QString add(const QString& name, FakeImageLibrary::Picture picture)
    {
        const QString path = dir.path() + QLatin1Char('/') + name;
        library->addFile(path, std::move(picture));
        return path;
    }
    static QImage filled(int w, int h, QColor c)
    {
        QImage image(w, h, QImage::Format_RGB32);
        image.fill(c);
        return image;
    }

    QTemporaryDir dir;
    std::shared_ptr<FakeImageLibrary> library = std::make_shared<FakeImageLibrary>();
    std::unique_ptr<TPMultiImage> viewer;
};
}  // namespace

TEST_F(ImageViewer, FittedAndCentredPictureLeavesBandsOfTheBackground)
{
    viewer->setCenter(true);
    viewer->setStretchRatio(true);
    viewer->setImageName(add(QStringLiteral("wide.png"), {QStringLiteral("PNG"), 24, {filled(168, 100, Qt::red)}}));
    ASSERT_FALSE(viewer->picture().isNull());
    EXPECT_DOUBLE_EQ(viewer->zoom(), 2.0);
    const auto place = viewer->placement();
    ASSERT_TRUE(place);
    EXPECT_EQ(place->destination, QRect(0, 56, 336, 200));
    EXPECT_FALSE(viewer->scrollBarsShown());

    const QImage shot = viewer->grab().toImage();
    const QRgb face = toQColor(clBtnFace).rgb();
    const QRgb red = qRgb(255, 0, 0);
    EXPECT_EQ(shot.pixel(100, 0), face);
    EXPECT_EQ(shot.pixel(100, 55), face);
    EXPECT_EQ(shot.pixel(100, 56), red);
    EXPECT_EQ(shot.pixel(335, 255), red);
    EXPECT_EQ(shot.pixel(100, 256), face);  // 57 rows below
    EXPECT_EQ(shot.pixel(100, 312), face);

    // Resizing fits again.
    viewer->show();
    viewer->resize(168, 313);
    EXPECT_DOUBLE_EQ(viewer->zoom(), 1.0);
}

TEST_F(ImageViewer, TiffPageIsClampedToTheLastPage)
{
    const QImage page = filled(10, 10, Qt::green);
    const QString path = add(QStringLiteral("pages.tif"), {QStringLiteral("TIFF"), 24, {page, page, page}});
    viewer->setTiffPage(5);
    viewer->setImageName(path);
    EXPECT_EQ(viewer->tiffPage(), 2);
    EXPECT_EQ(library->lastReadPage, 2);
    EXPECT_FALSE(viewer->picture().isNull());
}

TEST_F(ImageViewer, LowDepthPicturesAreReadAsMonochrome)
{
    struct Case {
        const char* name;
        const char* format;
        int bits;
        int asked;
    };
    const Case cases[] = {
        {"line.bmp", "BMP", 1, 1},
        {"two.gif", "GIF", 2, 1},
        {"four.gif", "GIF", 4, 24},
        {"four.bmp", "BMP", 4, 24},
        {"gray.png", "PNG", 8, 24},
    };
    for (const Case& c : cases) {
        viewer->setImageName(add(QString::fromLatin1(c.name), {QString::fromLatin1(c.format), c.bits, {filled(8, 8, Qt::white)}}));
        EXPECT_EQ(library->lastReadBits, c.asked) << c.name;
        EXPECT_EQ(viewer->picture().monochrome(), c.asked == 1) << c.name;
    }
}

TEST_F(ImageViewer, MissingAndUnreadableFiles)
{
    viewer->setImageName(add(QStringLiteral("a.png"), {QStringLiteral("PNG"), 24, {filled(4, 4, Qt::red)}}));
    ASSERT_FALSE(viewer->picture().isNull());

    // A missing file blanks the viewer and keeps the name.
    const QString gone = dir.path() + "/gone.png";
    viewer->setImageName(gone);
    EXPECT_TRUE(viewer->picture().isNull());
    EXPECT_EQ(viewer->imageName(), gone);

    // fileinfo failing raises its text and leaves the picture as it was.
    viewer->setImageName(add(QStringLiteral("b.png"), {QStringLiteral("PNG"), 24, {filled(4, 4, Qt::red)}}));
    QFile junk(dir.path() + "/junk.png");
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write(QByteArray(64, 'x'));
    junk.close();
    EXPECT_THROW(viewer->setImageName(junk.fileName()), EImageLibError);
    EXPECT_FALSE(viewer->picture().isNull());

    // A failed read clears the picture without a word.
    const QString broken = add(QStringLiteral("broken.gif"), {QStringLiteral("GIF"), 8, {}});
    viewer->setImageName(broken);
    EXPECT_TRUE(viewer->picture().isNull());

    // Without the reading library the load raises its message.
    library->readingAvailable = false;
    EXPECT_THROW(viewer->setImageName(broken), EImageLibUnavailable);
}

TEST_F(ImageViewer, ZoomedPictureScrollsAndDragsWithinItsEdges)
{
    viewer->setImageName(add(QStringLiteral("big.png"), {QStringLiteral("PNG"), 24, {filled(600, 500, Qt::blue)}}));
    viewer->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(viewer.get()));
    ASSERT_TRUE(viewer->scrollBarsShown());
    EXPECT_EQ(viewer->verticalBar()->geometry(), QRect(336 - 12, 1, 12, 313 - 12 - 1));
    EXPECT_EQ(viewer->horizontalBar()->maximum(), 600 - 336 + 12);

    // Dragging left by 100 moves the offset right by 100; far past the edge it stops there.
    QTest::mousePress(viewer.get(), Qt::LeftButton, {}, QPoint(200, 200));
    QTest::mouseMove(viewer.get(), QPoint(100, 200));
    EXPECT_EQ(viewer->offset(), QPoint(100, 0));
    QTest::mouseMove(viewer.get(), QPoint(-2000, -2000));
    EXPECT_EQ(viewer->offset(), QPoint(600 - (336 - 12), 500 - (313 - 12)));
    QTest::mouseRelease(viewer.get(), Qt::LeftButton, {}, QPoint(-2000, -2000));

    viewer->horizontalBar()->setValue(10);
    EXPECT_EQ(viewer->offset().x(), 10);
}

TEST_F(ImageViewer, ClipboardCommands)
{
    QClipboard* clipboard = QApplication::clipboard();
    clipboard->clear();
    // Cut and paste with nothing there do nothing; copy says so.
    viewer->cutToClipboard();
    viewer->pasteFromClipboard();
    EXPECT_TRUE(viewer->picture().isNull());
    try {
        viewer->copyToClipboard();
        FAIL() << "no error";
    } catch (const Exception& e) {
        EXPECT_EQ(e.message(), QStringLiteral("Input image is empty"));
    }

    viewer->setStretchRatio(true);
    viewer->setImageName(add(QStringLiteral("a.png"), {QStringLiteral("PNG"), 24, {filled(20, 10, Qt::red)}}));
    viewer->cutToClipboard();
    EXPECT_TRUE(viewer->picture().isNull());
    ASSERT_TRUE(clipboard->mimeData()->hasImage());
    viewer->pasteFromClipboard();
    ASSERT_FALSE(viewer->picture().isNull());
    EXPECT_EQ(viewer->picture().image.size(), QSize(20, 10));
    EXPECT_EQ(viewer->picture().image.pixel(5, 5), qRgb(255, 0, 0));
    EXPECT_DOUBLE_EQ(viewer->zoom(), 336.0 / 20);
}
