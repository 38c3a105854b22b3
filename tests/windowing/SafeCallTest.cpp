// Failures in handlers reach the error box, and the program goes on; the
// timer keeps the semantics the windows rely on.
#include "TestSupport.h"
#include "platform/Errors.h"
#include "windowing/ErrorBox.h"
#include "windowing/SafeCall.h"
#include "windowing/Timer.h"

#include <QApplication>
#include <gtest/gtest.h>

namespace {
// Fails the way a player command does; the handler does not know it will.
void queryPlayer(bool open)
{
    if (!open)
        throw EMCIDeviceError(QStringLiteral("No MCI device open"));
}
}  // namespace

TEST(SafeCall, AFailingTimerTickShowsTheErrorBoxSkipsTheRestAndTheProgramGoesOn)
{
    ModalWatcher watcher;
    Timer timer(nullptr, 20, true);
    int ticks = 0;
    bool afterThrow = false;
    timer.onTimer = [&] {
        ++ticks;
        queryPlayer(ticks != 1);
        if (ticks == 1)
            afterThrow = true;
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
    constexpr int kLong = 100000;
    Timer timer(nullptr, kLong, true);
    // Let some of the countdown run, whatever the machine's speed.
    ASSERT_TRUE(waitFor([&] { return timer.remainingTime() < kLong - 500; }, 30000));
    const int before = timer.remainingTime();
    timer.setInterval(kLong);
    EXPECT_LE(timer.remainingTime(), before) << "the same interval pushed the tick back";
    timer.setInterval(kLong + 1);
    EXPECT_GT(timer.remainingTime(), before) << "a different interval did not restart the countdown";
    timer.setEnabled(false);
    timer.setEnabled(true);
    EXPECT_GT(timer.remainingTime(), before) << "enabling did not restart the countdown";
}
