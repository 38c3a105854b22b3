// The desktop's media controls: what they read of the player and what
// their commands do, through a real (private) session bus and the command
// line client desktop panels' own library ships.
#include "platform/MprisService.h"

#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QProcess>

#include "TestSupport.h"

#include <gtest/gtest.h>

namespace {

class FakePlayer : public MprisPlayer {
public:
    Status status_ = Status::Stopped;
    QString file_;
    qint64 length_ = 0, position_ = 0;
    QStringList calls;

    Status status() const override { return status_; }
    QString file() const override { return file_; }
    qint64 lengthMs() const override { return length_; }
    qint64 positionMs() const override { return position_; }
    bool canSeek() const override { return true; }
    void play() override { calls << "play"; status_ = Status::Playing; }
    void pause() override { calls << "pause"; status_ = Status::Paused; }
    void playPause() override { calls << "playPause"; status_ = status_ == Status::Playing ? Status::Paused : Status::Playing; }
    void stop() override { calls << "stop"; status_ = Status::Stopped; }
    void setPositionMs(qint64 p) override { calls << QStringLiteral("seek %1").arg(p); position_ = p; }
    void next() override { calls << "next"; }
    void previous() override { calls << "previous"; }
    void raise() override { calls << "raise"; }
    void quit() override { calls << "quit"; }
};

const QString kDest = QStringLiteral("org.mpris.MediaPlayer2.kaleidor");
const QString kPath = QStringLiteral("/org/mpris/MediaPlayer2");

QString gdbusCall(const QString& method, const QStringList& args = {})
{
    return runCommand(QStringLiteral("gdbus"), QStringList{"call", "--session", "--dest", kDest, "--object-path", kPath,
                                                           "--method", method} + args);
}

QString property(const QString& interface, const QString& name)
{
    return gdbusCall(QStringLiteral("org.freedesktop.DBus.Properties.Get"), {interface, name});
}

class MprisServiceTest : public ::testing::Test {
protected:
    // The process keeps its first session-bus connection: one bus for all.
    static void SetUpTestSuite() { bus = new PrivateSessionBus; }
    static void TearDownTestSuite()
    {
        delete bus;
        bus = nullptr;
    }

    void SetUp() override
    {
        if (!bus->isRunning())
            GTEST_SKIP() << "dbus-daemon is not installed";
        ASSERT_TRUE(service.publish());
    }

    static PrivateSessionBus* bus;
    FakePlayer player;
    MprisService service{player};
};

PrivateSessionBus* MprisServiceTest::bus = nullptr;

}  // namespace

TEST_F(MprisServiceTest, ReadsStatusAndTrackOfThePlayer)
{
    EXPECT_EQ(property("org.mpris.MediaPlayer2.Player", "PlaybackStatus"), "(<'Stopped'>,)");
    EXPECT_EQ(property("org.mpris.MediaPlayer2", "Identity"), QStringLiteral("(<'Калейдор'>,)"));

    player.file_ = QStringLiteral("/music/a song & more.mp3");
    player.length_ = 40100;
    player.position_ = 1500;
    player.status_ = MprisPlayer::Status::Playing;
    EXPECT_EQ(property("org.mpris.MediaPlayer2.Player", "PlaybackStatus"), "(<'Playing'>,)");
    const QString metadata = property("org.mpris.MediaPlayer2.Player", "Metadata");
    EXPECT_TRUE(metadata.contains("'xesam:title': <'a song & more.mp3'>")) << metadata.toStdString();
    EXPECT_TRUE(metadata.contains("'mpris:length': <int64 40100000>")) << metadata.toStdString();
    EXPECT_TRUE(metadata.contains("'xesam:url': <'file:///music/a%20song%20&%20more.mp3'>")) << metadata.toStdString();
    EXPECT_EQ(property("org.mpris.MediaPlayer2.Player", "Position"), "(<int64 1500000>,)");
}

TEST_F(MprisServiceTest, CommandsReachThePlayer)
{
    player.file_ = QStringLiteral("/a.mp3");
    player.length_ = 10000;
    player.position_ = 4000;
    for (const char* method : {"PlayPause", "Pause", "Play", "Stop", "Next", "Previous"})
        EXPECT_EQ(gdbusCall(QStringLiteral("org.mpris.MediaPlayer2.Player.") + method), "()") << method;
    EXPECT_EQ(gdbusCall("org.mpris.MediaPlayer2.Player.Seek", {"2500000"}), "()");   // +2.5 s
    EXPECT_EQ(gdbusCall("org.mpris.MediaPlayer2.Player.Seek", {"int64 -99000000"}), "()");  // clamped to the start
    EXPECT_EQ(gdbusCall("org.mpris.MediaPlayer2.Raise"), "()");
    EXPECT_EQ(gdbusCall("org.mpris.MediaPlayer2.Quit"), "()");
    EXPECT_EQ(player.calls, (QStringList{"playPause", "pause", "play", "stop", "next", "previous", "seek 6500", "seek 0",
                                         "raise", "quit"}));
}

TEST_F(MprisServiceTest, SetPositionTakesOnlyTheCurrentTrackAndItsRange)
{
    player.file_ = QStringLiteral("/a.mp3");
    player.length_ = 10000;
    const QString track = service.metadata().value("mpris:trackid").value<QDBusObjectPath>().path();
    for (const QStringList& args : {QStringList{track, "3000000"}, QStringList{"/org/other/track", "1000000"},
                                    QStringList{track, "11000000"}})
        EXPECT_EQ(gdbusCall("org.mpris.MediaPlayer2.Player.SetPosition", args), "()");
    EXPECT_EQ(player.calls, QStringList{"seek 3000"});
}

TEST_F(MprisServiceTest, AnnouncesChangesOnce)
{
    QProcess monitor;
    monitor.start(QStringLiteral("gdbus"), {"monitor", "--session", "--dest", kDest});
    QString seen;
    auto read = [&] { seen += QString::fromUtf8(monitor.readAllStandardOutput()); };
    // The monitor is listening once it names the owner of the service.
    ASSERT_TRUE(waitFor([&] { read(); return seen.contains("is owned by"); }, 10000)) << seen.toStdString();

    player.file_ = QStringLiteral("/a.mp3");
    player.length_ = 2000;
    player.status_ = MprisPlayer::Status::Playing;
    service.refresh();
    service.refresh();  // nothing changed since: no second notice
    player.status_ = MprisPlayer::Status::Paused;
    service.refresh();
    ASSERT_TRUE(waitFor([&] { read(); return seen.count("PropertiesChanged") >= 2; }, 10000)) << seen.toStdString();
    waitFor([] { return false; }, 300);
    read();
    monitor.kill();
    monitor.waitForFinished(2000);
    EXPECT_EQ(seen.count("PropertiesChanged"), 2) << seen.toStdString();
    EXPECT_TRUE(seen.contains("'PlaybackStatus': <'Playing'>")) << seen.toStdString();
    EXPECT_TRUE(seen.contains("'xesam:title': <'a.mp3'>")) << seen.toStdString();
    EXPECT_TRUE(seen.contains("{'PlaybackStatus': <'Paused'>}")) << seen.toStdString();
}
