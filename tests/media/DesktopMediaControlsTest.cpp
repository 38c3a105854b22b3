// The desktop's media controls drive the real music window: status and
// track follow what plays, PlayPause pauses and resumes, Seek moves the
// read-out, the file's tags and cover reach the desktop, Next and Previous
// step through the playlist.
#include "app/NowPlaying.h"
#include "app/Playlist.h"
#include "media/TForm2.h"
#include "platform/MprisService.h"

#include <QBuffer>
#include <QDBusObjectPath>
#include <QFile>
#include <QImage>
#include <QRegularExpression>
#include <QUrl>

#include "MediaFixtures.h"
#include "SessionBusTest.h"

#include <gtest/gtest.h>

namespace {

QString call(const QString& method, const QStringList& args = {})
{
    return runCommand(QStringLiteral("gdbus"),
                      QStringList{"call", "--session", "--dest", "org.mpris.MediaPlayer2.kaleidor", "--object-path",
                                  "/org/mpris/MediaPlayer2", "--method", method} + args);
}

QString property(const QString& name)
{
    return call("org.freedesktop.DBus.Properties.Get", {"org.mpris.MediaPlayer2.Player", name});
}

QString status()
{
    return property("PlaybackStatus");
}

// Opens and plays file in the music window, as the launcher does.
void playIn(TForm2& music, const QString& file)
{
    music.MediaPlayer1->SetFileName(file);
    music.MediaPlayer1->OpenMedia();
    music.P1->setMax(music.MediaPlayer1->QueryLength());
    music.show();
    music.MediaPlayer1->StartPlay();
}

QByteArray syncSafe(quint32 n)
{
    const char bytes[] = {char((n >> 21) & 0x7f), char((n >> 14) & 0x7f), char((n >> 7) & 0x7f), char(n & 0x7f)};
    return QByteArray(bytes, 4);
}

QByteArray id3Frame(const char* id, const QByteArray& body)
{
    return QByteArray(id) + syncSafe(quint32(body.size())) + QByteArray(2, '\0') + body;
}

// A version 2.4 tag of UTF-8 texts and a front cover in PNG.
QByteArray id3Tag(const QString& title, const QString& artist, const QString& album, const QByteArray& png)
{
    const auto text = [](const QString& s) { return QByteArray(1, '\x03') + s.toUtf8(); };
    const QByteArray frames = id3Frame("TIT2", text(title)) + id3Frame("TPE1", text(artist)) +
                              id3Frame("TALB", text(album)) +
                              id3Frame("APIC", QByteArray("\x03image/png", 10) + '\0' + '\x03' + '\0' + png);
    return QByteArray("ID3\x04\x00\x00", 6) + syncSafe(quint32(frames.size())) + frames;
}

QByteArray pngBytes()
{
    QImage image(8, 8, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "png");
    return bytes;
}

class DesktopMediaControls : public SessionBusTest {};

}  // namespace

TEST_F(DesktopMediaControls, DriveTheMusicWindow)
{
    const QString path = fixture(Fixture::Wav);
    ASSERT_FALSE(path.isEmpty());

    TForm2 music(makeMediaBackend);
    int raised = 0;
    NowPlaying now(&music, nullptr, nullptr, {.raise = [&] { ++raised; }});
    MprisService service(now);
    ASSERT_TRUE(service.publish());
    EXPECT_EQ(status(), "(<'Stopped'>,)");  // nothing open yet

    playIn(music, path);
    EXPECT_EQ(status(), "(<'Playing'>,)");
    const QString metadata = property("Metadata");
    // A file without tags is named by its file name.
    EXPECT_TRUE(metadata.contains("'xesam:title': <'" + path.section(u'/', -1) + "'>")) << metadata.toStdString();
    EXPECT_TRUE(metadata.contains("'mpris:length': <int64 2000000>")) << metadata.toStdString();

    EXPECT_EQ(call("org.mpris.MediaPlayer2.Player.PlayPause"), "()");
    EXPECT_EQ(music.MediaPlayer1->QueryMode(), pmPaused);
    EXPECT_EQ(status(), "(<'Paused'>,)");
    EXPECT_EQ(call("org.mpris.MediaPlayer2.Player.PlayPause"), "()");
    EXPECT_EQ(music.MediaPlayer1->QueryMode(), pmPlaying);

    EXPECT_EQ(call("org.mpris.MediaPlayer2.Player.Stop"), "()");
    EXPECT_EQ(call("org.mpris.MediaPlayer2.Player.SetPosition",
                   {service.metadata().value("mpris:trackid").value<QDBusObjectPath>().path(), "0"}),
              "()");
    EXPECT_EQ(call("org.mpris.MediaPlayer2.Player.Seek", {"1500000"}), "()");
    EXPECT_NEAR(music.MediaPlayer1->QueryPosition(), 1500, 100);
    EXPECT_EQ(music.Lp->caption(), QStringLiteral("2 / 2"));  // 1.5 s rounds to the even 2

    // The loudness is the player's own, and stays for the next file.
    EXPECT_EQ(call("org.freedesktop.DBus.Properties.Set", {"org.mpris.MediaPlayer2.Player", "Volume", "<0.25>"}), "()");
    EXPECT_DOUBLE_EQ(music.MediaPlayer1->Volume(), 0.25);
    playIn(music, path);
    EXPECT_EQ(property("Volume"), "(<0.25>,)");

    EXPECT_EQ(call("org.mpris.MediaPlayer2.Raise"), "()");
    EXPECT_EQ(raised, 1);

    music.hide();  // a hidden window plays nothing the desktop should show
    EXPECT_EQ(status(), "(<'Stopped'>,)");
}

