// The desktop's media controls: what they read of the player and what
// their commands do, through a real (private) session bus and the command
// line client desktop panels' own library ships.
#include "platform/MprisService.h"

#include <QBuffer>
#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QDBusPendingCall>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTimer>
#include <QUrl>

#include "SessionBusTest.h"

#include <gtest/gtest.h>

namespace {

class FakePlayer : public MprisPlayer {
public:
    Status status_ = Status::Stopped;
    QString file_;
    MediaTags tags_;
    qint64 length_ = 0, position_ = 0;
    double volume_ = 1.0;
    bool canStep_ = false;
    QStringList calls;

    Status status() const override { return status_; }
    QString file() const override { return file_; }
    MediaTags tags() const override { return tags_; }
    qint64 lengthMs() const override { return length_; }
    qint64 positionMs() const override { return position_; }
    bool canSeek() const override { return true; }
    double volume() const override { return volume_; }
    bool canGoNext() const override { return canStep_; }
    bool canGoPrevious() const override { return canStep_; }
    void play() override { calls << "play"; status_ = Status::Playing; }
    void pause() override { calls << "pause"; status_ = Status::Paused; }
    void playPause() override { calls << "playPause"; status_ = status_ == Status::Playing ? Status::Paused : Status::Playing; }
    void stop() override { calls << "stop"; status_ = Status::Stopped; }
    void setPositionMs(qint64 p) override { calls << QStringLiteral("seek %1").arg(p); position_ = p; }
    void setVolume(double v) override { calls << QStringLiteral("volume %1").arg(v); volume_ = v; }
    void next() override { calls << "next"; }
    void previous() override { calls << "previous"; }
    bool openUri(const QString& uri) override
    {
        calls << "open " + uri;
        return uri.startsWith("file://");
    }
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

class MprisServiceTest : public SessionBusTest {
protected:
    void SetUp() override
    {
        SessionBusTest::SetUp();
        if (!IsSkipped())
            ASSERT_TRUE(service.publish());
    }

    FakePlayer player;
    MprisService service{player};
};

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

    EXPECT_EQ(property("org.mpris.MediaPlayer2.Player", "CanGoNext"), "(<false>,)");
    player.canStep_ = true;
    EXPECT_EQ(property("org.mpris.MediaPlayer2.Player", "CanGoNext"), "(<true>,)");
    EXPECT_EQ(property("org.mpris.MediaPlayer2.Player", "CanGoPrevious"), "(<true>,)");
}

namespace {

QByteArray pngBytes(QColor colour)
{
    QImage image(4, 4, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "png");
    return bytes;
}

QString artPath(const QString& metadata)
{
    const QRegularExpressionMatch m = QRegularExpression("'mpris:artUrl': <'([^']*)'>").match(metadata);
    return m.hasMatch() ? QUrl(m.captured(1)).toLocalFile() : QString();
}

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

TEST_F(MprisServiceTest, MetadataCarriesTheTagsAndTheCover)
{
    const auto metadata = [] { return property("org.mpris.MediaPlayer2.Player", "Metadata"); };
    player.file_ = QStringLiteral("/music/track01.mp3");
    QString seen = metadata();
    EXPECT_TRUE(seen.contains("'xesam:title': <'track01.mp3'>")) << seen.toStdString();
    EXPECT_FALSE(seen.contains("xesam:artist") || seen.contains("xesam:album") || seen.contains("mpris:artUrl"))
        << seen.toStdString();

    player.tags_.title = QStringLiteral("Песня");
    player.tags_.artists = QStringList{"Один", "Two"};
    player.tags_.album = QStringLiteral("Альбом");
    player.tags_.cover = pngBytes(Qt::red);
    player.tags_.coverSuffix = QStringLiteral("png");
    seen = metadata();
    EXPECT_TRUE(seen.contains(QStringLiteral("'xesam:title': <'Песня'>"))) << seen.toStdString();
    EXPECT_TRUE(seen.contains(QStringLiteral("'xesam:artist': <['Один', 'Two']>"))) << seen.toStdString();
    EXPECT_TRUE(seen.contains(QStringLiteral("'xesam:album': <'Альбом'>"))) << seen.toStdString();
    const QString first = artPath(seen);
    const QString covers = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) + "/kaleidor/covers/";
    EXPECT_TRUE(first.startsWith(covers)) << seen.toStdString();
    EXPECT_EQ(contents(first), player.tags_.cover);

