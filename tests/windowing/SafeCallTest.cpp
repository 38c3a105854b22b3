// Failures in handlers reach the error box, and the program goes on; the
// timer keeps the semantics the windows rely on.
#include "TestSupport.h"
#include "platform/Errors.h"
#include "windowing/ErrorBox.h"
#include "windowing/SafeCall.h"
#include "windowing/Timer.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFontMetrics>
#include <QScreen>
#include <QWidget>
#include <QTimer>
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

// A name of 16 MB, 20 000 names: the box shows a screenful, every line
// elided to its width, says how many lines it left out, and stays on screen.
TEST(MessageDialog, AHugeTextFitsTheScreen)
{
    const QFontMetrics metrics(QApplication::font());
    const QSize area(700, 20 * metrics.lineSpacing() + 5);
    const struct {
        const char* what;
        QString text;
        QString lastLine;
    } cases[] = {
        {"one line of 16 MB", QString(16 * 1024 * 1024, u'я'), QString()},
        {"20 000 lines", QStringLiteral("Файлы не найдены:") + QStringLiteral("\n/long/missing/name.jpg").repeated(20000),
         QStringLiteral("… и ещё 19982")},
        {"a short text", QStringLiteral("Файл не найден:\na.jpg"), QStringLiteral("a.jpg")},
    };
    for (const auto& c : cases) {
        QElapsedTimer clock;
        clock.start();
        const QStringList lines = fitMessageText(c.text, metrics, area).split(u'\n');
        EXPECT_LT(clock.elapsed(), 1000) << c.what;
        EXPECT_LE(lines.size(), 20) << c.what;
        for (const QString& line : lines)
            EXPECT_LE(metrics.horizontalAdvance(line), area.width()) << c.what;
        if (!c.lastLine.isEmpty())
            EXPECT_EQ(lines.last(), c.lastLine) << c.what;
    }

    QRect shown;
    QTimer probe;
    QObject::connect(&probe, &QTimer::timeout, [&] {
        if (QWidget* box = QApplication::activeModalWidget()) {
            shown = box->frameGeometry();
            box->close();
        }
    });
    probe.start(10);
    QElapsedTimer clock;
    clock.start();
    showMessageDialog(QStringLiteral("Файлы не найдены:") + (u'\r' + QString(300, u'x')).repeated(20000),
                      MessageKind::Error);
    EXPECT_LT(clock.elapsed(), 2000);
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_TRUE(screen.contains(shown)) << shown.x() << "," << shown.y() << " " << shown.width() << "x" << shown.height();
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
