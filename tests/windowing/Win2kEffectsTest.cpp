// Showing and hiding animations end where the window belongs.
#include "TestSupport.h"
#include "windowing/TacAnimationEffect.h"
#include "windowing/TacWin2kEffects.h"

#include <QResizeEvent>

#include <algorithm>
#include <gtest/gtest.h>

namespace {

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

}  // namespace
