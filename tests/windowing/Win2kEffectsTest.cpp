// Showing and hiding animations end where the window belongs.
#include "TestSupport.h"
#include "windowing/TacAnimationEffect.h"
#include "windowing/TacWin2kEffects.h"

#include <QElapsedTimer>
#include <QResizeEvent>
#include <QTest>
#include <QWindow>

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <string>
#include <gtest/gtest.h>

namespace {

// The window as a frame leaves it: place, opacity, and the part that shows.
bool showsFrame(const FramedWindow& w, const Win2kFrame& frame)
{
    if (w.geometry() != frame.geometry || std::abs(w.windowOpacity() - frame.opacity) > 1 / 255.0)
        return false;
    if (frame.visible == QRect(QPoint(0, 0), frame.geometry.size()))
        return w.mask().isEmpty();
    return w.mask() == (frame.visible.isEmpty() ? QRegion(0, 0, 1, 1) : QRegion(frame.visible));
}

TEST(Win2kEffects, FramesRunFromHiddenToShown)
{
    const QRect g(100, 100, 200, 100);
    using A = Win2kAnimation;
    const struct {
        int flags;
        double shown;
        double opacity;
        QRect geometry, visible;
    } cases[] = {
        {A::Blend | A::HorPositive, 0, 0, g, QRect(0, 0, 200, 100)},
        {A::Blend, 0.5, 0.5, g, QRect(0, 0, 200, 100)},
        {A::Center, 0.5, 1, QRect(150, 125, 100, 50), QRect(0, 0, 100, 50)},
        {A::Center, 0, 1, QRect(200, 150, 0, 0), QRect(0, 0, 0, 0)},
        {A::HorPositive | A::VerPositive | A::Slide, 0.5, 1, g, QRect(0, 0, 100, 50)},
        {A::HorNegative, 0.25, 1, g, QRect(150, 0, 50, 100)},
        {A::Center, 1, 1, g, QRect(0, 0, 200, 100)},
    };
    for (const auto& c : cases) {
        const Win2kFrame f = win2kFrame(c.flags, c.shown, g);
        EXPECT_DOUBLE_EQ(f.opacity, c.opacity) << c.flags << " " << c.shown;
        EXPECT_EQ(f.geometry, c.geometry) << c.flags << " " << c.shown;
        EXPECT_EQ(f.visible, c.visible) << c.flags << " " << c.shown;
    }
}

TEST(Win2kEffects, TheWindowFadesInAndCollapsesOutAndKeepsItsGeometry)
{
    FramedWindow w;
    w.setBounds(211, 292, 480, 267);
    auto* effects = new TacWin2kEffects(&w);
    effects->animateOnShow = {true, Win2kAnimation::HorPositive | Win2kAnimation::VerPositive | Win2kAnimation::Blend, 200};
    effects->animateOnHide = {true, Win2kAnimation::Center, 200};
    w.show();
    EXPECT_TRUE(w.isVisible());
    EXPECT_TRUE(waitFor([&] { return !effects->isAnimating(); }));
    EXPECT_DOUBLE_EQ(w.windowOpacity(), 1.0);
    QList<QSize> sizes;
    struct Sizes : QObject {
        QList<QSize>* sizes;
        bool eventFilter(QObject*, QEvent* e) override
        {
            if (e->type() == QEvent::Resize)
                sizes->append(static_cast<QResizeEvent*>(e)->size());
            return false;
        }
    } watcher;
    watcher.sizes = &sizes;
    w.installEventFilter(&watcher);
    w.hide();
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(w.geometry(), QRect(211, 292, 480, 267));  // never the shrunken one
    // It did collapse on the way.
    EXPECT_TRUE(std::any_of(sizes.begin(), sizes.end(), [](const QSize& s) { return s.width() < 480; }));

    effects->setTranslucent(true);
    effects->setTranslucentRate(100);
    EXPECT_DOUBLE_EQ(effects->restingOpacity(), 1.0);
    effects->setTranslucentRate(50);
    EXPECT_DOUBLE_EQ(effects->restingOpacity(), 127 / 255.0);
    effects->setTranslucentRate(0);
    EXPECT_DOUBLE_EQ(effects->restingOpacity(), 0.0);
}

// Whatever cuts a show effect short, at whichever frame, the window ends
// whole, at its own geometry and fully opaque.
TEST(Win2kEffects, AnInterruptedShowEffectLeavesTheWindowOpaque)
{
    const QRect home(211, 292, 480, 267);
    const struct {
        const char* name;
        std::function<void(FramedWindow&, std::unique_ptr<TacWin2kEffects>&)> interrupt;
    } interruptions[] = {
        {"hidden", [](FramedWindow& w, auto&) { w.hide(); }},
        {"hidden and shown", [](FramedWindow& w, auto&) { w.hide(); w.show(); }},
        {"component gone", [](FramedWindow&, auto& effects) { effects.reset(); }},
    };
    constexpr int kTime = 200, kSteps = 10;
    for (const auto& i : interruptions) {
        for (const int flags : {Win2kAnimation::Blend, Win2kAnimation::Center, Win2kAnimation::HorNegative}) {
            for (int step = 0; step <= kSteps; ++step) {
                const std::string where =
                    std::string(i.name) + " flags " + std::to_string(flags) + " step " + std::to_string(step);
                FramedWindow w;
                w.setBounds(home.x(), home.y(), home.width(), home.height());
                auto effects = std::make_unique<TacWin2kEffects>(&w);
                qint64 now = 0;
                effects->setClock([&now] { return now; });
                effects->animateOnShow = {true, flags, kTime};
                effects->animateOnHide = {true, Win2kAnimation::Center, 0};
                w.show();
                now = step * kTime / kSteps;
                // The interruption comes once the window shows that moment's frame.
                const Win2kFrame frame = win2kFrame(flags, double(step) / kSteps, home);
                EXPECT_TRUE(waitFor([&] { return !effects->isAnimating() || showsFrame(w, frame); })) << where;
                i.interrupt(w, effects);
                now += 10 * kTime;  // any effect still running ends
                EXPECT_TRUE(waitFor([&] { return !effects || !effects->isAnimating(); })) << where;
                if (!w.isVisible()) {
                    EXPECT_DOUBLE_EQ(w.windowOpacity(), 1.0) << where;
                    w.show();
                    now += 10 * kTime;
                    EXPECT_TRUE(waitFor([&] { return !effects->isAnimating(); })) << where;
                }
                EXPECT_DOUBLE_EQ(w.windowOpacity(), 1.0) << where;
                ASSERT_TRUE(w.windowHandle()) << where;
                EXPECT_DOUBLE_EQ(w.windowHandle()->opacity(), 1.0) << where;
                EXPECT_TRUE(w.mask().isEmpty()) << where;
                EXPECT_EQ(w.geometry(), home) << where;
            }
        }
    }
}

TEST(AnimationEffect, AShowEffectEndsWithTheWindowShownAndNoOutlineLeft)
{
    FramedWindow w;
    w.setBounds(300, 200, 400, 300);
    auto* effect = new TacAnimationEffect(&w);
    effect->animateOnShow = true;
    effect->animateOnHide = true;
    effect->steps = 12;
    effect->frames = 3;
    effect->delay = 20;
    int started = 0;
    effect->OnShowEffect = [&] { ++started; };
    w.show();
    EXPECT_EQ(started, 1);
    EXPECT_TRUE(w.isVisible());
    EXPECT_FALSE(effect->isPlaying());
    EXPECT_EQ(effect->overlay(), nullptr);
    w.hide();
    EXPECT_TRUE(waitFor([&] { return !effect->isPlaying(); }));
    EXPECT_EQ(effect->overlay(), nullptr);
    EXPECT_FALSE(w.isVisible());
}

// Steps that come late are skipped: the effect keeps its planned length
// (101 steps of 5 ms here) however slowly the screen takes each picture.
TEST(AnimationEffect, AHideEffectSkipsLateStepsInsteadOfStretching)
{
    FramedWindow w;
    w.setBounds(300, 200, 400, 300);
    auto* effect = new TacAnimationEffect(&w);
    effect->animateOnHide = true;
    effect->effectType = AnimationEffectType(1);
    effect->steps = 50;
    effect->frames = 6;
    effect->delay = 100;
    // Every step takes 100 ms of the clock's time.
    qint64 now = 0;
    effect->setClock([&now] { return now += 100; });
    w.show();
    w.hide();
    ASSERT_TRUE(effect->isPlaying());
    QElapsedTimer wall;
    wall.start();
    EXPECT_TRUE(waitFor([&] { return !effect->isPlaying(); }, 5000));
    // Stepping all 101 would take over half a second.
    EXPECT_LT(wall.elapsed(), 400) << "steps taken: " << now / 100;
    EXPECT_EQ(effect->overlay(), nullptr);
}

}  // namespace
