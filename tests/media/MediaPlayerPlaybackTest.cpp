// Opening, playing, pausing, seeking and looping real files.
#include <gtest/gtest.h>

#include <QElapsedTimer>

#include <future>

#include "MediaFixtures.h"
#include "TestSupport.h"
#include "media/TMediaPlayer.h"
#include "platform/MediaEngine.h"

namespace {

struct Notices {
    QList<TMPNotifyValues> values;
    explicit Notices(TMediaPlayer& player)
    {
        player.OnNotify = [this](TMediaPlayer* sender) { values.append(sender->NotifyValue()); };
    }
};

void openFixture(TMediaPlayer& player, Fixture kind)
{
    const QString path = fixture(kind);
    ASSERT_FALSE(path.isEmpty()) << "GStreamer could not make the fixture";
    player.SetFileName(path);
    player.OpenMedia();
    ASSERT_EQ(player.LastError(), 0u);
}

struct LengthCase {
    Fixture kind;
    const char* name;
    bool video;
};

class LengthOfEachFormat : public ::testing::TestWithParam<LengthCase> {};

TEST_P(LengthOfEachFormat, OpensWithTwoSecondsAndTheRightCapabilities)
{
    TMediaPlayer player;
    openFixture(player, GetParam().kind);
    EXPECT_TRUE(player.DeviceOpen());
    EXPECT_NE(player.DeviceID(), 0);
    EXPECT_NEAR(player.QueryLength(), 2000, 150);
    EXPECT_EQ(player.StepSize(), player.QueryLength() / 10);
    EXPECT_EQ(player.QueryMode(), pmStopped);
    EXPECT_EQ(player.QueryPosition(), 0);
    EXPECT_EQ(player.HasVideo(), GetParam().video);
    EXPECT_EQ(player.CanStep(), GetParam().video);
    TButtonSet expected = GetParam().video ? TButtonSet{btPlay, btNext, btPrev, btStep, btBack}
                                           : TButtonSet{btPlay, btNext, btPrev};
    EXPECT_EQ(player.AutoEnabledButtons(), expected);
    EXPECT_EQ(!player.NaturalSize().isEmpty(), GetParam().video);
    // Positions count from the first frame, whatever clock the stream keeps.
    player.SeekTo(1000);
    EXPECT_EQ(player.LastError(), 0u);
    EXPECT_NEAR(player.QueryPosition(), 1000, 60);
}

INSTANTIATE_TEST_SUITE_P(Formats, LengthOfEachFormat,
                         ::testing::Values(LengthCase{Fixture::Wav, "wav", false},
                                           LengthCase{Fixture::Ogg, "ogg", false},
                                           LengthCase{Fixture::Mp3, "mp3", false},
                                           LengthCase{Fixture::VbrMp3, "vbr_mp3", false},
                                           LengthCase{Fixture::Ac3, "ac3", false},
                                           LengthCase{Fixture::Midi, "mid", false},
                                           LengthCase{Fixture::Rmi, "rmi", false},
                                           LengthCase{Fixture::MjpegAvi, "mjpeg_avi", true},
                                           LengthCase{Fixture::Mpeg4Avi, "mpeg4_avi", true},
                                           LengthCase{Fixture::Mpeg1, "mpeg1", true},
                                           LengthCase{Fixture::Wmv, "wmv", true}),
                         [](const auto& info) { return std::string(info.param.name); });

class PlayToTheEnd : public ::testing::TestWithParam<Fixture> {};

// The windows loop by asking whether the position equals the length and then
// calling StartPlay, which must rewind; the MP3 file's length, counted from
// its frame headers, must be where playing it ends.
TEST_P(PlayToTheEnd, CompletesInRealTimeAndLoopsFromTheStart)
{
    TMediaPlayer player;
    Notices notices(player);
    openFixture(player, GetParam());
    QElapsedTimer clock;
    clock.start();
    player.StartPlay();
    EXPECT_EQ(player.QueryMode(), pmPlaying);
    ASSERT_TRUE(waitFor([&] { return !notices.values.isEmpty(); }, 6000));
    EXPECT_GE(clock.elapsed(), 1800) << "played faster than real time";
    EXPECT_EQ(notices.values, QList<TMPNotifyValues>{nvSuccessful});
    EXPECT_EQ(player.QueryMode(), pmStopped);
    EXPECT_EQ(player.QueryPosition(), player.QueryLength());
    // Two seconds of sound, and for MP3 the encoder's delay and last frames.
    EXPECT_NEAR(player.QueryLength(), 2000, 100);

    player.StartPlay();
    EXPECT_EQ(player.QueryMode(), pmPlaying);
    EXPECT_LT(player.QueryPosition(), 500);
    ASSERT_TRUE(waitFor([&] { return player.QueryPosition() > 300; }, 3000));
    player.StopPlay();
}

INSTANTIATE_TEST_SUITE_P(Files, PlayToTheEnd, ::testing::Values(Fixture::Wav, Fixture::Mp3, Fixture::VbrMp3));

// The engine's parts are loaded on a worker thread while players open and
// play files of every kind on the user-interface thread.
TEST(MediaPlayerPlayback, LoadingTheEngineBesidePlayersChangesNothing)
{
    std::atomic_bool stop{false};
    auto preload = std::async(std::launch::async, preloadMediaBackend, std::cref(stop));
    for (Fixture kind : {Fixture::Mp3, Fixture::Wav, Fixture::Mpeg4Avi, Fixture::Wmv, Fixture::Mpeg1}) {
        TMediaPlayer player;
        openFixture(player, kind);
        player.StartPlay();
        EXPECT_TRUE(waitFor([&] { return player.QueryPosition() >= 100; }, 3000)) << int(kind);
    }
    preload.get();
    preloadMediaBackend(stop);  // again, once all is loaded
    stop = true;
    preloadMediaBackend(stop);  // stopped: loads nothing
}

TEST(MediaPlayerPlayback, PauseResumeStopAndSeek)
{
    TMediaPlayer player;
    Notices notices(player);
    openFixture(player, Fixture::Wav);

    player.TogglePause();  // stopped: nothing happens
    EXPECT_EQ(player.QueryMode(), pmStopped);

    player.StartPlay();
    ASSERT_TRUE(waitFor([&] { return player.QueryPosition() >= 300; }, 3000));
    player.TogglePause();
    EXPECT_EQ(player.QueryMode(), pmPaused);
    const int paused = player.QueryPosition();
    waitFor([] { return false; }, 300);
    EXPECT_EQ(player.QueryPosition(), paused);

    player.TogglePause();
    EXPECT_EQ(player.QueryMode(), pmPlaying);
    ASSERT_TRUE(waitFor([&] { return player.QueryPosition() > paused + 100; }, 3000));

    player.StopPlay();
    EXPECT_EQ(player.QueryMode(), pmStopped);
    ASSERT_TRUE(waitFor([&] { return notices.values.size() == 2; }, 2000));
    // Resuming asked for a notice of its own, superseding the play's.
    EXPECT_EQ(notices.values, (QList<TMPNotifyValues>{nvSuperseded, nvAborted}));

    player.SeekTo(1200);
    EXPECT_EQ(player.LastError(), 0u);
    EXPECT_EQ(player.QueryMode(), pmStopped);
    EXPECT_NEAR(player.QueryPosition(), 1200, 30);
    player.StartPlay();
    ASSERT_TRUE(waitFor([&] { return player.QueryMode() == pmStopped; }, 3000));
    EXPECT_EQ(player.QueryPosition(), player.QueryLength());
}

TEST(MediaPlayerPlayback, SkipNextAndPreviousLeaveTheDeviceStoppedAtTheEnds)
{
    TMediaPlayer player;
    openFixture(player, Fixture::Ogg);
    player.StartPlay();
    ASSERT_TRUE(waitFor([&] { return player.QueryPosition() >= 200; }, 3000));
    player.SkipNext();
    EXPECT_EQ(player.LastError(), 0u);
    EXPECT_EQ(player.QueryMode(), pmStopped);
    EXPECT_EQ(player.QueryPosition(), player.QueryLength());
    player.SkipPrevious();
    EXPECT_EQ(player.QueryMode(), pmStopped);
    EXPECT_EQ(player.QueryPosition(), 0);
}

TEST(MediaPlayerPlayback, PlayingAgainSupersedesAndANewOpenAborts)
{
    TMediaPlayer player;
    Notices notices(player);
    openFixture(player, Fixture::Wav);
    player.StartPlay();
    player.StartPlay();
    ASSERT_TRUE(waitFor([&] { return notices.values.size() == 1; }, 2000));
    EXPECT_EQ(notices.values.first(), nvSuperseded);
    openFixture(player, Fixture::Ogg);
    ASSERT_TRUE(waitFor([&] { return notices.values.size() == 2; }, 2000));
    EXPECT_EQ(notices.values.last(), nvAborted);
    EXPECT_EQ(player.QueryMode(), pmStopped);
    EXPECT_EQ(player.QueryPosition(), 0);
}

TEST(MediaPlayerPlayback, StepMovesOnlyVideoByTheStepSize)
{
    TMediaPlayer player;
    openFixture(player, Fixture::Wav);
    player.StepForward();
    EXPECT_EQ(player.QueryPosition(), 0);

    openFixture(player, Fixture::VideoOnlyAvi);
    ASSERT_EQ(player.StepSize(), 200);
    player.StepForward();
    EXPECT_EQ(player.LastError(), 0u);
    EXPECT_EQ(player.QueryMode(), pmPaused);
    EXPECT_NEAR(player.QueryPosition(), 200, 40);
    player.StepForward();
    EXPECT_NEAR(player.QueryPosition(), 400, 40);
    player.StepBackward();
    EXPECT_NEAR(player.QueryPosition(), 200, 40);
    player.StepBackward();
    player.StepBackward();
    EXPECT_EQ(player.QueryPosition(), 0);
}

}  // namespace
