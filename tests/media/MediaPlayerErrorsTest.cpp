// What the control reports for files it cannot play and for calls without a device.
#include <glib.h>
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryFile>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

#include <functional>
#include <set>

#include "MediaFixtures.h"
#include "TestSupport.h"
#include "media/TMediaPlayer.h"
#include "platform/Errors.h"
#include "platform/MediaBackend.h"

namespace {

QString writeFile(const QString& name, const QByteArray& bytes)
{
    const QString path = scratchPath(name);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    return path;
}

QByteArray fixtureBytes(Fixture kind)
{
    QFile file(fixture(kind));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    return file.readAll();
}

// An AVI whose video is in a codec nobody knows.
QByteArray unknownCodecAvi()
{
    QByteArray bytes = fixtureBytes(Fixture::VideoOnlyAvi);
    bytes.replace("MJPG", "QZQZ");
    return bytes;
}

// What run writes on the process's standard error, GStreamer's threads included.
QByteArray standardErrorOf(const std::function<void()>& run)
{
    QTemporaryFile capture;
    EXPECT_TRUE(capture.open());
    std::fflush(stderr);
    const int saved = ::dup(2);
    ::dup2(capture.handle(), 2);
    run();
    std::fflush(stderr);
    ::dup2(saved, 2);
    ::close(saved);
    capture.seek(0);
    return capture.readAll();
}

// A name that exists but whose bytes cannot be read: a file without
// permissions, and for root, who reads every file, a folder.
QString unreadableFile()
{
    if (::geteuid() == 0) {
        const QString path = scratchPath(QStringLiteral("folder.wav"));
        QDir().mkpath(path);
        return path;
    }
    const QString path = writeFile(QStringLiteral("locked.wav"), fixtureBytes(Fixture::Wav));
    QFile::setPermissions(path, QFileDevice::Permissions());
    return path;
}

// Opens path, which must fail; the message it failed with.
QString failedOpen(TMediaPlayer& player, const QString& path)
{
    player.SetFileName(path);
    try {
        player.OpenMedia();
        ADD_FAILURE() << "opened";
    } catch (const EMCIDeviceError& e) {
        return e.message();
    }
    return {};
}

struct BadFile {
    const char* name;
    std::function<QString()> path;
    std::uint32_t code;
};

TEST(MediaPlayerErrors, EachKindOfBadFileHasItsOwnCodeAndGStreamersText)
{
    const QList<BadFile> cases = {
        {"missing", [] { return scratchPath(QStringLiteral("no-such-file.wav")); }, MediaResult::FileNotFound},
        {"text named .mp3", [] { return writeFile(QStringLiteral("text.mp3"), "just some words\n"); },
         MediaResult::NotMedia},
        {"empty", [] { return writeFile(QStringLiteral("empty.wav"), {}); }, MediaResult::EmptyFile},
        {"unknown codec", [] { return writeFile(QStringLiteral("odd.avi"), unknownCodecAvi()); },
         MediaResult::MissingDecoder},
        {"truncated avi", [] { return writeFile(QStringLiteral("cut.avi"), fixtureBytes(Fixture::MjpegAvi).left(300)); },
         0},
    };
    std::set<std::uint32_t> seen;
    for (const BadFile& bad : cases) {
        SCOPED_TRACE(bad.name);
        TMediaPlayer player;
        const QString message = failedOpen(player, bad.path());
        EXPECT_FALSE(player.DeviceOpen());
        EXPECT_EQ(player.DeviceID(), 0);
        if (bad.code != 0) {
            EXPECT_EQ(player.LastError(), bad.code);
        }
        EXPECT_NE(player.LastError(), 0u);
        EXPECT_FALSE(message.isEmpty());
        EXPECT_EQ(message, player.LastErrorText());
        EXPECT_NE(message, QStringLiteral("Unknown error code"));
        seen.insert(player.LastError());
    }
    EXPECT_EQ(seen.size(), cases.size()) << "two kinds of bad file share a code";

    TMediaPlayer player;
    player.SetFileName(unreadableFile());
    EXPECT_THROW(player.OpenMedia(), EMCIDeviceError);
    // Root reads every regular file; what it cannot open is a folder, which
    // fails like a missing file because it is not a regular one.
    EXPECT_EQ(player.LastError(), ::geteuid() == 0 ? MediaResult::FileNotFound : MediaResult::CannotRead);
}

// Opening a named pipe would wait for a writer for ever; anything that is not
// a regular file, followed through links, fails at once like a missing file.
TEST(MediaPlayerErrors, WhatIsNotARegularFileFailsLikeAMissingOne)
{
    TMediaPlayer missing;
    missing.SetFileName(scratchPath(QStringLiteral("never-there.wav")));
    EXPECT_THROW(missing.OpenMedia(), EMCIDeviceError);

    const QString pipe = scratchPath(QStringLiteral("pipe.wav"));
    ASSERT_EQ(::mkfifo(pipe.toLocal8Bit().constData(), 0600), 0);
    const QString link = scratchPath(QStringLiteral("link-to-pipe.mp3"));
    ASSERT_TRUE(QFile::link(pipe, link));
    const QString folder = scratchPath(QStringLiteral("folder.ogg"));
    ASSERT_TRUE(QDir().mkpath(folder));
    for (const QString& path : {pipe, link, folder, QStringLiteral("/dev/zero")}) {
        SCOPED_TRACE(path.toStdString());
        TMediaPlayer player;
        const QString message = failedOpen(player, path);
        EXPECT_FALSE(player.DeviceOpen());
        EXPECT_EQ(player.LastError(), MediaResult::FileNotFound);
        EXPECT_EQ(message, missing.LastErrorText());
    }
}

TEST(MediaPlayerErrors, FailedOpenClosesThePreviousFile)
{
    TMediaPlayer player;
    player.SetFileName(fixture(Fixture::Wav));
    player.OpenMedia();
    ASSERT_TRUE(player.DeviceOpen());
    player.SetFileName(scratchPath(QStringLiteral("gone.wav")));
    EXPECT_THROW(player.OpenMedia(), EMCIDeviceError);
    EXPECT_FALSE(player.DeviceOpen());
    EXPECT_EQ(player.AutoEnabledButtons(), TButtonSet{});
}

TEST(MediaPlayerErrors, EveryOperationThatNeedsADeviceRaisesAndLeavesLastErrorAlone)
{
    TMediaPlayer player;
    player.SetFileName(scratchPath(QStringLiteral("absent.ogg")));
    EXPECT_THROW(player.OpenMedia(), EMCIDeviceError);
    const std::uint32_t before = player.LastError();
    ASSERT_EQ(before, MediaResult::FileNotFound);

    const QList<std::pair<const char*, std::function<void()>>> operations = {
        {"StartPlay", [&] { player.StartPlay(); }},
        {"StopPlay", [&] { player.StopPlay(); }},
        {"TogglePause", [&] { player.TogglePause(); }},
        {"SkipNext", [&] { player.SkipNext(); }},
        {"SkipPrevious", [&] { player.SkipPrevious(); }},
        {"StepForward", [&] { player.StepForward(); }},
        {"StepBackward", [&] { player.StepBackward(); }},
        {"StartRecord", [&] { player.StartRecord(); }},
        {"EjectMedia", [&] { player.EjectMedia(); }},
        {"SeekTo", [&] { player.SeekTo(10); }},
        {"RewindToStart", [&] { player.RewindToStart(); }},
        {"QueryLength", [&] { player.QueryLength(); }},
        {"QueryTimeFormat", [&] { player.QueryTimeFormat(); }},
        {"QueryTrackCount", [&] { player.QueryTrackCount(); }},
    };
    for (const auto& [name, call] : operations) {
        SCOPED_TRACE(name);
        try {
            call();
            ADD_FAILURE() << "did not raise";
        } catch (const EMCIDeviceError& e) {
            EXPECT_EQ(e.message(), QStringLiteral("No MCI device open"));
        }
        EXPECT_EQ(player.LastError(), before);
    }

    player.CloseMedia();
    EXPECT_EQ(player.LastError(), before);
    TRect rect{1, 2, 3, 4};
    player.GetVideoRect(rect);
    player.SetVideoRect(TRect{});
    EXPECT_EQ(rect, (TRect{1, 2, 3, 4}));
    EXPECT_EQ(player.LastError(), before);

    // The two queries that need no device report the failure in LastError.
    EXPECT_EQ(player.QueryPosition(), 0);
    EXPECT_EQ(player.LastError(), MediaResult::NoDevice);
    EXPECT_EQ(player.QueryMode(), pmNotReady);
    EXPECT_EQ(player.LastError(), MediaResult::NoDevice);
}

// An AVI cut inside its first chunk declares streams that hold no chunk at
// all; the AVI reader asserts on such a stream as it reaches the end.
TEST(MediaPlayerErrors, ADamagedAviPlaysWithoutGStreamerAssertionsOnTheTerminal)
{
    const QByteArray avi = fixtureBytes(Fixture::MjpegAvi);
    const qsizetype movi = avi.indexOf("movi");
    ASSERT_GT(movi, 0);
    const QString cut = writeFile(QStringLiteral("first-chunk-cut.avi"), avi.left(movi + 4 + 8 + 64));
    const QByteArray printed = standardErrorOf([&] {
        TMediaPlayer player;
        player.SetFileName(cut);
        try {
            player.OpenMedia();
            player.StartPlay();
            waitFor([&] { return player.QueryMode() != pmPlaying; }, 3000);
        } catch (const EMCIDeviceError&) {
            // Failing to open is fine; printing assertions is not.
        }
    });
    EXPECT_FALSE(printed.contains("CRITICAL")) << printed.constData();
    EXPECT_FALSE(printed.contains("WARNING")) << printed.constData();

    // Other messages of the same kind still reach the terminal.
    const QByteArray other =
        standardErrorOf([] { g_log("GStreamer-Base", G_LOG_LEVEL_CRITICAL, "gst_something: assertion 'x' failed"); });
    EXPECT_TRUE(other.contains("gst_something")) << other.constData();
}

TEST(MediaPlayerErrors, ACodeWithoutTextReadsUnknownErrorCode)
{
    EXPECT_TRUE(MediaBackend::errorText(9999).isEmpty());
    EXPECT_FALSE(MediaBackend::errorText(MediaResult::DecodeFailed).isEmpty());
}

}  // namespace
