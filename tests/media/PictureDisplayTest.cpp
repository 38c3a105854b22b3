// The picture control paints what lies on the screen, and the rest of a
// window larger than the screen once it is moved into view.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QScreen>
#include <QTemporaryDir>

#include "TestSupport.h"
#include "media/TImage.h"

namespace {

bool red(QRgb c) { return qRed(c) > 200 && qGreen(c) < 60 && qBlue(c) < 60; }
bool blue(QRgb c) { return qRed(c) < 60 && qGreen(c) < 60 && qBlue(c) > 200; }

TEST(PictureDisplay, PaintsTheOnScreenPartAndTheRestWhenItComesIntoView)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("red.bmp"));
    QImage picture(40, 30, QImage::Format_RGB32);
    picture.fill(Qt::red);
    ASSERT_TRUE(picture.save(file, "BMP"));

    QScreen* screen = QGuiApplication::primaryScreen();
    const QRect desktop = screen->virtualGeometry();
    TImage image;
    image.setPicture(PictureFile::load(file));
    image.setGeometry(QRect(desktop.topLeft(), desktop.size() * 2));
    image.show();
    ASSERT_TRUE(waitFor([&] { return image.isVisible(); }));
    EXPECT_TRUE(image.onScreen().contains(QRect(QPoint(10, 10), desktop.size() - QSize(20, 20))));
    EXPECT_FALSE(image.onScreen().contains(QPoint(desktop.width() + 10, desktop.height() + 10)));

    const QPoint inView(desktop.width() / 2, desktop.height() / 2);
    const QPoint outOfView(desktop.width() * 3 / 2, desktop.height() * 3 / 2);
    auto shown = [&](QPoint at) {
        const QImage shot = screen->grabWindow(image.winId()).toImage();
        return shot.valid(at) && red(shot.pixel(at));
    };
    ASSERT_TRUE(waitFor([&] { return shown(inView); }));
    EXPECT_FALSE(shown(outOfView)) << "painted off the screen";

    image.move(desktop.topLeft() - QPoint(desktop.width(), desktop.height()));
    EXPECT_TRUE(waitFor([&] { return shown(outOfView); })) << "not painted when moved into view";
}

TEST(PictureDisplay, DecodesOnItsOwnAndShowsTheRestWhenItComesIntoView)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("red-over-blue.jpg"));
    QImage picture(64, 64, QImage::Format_RGB32);
    picture.fill(Qt::red);
    QPainter(&picture).fillRect(0, 32, 64, 32, Qt::blue);
    ASSERT_TRUE(picture.save(file, "JPG", 95));

    QScreen* screen = QGuiApplication::primaryScreen();
    const QRect desktop = screen->virtualGeometry();
    TImage image;
    image.setPicture(PictureFile::open(file));
    image.setGeometry(QRect(desktop.topLeft(), desktop.size() * 2));
    image.show();

    const QPoint inView(desktop.width() / 2, desktop.height() / 2);
    const QPoint outOfView(desktop.width() * 3 / 2, desktop.height() * 3 / 2);
    auto shown = [&](QPoint at, bool (*colour)(QRgb)) {
        const QImage shot = screen->grabWindow(image.winId()).toImage();
        return shot.valid(at) && colour(shot.pixel(at));
    };
    ASSERT_TRUE(waitFor([&] { return shown(inView, red); }));
    EXPECT_TRUE(waitFor([&] { return image.picture()->isComplete(); })) << "the rest never decoded";

    image.move(desktop.topLeft() - QPoint(desktop.width(), desktop.height()));
    EXPECT_TRUE(waitFor([&] { return shown(outOfView, blue); })) << "the rest not shown when moved into view";
}

}  // namespace
