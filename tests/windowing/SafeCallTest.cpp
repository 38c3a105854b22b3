// Failures in handlers reach the error box, and the program goes on; the
// timer keeps the semantics the windows rely on.
#include "TestSupport.h"
#include "platform/Errors.h"
#include "windowing/ErrorBox.h"
#include "windowing/SafeCall.h"
#include "windowing/Timer.h"

#include <QApplication>
#include <QElapsedTimer>
#include <gtest/gtest.h>

TEST(SafeCall, AFailingTimerTickShowsTheErrorBoxAndTheProgramGoesOn)
{
    ModalWatcher watcher;
    Timer timer(nullptr, 20, true);
    int ticks = 0;
    bool afterThrow = false;
    timer.onTimer = [&] {
        ++ticks;
        if (ticks == 1) {
            throw EMCIDeviceError(QStringLiteral("No MCI device open"));
            afterThrow = true;
        }
    };
    ASSERT_TRUE(waitFor([&] { return ticks >= 3; }));
    EXPECT_FALSE(afterThrow);
    ASSERT_GE(watcher.seen().size(), 1);
    EXPECT_EQ(watcher.seen()[0].caption, QStringLiteral("Калейдор"));
    EXPECT_EQ(watcher.seen()[0].text, QStringLiteral("No MCI device open."));
    EXPECT_EQ(watcher.seen()[0].objectName, QStringLiteral("kaleidorErrorBox"));
}

TEST(SafeCall, ReturnsWhetherTheBodySucceeded)
{
    ModalWatcher watcher;
    EXPECT_TRUE(safeCall([] {}));
    EXPECT_FALSE(safeCall([] { throw EListError(QStringLiteral("List index out of bounds (-1)")); }));
    ASSERT_TRUE(waitFor([&] { return !watcher.seen().isEmpty(); }));
    EXPECT_EQ(watcher.seen()[0].text, QStringLiteral("List index out of bounds (-1)"));
}

TEST(MessageDialog, CaptionsAndLineBreaks)
{
    ModalWatcher watcher;
    showMessageDialog(QStringLiteral("Программа запущена первый раз.\rПрочтите помощь-справка"),
                      MessageKind::Information);
    showMessageDialog(QStringLiteral("Плохо"), MessageKind::Error);
    ASSERT_EQ(watcher.seen().size(), 2);
    EXPECT_EQ(watcher.seen()[0].caption, QStringLiteral("Information"));
    EXPECT_EQ(watcher.seen()[0].text, QStringLiteral("Программа запущена первый раз.\nПрочтите помощь-справка"));
    EXPECT_EQ(watcher.seen()[1].caption, QStringLiteral("Error"));
}

TEST(Timer, IntervalAndEnableSemantics)
{
    Timer timer(nullptr, 100, false);
    EXPECT_FALSE(timer.isArmed());
    timer.setEnabled(true);
    EXPECT_TRUE(timer.isArmed());
    timer.setInterval(0);
    EXPECT_FALSE(timer.isArmed()) << "an interval of 0 arms nothing";
    timer.setInterval(-5);
    EXPECT_FALSE(timer.isArmed());
    timer.setInterval(50);
    EXPECT_TRUE(timer.isArmed());
    timer.setEnabled(false);
    timer.setInterval(70);
    EXPECT_FALSE(timer.isArmed()) << "a disabled timer stays disarmed";
}

TEST(Timer, SameIntervalKeepsTheCountdownADifferentOneRestartsIt)
{
    Timer timer(nullptr, 150, true);
    int ticks = 0;
    QElapsedTimer clock;
    qint64 firstTick = -1;
    timer.onTimer = [&] {
        if (++ticks == 1)
            firstTick = clock.elapsed();
    };
    clock.start();
    // Setting the same interval again and again must not push the tick back.
    const bool ticked = waitFor(
        [&] {
            timer.setInterval(150);
            return ticks > 0;
        },
        2000);
    ASSERT_TRUE(ticked);
    EXPECT_LT(firstTick, 400);

    ticks = 0;
    clock.restart();
    // A different interval restarts the countdown each time.
    waitFor(
        [&] {
            timer.setInterval(clock.elapsed() % 2 ? 120 : 121);
            return ticks > 0 || clock.elapsed() > 500;
        },
        1000);
    EXPECT_EQ(ticks, 0);
}
