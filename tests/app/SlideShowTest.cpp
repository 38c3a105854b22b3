// The slide show: its steps over the playlist, the timer's rhythm, stopping
// from the screen window, and the quiet handling of empty playlists and of
// ticks while a picture error is on screen.
#include "LauncherFixture.h"
#include "app/Playlist.h"
#include "app/SlideShow.h"
#include "app/TForm1.h"
#include "media/TForm2.h"
#include "media/TForm3.h"
#include "windowing/Timer.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QHash>
#include <QTimer>

#include <limits>

namespace {

struct SlideShowSteps : LauncherWindows {
    Playlist* list() const { return Form1->playlist(); }
    SlideShow* show() const { return Form1->slideShow(); }
    Timer* timer() const { return Form1->Timer1; }

    void expectShowing(const QString& caption, QSize outer)
    {
        EXPECT_TRUE(Form3->isVisible());
        EXPECT_EQ(QSize(Form3->outerWidth(), Form3->outerHeight()), outer);
        EXPECT_EQ(Form3->caption(), caption);
    }
};

}  // namespace

TEST_F(SlideShowSteps, FollowsThePlaylistOverNonPictureEntries)
{
    Shell.SlideDelay = 2;
    list()->setEntries({picture(QStringLiteral("a.jpg"), 200, 100, "JPEG"), path(QStringLiteral("b.mp3")),
                        picture(QStringLiteral("c.bmp"), 300, 150, "BMP")});
    list()->setSelectedIndex(0);
    show()->toggle();
    EXPECT_EQ(Form1->NZ20->text(), QStringLiteral("Остановить слайд-шоу"));
    EXPECT_EQ(timer()->interval(), 100);
    EXPECT_TRUE(timer()->isArmed());

    const QString image = QStringLiteral("Изображение");
    show()->step();  // b.mp3: nothing new, still 100 ms
    EXPECT_EQ(list()->selectedIndex(), 1);
    EXPECT_FALSE(Form3->isVisible());
    EXPECT_EQ(timer()->interval(), 100);

    show()->step();  // c.bmp, then the delay
    EXPECT_EQ(list()->selectedIndex(), 2);
    expectShowing(image, {300, 150});
    EXPECT_EQ(timer()->interval(), 2000);

    show()->step();  // a.jpg: the last entry wraps to the first
    EXPECT_EQ(list()->selectedIndex(), 0);
    expectShowing(image, {200, 100});

    show()->step();  // b.mp3: a.jpg stays, the music is not played
    EXPECT_EQ(list()->selectedIndex(), 1);
    expectShowing(image, {200, 100});
    EXPECT_FALSE(Form2->isVisible());
    EXPECT_EQ(timer()->interval(), 2000);
    EXPECT_TRUE(timer()->isArmed());
    EXPECT_EQ(boxes(), 0);
}

TEST_F(SlideShowSteps, RunsOnItsOwnTimerFromTheFirstHundredMilliseconds)
{
    Shell.SlideDelay = 1;
    list()->setEntries({picture(QStringLiteral("only.bmp"), 120, 90, "BMP")});
    QElapsedTimer clock;
    clock.start();
    show()->toggle();
    ASSERT_TRUE(waitFor([] { return Form3->isVisible(); }, 2000));
    EXPECT_LT(clock.elapsed(), 900);
    EXPECT_EQ(timer()->interval(), 1000);
    // A single picture is shown again at every step.
    Form3->hide();
    ASSERT_TRUE(waitFor([] { return Form3->isVisible(); }, 3000));
}

TEST_F(SlideShowSteps, ClosingTheScreenWindowStopsIt)
{
    Shell.SlideDelay = 2;
    list()->setEntries({picture(QStringLiteral("p.bmp"), 120, 90, "BMP")});
    show()->toggle();
    show()->step();
    ASSERT_TRUE(Form3->isVisible());
    Form3->close();
    EXPECT_FALSE(Shell.SlideShowActive);
    EXPECT_FALSE(timer()->enabled());
    EXPECT_EQ(Form1->NZ20->text(), QStringLiteral("Запустить слайд-шоу"));
    // Started again, it goes on after the selected entry.
    show()->toggle();
    EXPECT_TRUE(Shell.SlideShowActive);
}

TEST_F(SlideShowSteps, DelayOfZeroShowsOnePictureAndStandsStill)
{
    Shell.SlideDelay = 0;
    list()->setEntries({picture(QStringLiteral("p.bmp"), 120, 90, "BMP")});
    show()->toggle();
    show()->step();
    EXPECT_TRUE(Form3->isVisible());
    EXPECT_FALSE(timer()->isArmed());
    EXPECT_EQ(Form1->NZ20->text(), QStringLiteral("Остановить слайд-шоу"));
}

TEST(SlideShowDelay, SecondsBecomeMillisecondsWithoutOverflow)
{
    const struct {
        int seconds, ms;
    } cases[] = {{2, 2000}, {0, 0}, {-5, 0}, {2147483, 2147483000}, {2147484, 2147483647},
                 {std::numeric_limits<int>::max(), 2147483647}};
    for (const auto& c : cases)
        EXPECT_EQ(SlideShow::delayInterval(c.seconds), c.ms) << c.seconds;
}

TEST_F(SlideShowSteps, EmptyPlaylistStopsQuietly)
{
    show()->toggle();
    show()->step();
    EXPECT_FALSE(Shell.SlideShowActive);
    EXPECT_FALSE(timer()->enabled());
    EXPECT_EQ(Form1->NZ20->text(), QStringLiteral("Запустить слайд-шоу"));

    list()->setEntries({path(QStringLiteral("x.mp3"))});
    show()->toggle();
    show()->step();
    EXPECT_TRUE(Shell.SlideShowActive);
    list()->clear();  // emptied while running
    show()->step();
    EXPECT_FALSE(Shell.SlideShowActive);
    EXPECT_EQ(boxes(), 0);
}

TEST_F(SlideShowSteps, TicksWhileThePictureErrorIsOpenAreIgnored)
{
    watching.reset();
    list()->setEntries({path(QStringLiteral("missing.jpg"))});
    show()->toggle();

    // Closes every dialog 150 ms after it appeared and counts them; a second
    // dialog on top of the first would be counted too.
    QHash<QWidget*, qint64> openedAt;
    QElapsedTimer clock;
    clock.start();
    QTimer closer;
    closer.setInterval(10);
    QObject::connect(&closer, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal)
            return;
        if (!openedAt.contains(modal))
            openedAt.insert(modal, clock.elapsed());
        else if (clock.elapsed() - openedAt.value(modal) > 150)
            modal->close();
    });
    closer.start();
    QTimer::singleShot(50, [&] {
        for (int i = 0; i < 3; ++i)
            show()->step();
    });
    show()->step();
    EXPECT_EQ(openedAt.size(), 1);
    EXPECT_EQ(list()->selectedIndex(), 0);
    EXPECT_TRUE(Shell.SlideShowActive);  // a bad picture does not end the show
    show()->stop();
}
