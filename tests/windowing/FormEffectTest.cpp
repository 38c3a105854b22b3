// The shake puts the window back exactly, keeps handling events, stays
// within its amplitude; the effect refuses a wrong or a second owner.
#include "TestSupport.h"
#include "platform/Errors.h"
#include "windowing/TabfFormEffect.h"

#include <QMoveEvent>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

// Records every place the window is moved to.
struct MoveRecorder : QObject {
    QList<QPoint> places;
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Move)
            places.append(static_cast<QMoveEvent*>(event)->pos());
        return false;
    }
};

TEST(FormEffect, ShakeMovesRightAndDownWithinTheAmplitudeAndEndsInPlace)
{
    const struct {
        unsigned amplitude, interval, time;
    } cases[] = {{13, 27, 150}, {1, 10, 60}, {5, 10, 0}};
    for (const auto& c : cases) {
        FramedWindow window;
        window.move(100, 80);
        window.show();
        auto* effect = new TabfFormEffect(&window);
        effect->setShakeAmplitude(c.amplitude);
        effect->setShakeInterval(c.interval);
        effect->setShakeTime(c.time);
        MoveRecorder moves;
        window.installEventFilter(&moves);
        int ticks = 0;
        QTimer other;
        QObject::connect(&other, &QTimer::timeout, [&] { ++ticks; });
        other.start(5);
        effect->shake();
        EXPECT_EQ(window.pos(), QPoint(100, 80)) << c.amplitude;
        EXPECT_FALSE(effect->isShaking());
        ASSERT_GE(moves.places.size(), 2);
        EXPECT_EQ(moves.places.last(), QPoint(100, 80));
        for (qsizetype i = 0; i + 1 < moves.places.size(); ++i) {
            const QPoint d = moves.places[i] - QPoint(100, 80);
            EXPECT_TRUE(d.x() >= 1 && d.x() <= int(c.amplitude) && d.y() >= 1 && d.y() <= int(c.amplitude))
                << d.x() << "," << d.y();
        }
        if (c.time == 0)
            EXPECT_EQ(moves.places.size(), 2);  // one move out, one back
        EXPECT_GT(ticks, 0);  // events went on
    }
}

TEST(FormEffect, RefusesAWrongOrASecondOwner)
{
    QObject notAWindow;
    try {
        TabfFormEffect effect(&notAWindow);
        ADD_FAILURE() << "accepted a plain object";
    } catch (const EInvalidOperation& e) {
        EXPECT_EQ(e.message(), QStringLiteral("The owner of the TabfFormEffect component is not a TForm descendant"));
    }
    FramedWindow window;
    new TabfFormEffect(&window);
    try {
        new TabfFormEffect(&window);
        ADD_FAILURE() << "accepted a second effect";
    } catch (const EInvalidOperation& e) {
        EXPECT_TRUE(e.message().startsWith(QStringLiteral("The TabfFormEffect component or its descendant is already present")));
    }
}

TEST(FormEffect, MinimizeRollsUpAndDown)
{
    FramedWindow window;
    window.setClientSize(200, 150);
    auto* effect = new TabfFormEffect(&window);
    effect->setRollAnimate(false);
    window.show();
    window.minimizeWindow();
    EXPECT_TRUE(effect->isRolledUp());
    EXPECT_EQ(window.clientHeight(), 0);
    EXPECT_TRUE(window.isVisible());
    effect->roll(false);
    EXPECT_EQ(window.clientHeight(), 150);
}

}  // namespace
