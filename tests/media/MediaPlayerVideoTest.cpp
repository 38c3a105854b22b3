// The video picture in the display control and its destination rectangle.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>
#include <QScreen>
#include <QWidget>

#include <memory>

#include "MediaFixtures.h"
#include "TestSupport.h"
#include "media/TMediaPlayer.h"

namespace {

// The test pattern's colour bars: yellow and cyan are never the background.
bool looksYellow(QRgb c) { return qRed(c) > 160 && qGreen(c) > 160 && qBlue(c) < 90; }
bool looksCyan(QRgb c) { return qRed(c) < 90 && qGreen(c) > 160 && qBlue(c) > 160; }
bool looksBlue(QRgb c) { return qRed(c) < 90 && qGreen(c) < 90 && qBlue(c) > 160; }

bool showsBars(const QImage& image, const QRect& area)
{
    bool yellow = false;
    bool cyan = false;
    for (int y = area.top(); y <= area.bottom(); y += 4)
        for (int x = area.left(); x <= area.right(); ++x) {
            const QRgb c = image.pixel(x, y);
            yellow = yellow || looksYellow(c);
            cyan = cyan || looksCyan(c);
        }
    return yellow && cyan;
}

bool plain(const QImage& image, const QRect& area, QColor colour)
{
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (image.pixelColor(x, y) != colour)
                return false;
    return true;
}

class MediaPlayerVideo : public ::testing::Test {
protected:
    void SetUp() override
    {
        display = std::make_unique<QWidget>();
        display->resize(400, 300);
        display->setAutoFillBackground(true);
        QPalette palette;
        palette.setColor(QPalette::Window, Qt::darkGreen);
        display->setPalette(palette);
        display->show();
        player.SetFileName(fixture(Fixture::MjpegAvi));
        ASSERT_FALSE(player.FileName().isEmpty());
    }
    QImage grab() { return display->grab().toImage().convertToFormat(QImage::Format_RGB32); }

    std::unique_ptr<QWidget> display;
    TMediaPlayer player;
};

TEST_F(MediaPlayerVideo, FramesReachTheDisplayAtTheNaturalSize)
{
    player.SetDisplay(display.get());  // stored before the open, applied by it
    player.OpenMedia();
    EXPECT_EQ(player.NaturalSize(), QSize(320, 240));
    TRect rect;
    player.GetVideoRect(rect);
    EXPECT_EQ(rect, (TRect{0, 0, 320, 240}));
    ASSERT_TRUE(waitFor([&] { return showsBars(grab(), QRect(0, 0, 320, 240)); }, 30000))
        << "the first frame never arrived";
    player.StartPlay();
    // During playback the picture keeps changing: the bars move on frame after frame.
    QImage shown = grab();
    for (int change = 0; change < 2; ++change) {
        const QImage before = shown;
        ASSERT_TRUE(waitFor(
            [&] {
                shown = grab();
                return shown.copy(0, 0, 320, 240) != before.copy(0, 0, 320, 240);
            },
            30000))
            << "the picture stood still after " << change << " changes";
        EXPECT_TRUE(showsBars(shown, QRect(0, 0, 320, 240)));
        EXPECT_TRUE(plain(shown, QRect(330, 0, 70, 300), Qt::darkGreen));
    }
    player.StopPlay();
}

TEST_F(MediaPlayerVideo, TheDestinationRectangleIsObeyed)
{
    player.OpenMedia();
    player.SetDisplay(display.get());
    player.SetVideoRect(TRect{100, 50, 260, 170});
    TRect rect;
    player.GetVideoRect(rect);
    EXPECT_EQ(rect, (TRect{100, 50, 260, 170}));
    player.StartPlay();
    // Frames scaled to 160 × 120 arrive once the pipeline has switched size.
    ASSERT_TRUE(waitFor([&] { return showsBars(grab(), QRect(100, 50, 160, 120)); }, 30000));
    const QImage shown = grab();
    EXPECT_TRUE(plain(shown, QRect(0, 0, 400, 49), Qt::darkGreen));
    EXPECT_TRUE(plain(shown, QRect(0, 0, 99, 300), Qt::darkGreen));
    EXPECT_TRUE(plain(shown, QRect(261, 0, 139, 300), Qt::darkGreen));
    EXPECT_TRUE(plain(shown, QRect(0, 171, 400, 129), Qt::darkGreen));

    player.SetVideoRect(TRect{5, 6, 0, 0});
    player.GetVideoRect(rect);
    EXPECT_EQ(rect, (TRect{5, 6, 325, 246}));
    player.StopPlay();
}

TEST_F(MediaPlayerVideo, DestroyingTheDisplayDetachesTheVideo)
{
    player.OpenMedia();
    player.SetDisplay(display.get());
    player.StartPlay();
    ASSERT_TRUE(waitFor([&] { return showsBars(grab(), QRect(0, 0, 320, 240)); }, 30000));
    display.reset();
    EXPECT_EQ(player.Display(), nullptr);
    // Playback goes on without a display.
    const int at = player.QueryPosition();
    EXPECT_TRUE(waitFor([&] { return player.QueryPosition() > at || player.QueryMode() != pmPlaying; }, 30000));
    EXPECT_EQ(player.QueryMode(), pmPlaying);
    player.StopPlay();
}

TEST_F(MediaPlayerVideo, AudioOnlyFilesIgnoreTheRectangle)
{
    player.SetFileName(fixture(Fixture::Wav));
    player.OpenMedia();
    player.SetDisplay(display.get());
    EXPECT_EQ(player.Display(), display.get());
    TRect rect{1, 1, 2, 2};
    player.GetVideoRect(rect);
    EXPECT_EQ(rect, (TRect{1, 1, 2, 2}));
    EXPECT_TRUE(plain(grab(), QRect(0, 0, 400, 300), Qt::darkGreen));
}

TEST_F(MediaPlayerVideo, PaintsThePictureOnTheScreenAndTheRestWhenItComesIntoView)
{
    // Only the display's left 100 pixels are on the screen: the white and
    // yellow bars; the blue bar at the right edge is off it.
    const QRect desktop = QGuiApplication::primaryScreen()->virtualGeometry();
    display->move(desktop.right() - 99, desktop.top());
    player.OpenMedia();
    player.SetDisplay(display.get());
    QScreen* screen = display->screen();
    auto shown = [&](QPoint at, bool (*colour)(QRgb)) {
        const QImage shot = screen->grabWindow(display->winId()).toImage();
        return shot.valid(at) && colour(shot.pixel(at));
    };
    ASSERT_TRUE(waitFor([&] { return shown({70, 50}, looksYellow); }, 30000)) << "the first frame never arrived";
    EXPECT_FALSE(shown({300, 50}, looksBlue)) << "painted off the screen";

    // Stopped, no new frame comes: the part moved into view is painted from the one there is.
    display->move(desktop.topLeft());
    EXPECT_TRUE(waitFor([&] { return shown({300, 50}, looksBlue); }, 30000)) << "not painted when moved into view";
}

}  // namespace
