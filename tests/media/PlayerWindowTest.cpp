// The music and video windows: read-out, seek arithmetic, the tick, looping
// at the end, rewinding after Stop and the close handlers.
#include "FakeMediaEngine.h"
#include "MediaFixtures.h"
#include "TestSupport.h"
#include "media/MediaShared.h"
#include "media/TForm2.h"
#include "media/TForm3.h"
#include "media/TForm8.h"

#include <gtest/gtest.h>

TEST(PlayerWindow, ReadOutRoundsSecondsHalvesToEven)
{
    const struct {
        int position, length;
        const char* expected;
    } cases[] = {
        {2500, 3500, "2 / 4"}, {1499, 1500, "1 / 2"}, {37000, 215000, "37 / 215"}, {0, 0, "0 / 0"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TPlayerForm::readOut(c.position, c.length), QString::fromUtf8(c.expected));
}

TEST(PlayerWindow, SeekPositionScalesTheStoredPointerX)
{
    const struct {
        std::int32_t max;
        int x;
        std::int64_t expected;
    } cases[] = {{960, 96, 480}, {100, 1, 1}, {100, 0, 0}, {1000, 192, 1000}, {2'000'000'000, 192, 2'000'000'000}};
    for (const auto& c : cases)
        EXPECT_EQ(TPlayerForm::seekPosition(c.max, c.x), c.expected) << c.max << " at " << c.x;
}

TEST(PlayerWindow, BothWindowsHaveTheirControlsAndColours)
{
    TForm2 music(makeMediaBackend);
    TForm8 video(makeMediaBackend);
    for (TPlayerForm* form : {static_cast<TPlayerForm*>(&music), static_cast<TPlayerForm*>(&video)}) {
        EXPECT_EQ(QSize(form->clientWidth(), form->clientHeight()), QSize(194, 61));
        EXPECT_EQ(form->P1->geometry(), QRect(0, 24, 193, 9));
        EXPECT_EQ(form->Lp->pos(), QPoint(32, 40));
        EXPECT_EQ(form->Lp->width(), 121);
        EXPECT_EQ(form->P1->max(), 100);
        EXPECT_FALSE(form->Timer1->enabled());
        EXPECT_EQ(form->Timer1->interval(), 1000);
        EXPECT_TRUE(form->Lp->caption().isEmpty());
        EXPECT_FALSE(form->MediaPlayer1->AutoEnable());
    }
    EXPECT_EQ(music.caption(), QStringLiteral("Музыка"));
    EXPECT_EQ(video.caption(), QStringLiteral("Видео"));
    EXPECT_EQ(music.P1->barColor(), clHotLight);
    EXPECT_EQ(video.P1->barColor(), clOliveGreen);
    EXPECT_EQ(video.P1->backColor(), clSilver);
}

TEST(PlayerWindow, TickWithoutAnOpenDeviceDoesNothing)
{
    ModalWatcher watcher;
    TForm2 music(makeMediaBackend);
    music.Timer1->setInterval(10);
    music.Timer1->setEnabled(true);
    waitFor([] { return false; }, 100);
    EXPECT_TRUE(watcher.seen().isEmpty());
    EXPECT_TRUE(music.Lp->caption().isEmpty());
}

TEST(PlayerWindow, PressSeeksToTheStoredXAndPlays)
{
    const QString path = fixture(Fixture::Wav);
    ASSERT_FALSE(path.isEmpty());
    TForm2 music(makeMediaBackend);
    music.MediaPlayer1->SetFileName(path);
    music.MediaPlayer1->OpenMedia();
    music.P1->setMax(music.MediaPlayer1->QueryLength());
    music.P1MouseMove(96);
    music.P1MouseDown();
    EXPECT_EQ(music.P1->position(), TPlayerForm::seekPosition(music.P1->max(), 96));
    EXPECT_NEAR(music.MediaPlayer1->QueryPosition(), music.P1->max() / 2, 100);
    EXPECT_EQ(music.MediaPlayer1->QueryMode(), pmPlaying);

    music.Timer1Timer();
    EXPECT_TRUE(music.Lp->caption().endsWith(QStringLiteral(" / 2")));
}

TEST(PlayerWindow, AtTheEndTheNextTickPlaysFromTheStart)
{
    const QString path = fixture(Fixture::Wav);
    ASSERT_FALSE(path.isEmpty());
    TForm2 music(makeMediaBackend);
    music.MediaPlayer1->SetFileName(path);
    music.MediaPlayer1->OpenMedia();
    const int length = music.MediaPlayer1->QueryLength();
    music.P1->setMax(length);
    music.MediaPlayer1->SeekTo(length);
    music.Timer1Timer();
    EXPECT_EQ(music.MediaPlayer1->QueryMode(), pmPlaying);
    EXPECT_LT(music.MediaPlayer1->QueryPosition(), 500);
}

TEST(PlayerWindow, StopRewindsToTheStart)
{
    const QString path = fixture(Fixture::Wav);
    ASSERT_FALSE(path.isEmpty());
    TForm2 music(makeMediaBackend);
    music.MediaPlayer1->SetFileName(path);
    music.MediaPlayer1->OpenMedia();
    music.MediaPlayer1->SeekTo(1000);
    music.MediaPlayer1->StopPlay();
    music.MediaPlayer1PostClick();
    EXPECT_EQ(music.MediaPlayer1->QueryPosition(), 0);
}

TEST(PlayerWindow, ClosingTheVideoWindowHidesTheScreenWindow)
{
    ModalWatcher watcher;
    MediaState media;
    Form3 = new TForm3(media);
    {
        FakeMedia played;
        TForm8 video(FakeMediaEngine::factory(played));
        Form3->show();
        video.show();
        video.Timer1->setEnabled(true);
        video.close();
        EXPECT_FALSE(video.isVisible());
        EXPECT_FALSE(Form3->isVisible());
        EXPECT_FALSE(video.Timer1->enabled());
    }
    delete Form3;
    Form3 = nullptr;
    EXPECT_TRUE(watcher.seen().isEmpty());
}
