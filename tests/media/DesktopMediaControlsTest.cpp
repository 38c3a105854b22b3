// The desktop's media controls drive the real music window: status and
// track follow what plays, PlayPause pauses and resumes, Seek moves the
// read-out.
#include "app/NowPlaying.h"
#include "media/TForm2.h"
#include "platform/MprisService.h"

#include <QDBusObjectPath>

#include "MediaFixtures.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

namespace {

QString call(const QString& method, const QStringList& args = {})
{
    return runCommand(QStringLiteral("gdbus"),
                      QStringList{"call", "--session", "--dest", "org.mpris.MediaPlayer2.kaleidor", "--object-path",
                                  "/org/mpris/MediaPlayer2", "--method", method} + args);
}

QString status()
{
    return call("org.freedesktop.DBus.Properties.Get", {"org.mpris.MediaPlayer2.Player", "PlaybackStatus"});
}

}  // namespace

TEST(DesktopMediaControls, DriveTheMusicWindow)
{
    PrivateSessionBus bus;
    if (!bus.isRunning())
        GTEST_SKIP() << "dbus-daemon is not installed";
    const QString path = fixture(Fixture::Wav);
    ASSERT_FALSE(path.isEmpty());

    TForm2 music(makeMediaBackend);
    int raised = 0;
    NowPlaying now(&music, nullptr, [&] { ++raised; }, {});
    MprisService service(now);
    ASSERT_TRUE(service.publish());
    EXPECT_EQ(status(), "(<'Stopped'>,)");  // nothing open yet

    music.MediaPlayer1->SetFileName(path);
    music.MediaPlayer1->OpenMedia();
    music.P1->setMax(music.MediaPlayer1->QueryLength());
    music.show();
    music.MediaPlayer1->StartPlay();
    EXPECT_EQ(status(), "(<'Playing'>,)");
    const QString metadata = call("org.freedesktop.DBus.Properties.Get", {"org.mpris.MediaPlayer2.Player", "Metadata"});
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

    EXPECT_EQ(call("org.mpris.MediaPlayer2.Raise"), "()");
    EXPECT_EQ(raised, 1);

    music.hide();  // a hidden window plays nothing the desktop should show
    EXPECT_EQ(status(), "(<'Stopped'>,)");
}
