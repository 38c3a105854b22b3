// The launcher's music and video actions: which windows show, hide and stop,
// the seek bar's range, the screen window fitted to the video, and what a
// file that cannot be opened leaves behind.
#include "MediaFixtures.h"
#include "MediaWindowSet.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <optional>

namespace {

struct Launching : ::testing::Test {
    QTemporaryDir dir;
    std::optional<ModalWatcher> watching{std::in_place};
    MediaWindowSet windows;

    MediaLauncher* launcher() const { return windows.launcher.get(); }
    QList<SeenBox> boxes() const { return watching->seen(); }
    QString need(Fixture kind)
    {
        const QString path = fixture(kind);
        EXPECT_FALSE(path.isEmpty()) << "GStreamer could not make the fixture";
        return path;
    }
    QString file(const QString& name, const QByteArray& content)
    {
        QFile f(dir.filePath(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(content);
        return f.fileName();
    }
    QString folder(const QString& name)
    {
        QDir(dir.path()).mkdir(name);
        return dir.filePath(name);
    }
    QString bitmap()
    {
        const QString path = dir.filePath(QStringLiteral("p.bmp"));
        QImage image(160, 120, QImage::Format_RGB32);
        image.fill(Qt::darkCyan);
        image.save(path, "BMP");
        return path;
    }
};

}  // namespace

TEST_F(Launching, MusicPlaysInTheMusicWindow)
{
    Form3->show();
    launcher()->launch(need(Fixture::Mp3));
    EXPECT_TRUE(Form2->isVisible());
    EXPECT_FALSE(Form3->isVisible());
    EXPECT_TRUE(Form2->Timer1->enabled());
    EXPECT_EQ(Form2->P1->position(), 0);
    EXPECT_EQ(Form2->P1->max(), Form2->MediaPlayer1->QueryLength());
    EXPECT_EQ(Form2->MediaPlayer1->QueryMode(), pmPlaying);
    EXPECT_TRUE(boxes().isEmpty());
}

TEST_F(Launching, VideoPlaysIntoTheScreenWindowAtItsNaturalSize)
{
    launcher()->launch(need(Fixture::MjpegAvi));
    TMediaPlayer* player = Form8->MediaPlayer1;
    EXPECT_TRUE(Form8->isVisible());
    EXPECT_TRUE(Form3->isVisible());
    EXPECT_EQ(Form3->caption(), QStringLiteral("Экран"));
    EXPECT_TRUE(Form3->Panel1->isVisible());
    EXPECT_FALSE(Form3->Image1->isVisible());
    EXPECT_EQ(player->Display(), Form3->Panel1);
    EXPECT_TRUE(Form8->Timer1->enabled());
    EXPECT_EQ(Form8->P1->max(), player->QueryLength());
    EXPECT_EQ(QSize(Form3->clientWidth(), Form3->clientHeight()), player->NaturalSize());
    EXPECT_EQ(QSize(windows.state.VideoNaturalWidth, windows.state.VideoNaturalHeight), player->NaturalSize());
    EXPECT_EQ(player->QueryMode(), pmPlaying);

    // Zooming rescales the video to the new client area; real size goes back.
    Form3->N41Click();
    TRect rect;
    player->GetVideoRect(rect);
    EXPECT_EQ(rect.Right - rect.Left, Form3->Panel1->width());
    EXPECT_EQ(rect.Bottom - rect.Top, Form3->Panel1->height());
    Form3->N2Click();
    EXPECT_EQ(QSize(Form3->clientWidth(), Form3->clientHeight()), player->NaturalSize());
    EXPECT_TRUE(boxes().isEmpty());
}

TEST_F(Launching, VideoStopsMusicOnlyWhenTheMusicWindowIsVisible)
{
    launcher()->launch(need(Fixture::Wav));
    launcher()->launch(need(Fixture::MjpegAvi));
    EXPECT_FALSE(Form2->isVisible());
    EXPECT_EQ(Form2->MediaPlayer1->QueryMode(), pmStopped);
    EXPECT_FALSE(Form2->Timer1->enabled());

    launcher()->launch(need(Fixture::Wav));
    launcher()->launch(bitmap());  // hides the music window; the music goes on
    launcher()->launch(need(Fixture::MjpegAvi));
    EXPECT_EQ(Form2->MediaPlayer1->QueryMode(), pmPlaying);
    EXPECT_EQ(Form8->MediaPlayer1->QueryMode(), pmPlaying);
}

TEST_F(Launching, PictureAfterAFailedVideoShowsWithoutAnError)
{
    launcher()->launch(need(Fixture::MjpegAvi));
    launcher()->launch(file(QStringLiteral("broken.avi"), QByteArray(4000, '\x11')));
    ASSERT_EQ(boxes().size(), 1);
    EXPECT_EQ(boxes().first().caption, QStringLiteral("Error"));
    EXPECT_FALSE(Form8->isVisible());
    EXPECT_FALSE(Form3->isVisible());
    EXPECT_FALSE(Form8->Timer1->enabled());

    launcher()->launch(bitmap());
    EXPECT_TRUE(Form3->isVisible());
    EXPECT_EQ(boxes().size(), 1);  // no "No MCI device open"
}

TEST_F(Launching, VideoWithoutAPictureStreamKeepsTheClientSize)
{
    // Sound only, under a video name.
    QFile::remove(dir.filePath(QStringLiteral("sound.avi")));
    ASSERT_TRUE(QFile::copy(need(Fixture::Wav), dir.filePath(QStringLiteral("sound.avi"))));
    Form3->setClientSize(333, 222);
    launcher()->launch(dir.filePath(QStringLiteral("sound.avi")));
    if (!Form8->MediaPlayer1->DeviceOpen())
        GTEST_SKIP() << "the back end refuses sound-only files under a video name";
    EXPECT_EQ(QSize(Form3->clientWidth(), Form3->clientHeight()), QSize(333, 222));
    EXPECT_EQ(QSize(windows.state.VideoNaturalWidth, windows.state.VideoNaturalHeight), QSize(333, 222));
}

TEST_F(Launching, BadMusicAndVideoFilesGiveAnErrorAndLeaveNothingRunning)
{
    const struct {
        const char* name;
        QString path;
        bool video;
    } cases[] = {
        {"missing music", dir.filePath(QStringLiteral("none.mp3")), false},
        {"zero-byte music", file(QStringLiteral("empty.wav"), {}), false},
        {"corrupt music", file(QStringLiteral("noise.ogg"), QByteArray(3000, '\x7f')), false},
        {"a folder", folder(QStringLiteral("folder.mp3")), false},
        {"missing video", dir.filePath(QStringLiteral("none.avi")), true},
        {"truncated video", file(QStringLiteral("cut.avi"), QByteArray("RIFF\0\0\0\0AVI LIST", 16)), true},
    };
    // A good file first, so a failed open follows a successful one.
    launcher()->launch(need(Fixture::Wav));
    for (const auto& c : cases) {
        const qsizetype before = boxes().size();
        launcher()->launch(c.path);
        FramedWindow* window = c.video ? static_cast<FramedWindow*>(Form8) : Form2;
        TPlayerForm* form = c.video ? static_cast<TPlayerForm*>(Form8) : Form2;
        EXPECT_EQ(boxes().size(), before + 1) << c.name;
        EXPECT_FALSE(window->isVisible()) << c.name;
        EXPECT_FALSE(form->Timer1->enabled()) << c.name;
        EXPECT_FALSE(form->MediaPlayer1->DeviceOpen()) << c.name;
    }
    // No box every second from the stopped windows afterwards.
    const qsizetype after = boxes().size();
    waitFor([] { return false; }, 1300);
    EXPECT_EQ(boxes().size(), after);
}
