// The slide show alone, over the media windows with a fake engine: its steps
// over the playlist, the timer's rhythm, stopping from the screen window, and
// the quiet handling of empty playlists and of ticks while a picture error is
// on screen.
#include "FakeMediaEngine.h"
#include "MediaWindowSet.h"
#include "TestSupport.h"
#include "app/SlideShow.h"
#include "windowing/Timer.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QImage>
#include <QSet>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

#include <limits>
#include <optional>

namespace {

struct SlideShowSteps : ::testing::Test {
    QTemporaryDir dir;
    std::optional<ModalWatcher> watching{std::in_place};
    FakeMedia played;
    MediaWindowSet windows{FakeMediaEngine::factory(played)};
    ShellState& state = windows.state;
    Timer slideTimer{nullptr, 100, false};
    QAction toggleItem{QStringLiteral("Запустить слайд-шоу")};
    SlideShow slides{state, windows.playlist, *windows.launcher, slideTimer, {&toggleItem}};

    // Wired as the application wires it.
    SlideShowSteps()
    {
        slideTimer.onTimer = [this] { slides.step(); };
        Form3->onClosed = [this] { slides.stop(); };
    }

    Playlist* list() { return &windows.playlist; }
    SlideShow* show() { return &slides; }
    Timer* timer() { return &slideTimer; }
    int boxes() const { return int(watching->seen().size()); }
    QString path(const QString& name) const { return dir.filePath(name); }
    QString picture(const QString& name, int width, int height, const char* format)
    {
        QImage image(width, height, QImage::Format_RGB32);
        image.fill(QColor(30, 120, 200));
        EXPECT_TRUE(image.save(path(name), format)) << name.toStdString();
        return path(name);
    }
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
    state.SlideDelay = 2;
    list()->setEntries({picture(QStringLiteral("a.jpg"), 200, 100, "JPEG"), path(QStringLiteral("b.mp3")),
                        picture(QStringLiteral("c.bmp"), 300, 150, "BMP")});
    list()->setSelectedIndex(0);
    show()->toggle();
    EXPECT_EQ(toggleItem.text(), QStringLiteral("Остановить слайд-шоу"));
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
    state.SlideDelay = 1;
    list()->setEntries({picture(QStringLiteral("only.bmp"), 120, 90, "BMP")});
    show()->toggle();
    EXPECT_EQ(timer()->interval(), SlideShow::kFirstStepMs);
    EXPECT_TRUE(timer()->isArmed());
    ASSERT_TRUE(waitFor([] { return Form3->isVisible(); }, 30000));
    EXPECT_EQ(timer()->interval(), 1000);
    // A single picture is shown again at every step.
    Form3->hide();
    ASSERT_TRUE(waitFor([] { return Form3->isVisible(); }, 30000));
    EXPECT_TRUE(state.SlideShowActive);
}

TEST_F(SlideShowSteps, ClosingTheScreenWindowStopsIt)
{
    state.SlideDelay = 2;
    list()->setEntries({picture(QStringLiteral("p.bmp"), 120, 90, "BMP")});
    show()->toggle();
    show()->step();
    ASSERT_TRUE(Form3->isVisible());
    Form3->close();
    EXPECT_FALSE(state.SlideShowActive);
    EXPECT_FALSE(timer()->enabled());
    EXPECT_EQ(toggleItem.text(), QStringLiteral("Запустить слайд-шоу"));
    // Started again, it goes on after the selected entry.
    show()->toggle();
    EXPECT_TRUE(state.SlideShowActive);
}

TEST_F(SlideShowSteps, DelayOfZeroShowsOnePictureAndStandsStill)
{
    state.SlideDelay = 0;
    list()->setEntries({picture(QStringLiteral("p.bmp"), 120, 90, "BMP")});
    show()->toggle();
    show()->step();
    EXPECT_TRUE(Form3->isVisible());
    EXPECT_FALSE(timer()->isArmed());
    EXPECT_EQ(toggleItem.text(), QStringLiteral("Остановить слайд-шоу"));
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
    EXPECT_FALSE(state.SlideShowActive);
    EXPECT_FALSE(timer()->enabled());
    EXPECT_EQ(toggleItem.text(), QStringLiteral("Запустить слайд-шоу"));

    list()->setEntries({path(QStringLiteral("x.mp3"))});
    show()->toggle();
    show()->step();
    EXPECT_TRUE(state.SlideShowActive);
    list()->clear();  // emptied while running
    show()->step();
    EXPECT_FALSE(state.SlideShowActive);
    EXPECT_EQ(boxes(), 0);
}

TEST_F(SlideShowSteps, TicksWhileThePictureErrorIsOpenAreIgnored)
{
    watching.reset();
    list()->setEntries({path(QStringLiteral("missing.jpg"))});
    show()->toggle();

    // While the first picture error is open, three more ticks come; then the
    // box is closed. A second box on top of the first would be counted too.
    QSet<QWidget*> seen;
    bool ticked = false;
    QTimer closer;
    closer.setInterval(10);
    QObject::connect(&closer, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal)
            return;
        seen.insert(modal);
        if (!ticked) {
            ticked = true;
            for (int i = 0; i < 3; ++i)
                show()->step();
            return;
        }
        modal->close();
    });
    closer.start();
    show()->step();
    EXPECT_TRUE(ticked);
    EXPECT_EQ(seen.size(), 1);
    EXPECT_EQ(list()->selectedIndex(), 0);
    EXPECT_TRUE(state.SlideShowActive);  // a bad picture does not end the show
    show()->stop();
}
