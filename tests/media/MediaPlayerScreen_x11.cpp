// On a real X server: the bar and a playing video as a user sees them. Set
// KALEIDOR_SCREENSHOT to a file name to keep the picture.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <QWidget>

#include "TestSupport.h"
#include "media/TMediaPlayer.h"

namespace {

// Two seconds of sound, or of colour bars with sound, made by GStreamer.
QString makeFile(const QTemporaryDir& dir, const QString& name, const QString& pipeline)
{
    const QString path = dir.filePath(name);
    QProcess gst;
    gst.start(QStringLiteral("gst-launch-1.0"),
              QStringList{QStringLiteral("-q")} + QProcess::splitCommand(pipeline.arg(path)));
    return gst.waitForFinished(60000) && gst.exitCode() == 0 ? path : QString();
}

int countPixels(const QImage& image, const QRect& area, bool (*match)(QRgb))
{
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            n += match(image.pixel(x, y)) ? 1 : 0;
    return n;
}

TEST(MediaPlayerScreen, PlaysMusicAndAVideoIntoAWidget)
{
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    auto* bar = new TMediaPlayer(&window);
    bar->setFixedSize(197, 20);
    bar->SetVisibleButtons({btPlay, btPause, btStop, btNext, btPrev, btStep, btBack});
    auto* display = new QWidget(&window);
    display->setFixedSize(320, 240);
    layout->addWidget(bar);
    layout->addWidget(display);
    window.show();
    ASSERT_TRUE(waitFor([&] { return window.isVisible() && display->isVisible(); }));

    QTemporaryDir dir;
    const QString sound = QStringLiteral("audiotestsrc num-buffers=100 samplesperbuffer=882 ! "
                                         "audio/x-raw,rate=44100,channels=2");
    const QString wav = makeFile(dir, QStringLiteral("a.wav"), sound + " ! wavenc ! filesink location=%1");
    const QString avi = makeFile(dir, QStringLiteral("v.avi"),
                                 sound + " ! audioconvert ! lamemp3enc ! avimux name=m ! filesink location=%1 "
                                         "videotestsrc num-buffers=50 ! video/x-raw,width=320,height=240,"
                                         "framerate=25/1 ! videoconvert ! avenc_mpeg4 ! m.");
    ASSERT_FALSE(wav.isEmpty() || avi.isEmpty());
    bar->SetFileName(wav);
    bar->OpenMedia();
    bar->StartPlay();
    ASSERT_TRUE(waitFor([&] { return bar->QueryPosition() > 300; }, 3000)) << "the music does not play";
    bar->StopPlay();

    bar->SetFileName(avi);
    bar->OpenMedia();
    bar->SetDisplay(display);
    bar->StartPlay();
    ASSERT_TRUE(waitFor([&] { return bar->QueryPosition() > 500; }, 3000));
    QImage shot;
    const QRect picture(display->pos(), display->size());
    const bool shown = waitFor(
        [&] {
            shot = window.screen()->grabWindow(window.winId()).toImage().convertToFormat(QImage::Format_RGB32);
            return countPixels(shot, picture, [](QRgb c) {
                       return qRed(c) > 160 && qGreen(c) > 160 && qBlue(c) < 90;
                   }) > 100;
        },
        3000);
    if (const QByteArray path = qgetenv("KALEIDOR_SCREENSHOT"); !path.isEmpty())
        shot.save(QString::fromLocal8Bit(path));
    EXPECT_TRUE(shown) << "no yellow bar of the test picture on the screen";
    // The bar on the screen is the bar as it paints itself, glyphs and all.
    EXPECT_EQ(shot.copy(bar->geometry()), bar->grab().toImage().convertToFormat(QImage::Format_RGB32));
    bar->StopPlay();
}

}  // namespace