TEST_F(DesktopMediaControls, TagsAndCoverOfTheFileReachTheDesktop)
{
    QFile plain(fixture(Fixture::Mp3));
    ASSERT_TRUE(plain.open(QIODevice::ReadOnly));
    const QByteArray png = pngBytes();
    const QString path = scratchPath(QStringLiteral("tagged.mp3"));
    QFile tagged(path);
    ASSERT_TRUE(tagged.open(QIODevice::WriteOnly));
    tagged.write(id3Tag(QStringLiteral("Вальс"), QStringLiteral("Оркестр"), QStringLiteral("Танцы"), png) +
                 plain.readAll());
    tagged.close();

    TForm2 music(makeMediaBackend);
    NowPlaying now(&music, nullptr, nullptr, {});
    MprisService service(now);
    ASSERT_TRUE(service.publish());
    playIn(music, path);

    const QString metadata = property("Metadata");
    EXPECT_TRUE(metadata.contains(QStringLiteral("'xesam:title': <'Вальс'>"))) << metadata.toStdString();
    EXPECT_TRUE(metadata.contains(QStringLiteral("'xesam:artist': <['Оркестр']>"))) << metadata.toStdString();
    EXPECT_TRUE(metadata.contains(QStringLiteral("'xesam:album': <'Танцы'>"))) << metadata.toStdString();
    const QRegularExpressionMatch art = QRegularExpression("'mpris:artUrl': <'([^']*)'>").match(metadata);
    ASSERT_TRUE(art.hasMatch()) << metadata.toStdString();
    QFile cover(QUrl(art.captured(1)).toLocalFile());
    ASSERT_TRUE(cover.open(QIODevice::ReadOnly));
    EXPECT_EQ(cover.readAll(), png);
}

TEST_F(DesktopMediaControls, NextAndPreviousStepThroughMusicAndVideoEntries)
{
    const QString wav = fixture(Fixture::Wav);
    const QString mp3 = fixture(Fixture::Mp3);
    ASSERT_FALSE(wav.isEmpty() || mp3.isEmpty());

    TForm2 music(makeMediaBackend);
    Playlist playlist;
    playlist.append(QStringList{wav, "/pictures/a.jpg", mp3, "/notes.txt"});
    int launches = 0;
    NowPlaying now(&music, nullptr, &playlist, {.runSelected = [&] {
                       ++launches;
                       playIn(music, playlist.at(playlist.selectedIndex()));
                   }});
    MprisService service(now);
    ASSERT_TRUE(service.publish());
    EXPECT_EQ(property("CanGoNext"), "(<true>,)");

    playlist.setSelectedIndex(0);
    playIn(music, wav);
    const auto title = [] {
        const QRegularExpressionMatch m = QRegularExpression("'xesam:title': <'([^']*)'>").match(property("Metadata"));
        return m.captured(1);
    };
    // Forward over the picture, and past the end back to the first entry;
    // backward past the start to the last music entry.
    struct Step {
        const char* method;
        int selected;
        QString playing;
    };
    for (const Step& step : {Step{"Next", 2, mp3}, Step{"Next", 0, wav}, Step{"Previous", 2, mp3}}) {
        EXPECT_EQ(call(QStringLiteral("org.mpris.MediaPlayer2.Player.") + step.method), "()") << step.method;
        EXPECT_EQ(playlist.selectedIndex(), step.selected) << step.method;
        EXPECT_EQ(music.MediaPlayer1->FileName(), step.playing) << step.method;
        EXPECT_EQ(status(), "(<'Playing'>,)") << step.method;
        EXPECT_EQ(title(), step.playing.section(u'/', -1)) << step.method;
    }
    EXPECT_EQ(launches, 3);

    // Nothing to go to: no step, and the desktop is told so.
    playlist.setEntries(QStringList{"/pictures/a.jpg", "/notes.txt"});
    EXPECT_EQ(property("CanGoNext"), "(<false>,)");
    EXPECT_EQ(property("CanGoPrevious"), "(<false>,)");
    EXPECT_EQ(call("org.mpris.MediaPlayer2.Player.Next"), "()");
    EXPECT_EQ(launches, 3);
}

TEST(PlayableNeighbour, WrapsOverOtherEntries)
{
    Playlist playlist;
    // 0 music, 1 picture, 2 video, 3 no kind, 4 picture
    playlist.append(QStringList{"/a.mp3", "/b.jpg", "/c.avi", "/d.txt", "/e.bmp"});
    struct Case {
        int from;
        int direction;
        int expected;
    };
    for (const Case& c : {Case{0, 1, 2}, Case{2, 1, 0}, Case{4, 1, 0}, Case{0, -1, 2}, Case{2, -1, 0},
                          Case{-1, 1, 0}, Case{-1, -1, 2}, Case{3, -1, 2}})
        EXPECT_EQ(playableNeighbour(playlist, c.from, c.direction), c.expected) << c.from << " " << c.direction;

    // The only playable entry is its own neighbour; a playlist without one has none.
    playlist.setEntries(QStringList{"/b.jpg", "/a.mp3"});
    EXPECT_EQ(playableNeighbour(playlist, 1, 1), 1);
    playlist.setEntries(QStringList{"/b.jpg", "/d.txt"});
    EXPECT_EQ(playableNeighbour(playlist, 0, 1), -1);
    EXPECT_EQ(playableNeighbour(Playlist(), -1, -1), -1);
}