    // The next file's cover replaces the last one's file; with nothing
    // playing no cover file is left.
    player.tags_.cover = pngBytes(Qt::blue);
    const QString second = artPath(metadata());
    EXPECT_NE(second, first);
    EXPECT_EQ(contents(second), player.tags_.cover);
    EXPECT_FALSE(QFile::exists(first));
    player.file_.clear();
    EXPECT_FALSE(metadata().contains("mpris:artUrl"));
    EXPECT_FALSE(QFile::exists(second));
}

TEST_F(MprisServiceTest, VolumeIsClampedToItsRangeAndIgnoresNoNumber)
{
    struct Case {
        const char* value;
        const char* after;
    };
    for (const Case& c : {Case{"<0.25>", "(<0.25>,)"}, Case{"<1.5>", "(<1.0>,)"}, Case{"<0.0>", "(<0.0>,)"},
                          Case{"<0.5>", "(<0.5>,)"}, Case{"<-0.25>", "(<0.5>,)"}, Case{"<nan>", "(<0.5>,)"}}) {
        EXPECT_EQ(gdbusCall("org.freedesktop.DBus.Properties.Set", {"org.mpris.MediaPlayer2.Player", "Volume", c.value}),
                  "()")
            << c.value;
        EXPECT_EQ(property("org.mpris.MediaPlayer2.Player", "Volume"), c.after) << c.value;
    }
    // The refused ones never reach the player.
    EXPECT_EQ(player.calls, (QStringList{"volume 0.25", "volume 1", "volume 0", "volume 0.5"}));
}

TEST_F(MprisServiceTest, OpenUriHandsOnFileUrisOnly)
{
    EXPECT_EQ(gdbusCall("org.mpris.MediaPlayer2.Player.OpenUri", {"file:///music/a.mp3"}), "()");
    const QString web = gdbusCall("org.mpris.MediaPlayer2.Player.OpenUri", {"http://example.org/a.mp3"});
    EXPECT_TRUE(web.contains("NotSupported")) << web.toStdString();
    // Too long to be a file's URI: refused before the player sees it.
    const QString tooLong = "file:///" + QString(MprisService::kMaxArgumentChars, u'a');
    const QString refused = gdbusCall("org.mpris.MediaPlayer2.Player.OpenUri", {tooLong});
    EXPECT_TRUE(refused.contains("InvalidArgs")) << refused.left(200).toStdString();
    EXPECT_EQ(player.calls, (QStringList{"open file:///music/a.mp3", "open http://example.org/a.mp3"}));
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
    player.volume_ = 0.5;  // set inside the program: announced at the next refresh
    service.refresh();
    ASSERT_TRUE(waitFor([&] { read(); return seen.count("PropertiesChanged") >= 3; }, 10000)) << seen.toStdString();
    waitFor([] { return false; }, 300);
    read();
    monitor.kill();
    monitor.waitForFinished(2000);
    EXPECT_EQ(seen.count("PropertiesChanged"), 3) << seen.toStdString();
    EXPECT_TRUE(seen.contains("'PlaybackStatus': <'Playing'>")) << seen.toStdString();
    EXPECT_TRUE(seen.contains("'xesam:title': <'a.mp3'>")) << seen.toStdString();
    EXPECT_TRUE(seen.contains("{'PlaybackStatus': <'Paused'>}")) << seen.toStdString();
    EXPECT_TRUE(seen.contains("{'Volume': <0.5>}")) << seen.toStdString();
}

TEST_F(MprisServiceTest, AHugeArgumentIsRefusedWithoutStallingTheWindows)
{
    // From a client of its own, as another program would send it.
    QDBusConnection client = QDBusConnection::connectToBus(bus->address(), QStringLiteral("hostile client"));
    ASSERT_TRUE(client.isConnected());
    QDBusMessage message =
        QDBusMessage::createMethodCall(kDest, kPath, "org.mpris.MediaPlayer2.Player", QStringLiteral("OpenUri"));
    message << QString("file:///" + QString(16 * 1024 * 1024, u'a'));
    const QDBusPendingCall pending = client.asyncCall(message, 60000);
    message = QDBusMessage();

    // The longest time the event loop went without a turn until the answer.
    QElapsedTimer clock;
    clock.start();
    qint64 last = 0, longest = 0;
    QTimer beat;
    QObject::connect(&beat, &QTimer::timeout, [&] {
        longest = std::max(longest, clock.elapsed() - last);
        last = clock.elapsed();
    });
    beat.start(10);
    ASSERT_TRUE(waitFor([&] { return pending.isFinished(); }, 60000));
    longest = std::max(longest, clock.elapsed() - last);
    QDBusConnection::disconnectFromBus(QStringLiteral("hostile client"));

    EXPECT_TRUE(pending.isError());
    EXPECT_EQ(pending.error().type(), QDBusError::InvalidArgs) << pending.error().message().toStdString();
    EXPECT_TRUE(player.calls.isEmpty());
    EXPECT_LT(longest, 1000) << "the windows stood still for " << longest << " ms";
}
