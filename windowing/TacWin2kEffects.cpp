#include "TacWin2kEffects.h"

#include <QElapsedTimer>
#include <QPointer>

#include <algorithm>
#include <cmath>
#include <memory>

namespace {
constexpr int kFrameInterval = 15;  // milliseconds between frames
}

Win2kFrame win2kFrame(int flags, double shown, const QRect& geometry)
{
    shown = std::clamp(shown, 0.0, 1.0);
    Win2kFrame f;
    f.geometry = geometry;
    f.visible = QRect(QPoint(0, 0), geometry.size());
    if (flags & Win2kAnimation::Blend) {
        f.opacity = shown;
        return f;
    }
    const int w = geometry.width(), h = geometry.height();
    if (flags & Win2kAnimation::Center) {
        const int cw = int(std::lround(w * shown)), ch = int(std::lround(h * shown));
        f.geometry = QRect(geometry.x() + (w - cw) / 2, geometry.y() + (h - ch) / 2, cw, ch);
        f.visible = QRect(0, 0, cw, ch);
        return f;
    }
    // The edge moving in the flags' direction uncovers the window.
    const int vw = int(std::lround(w * shown)), vh = int(std::lround(h * shown));
    if (flags & Win2kAnimation::HorPositive)
        f.visible.setWidth(vw);
    else if (flags & Win2kAnimation::HorNegative)
        f.visible.setLeft(w - vw);
    if (flags & Win2kAnimation::VerPositive)
        f.visible.setHeight(vh);
    else if (flags & Win2kAnimation::VerNegative)
        f.visible.setTop(h - vh);
    return f;
}

TacWin2kEffects::TacWin2kEffects(QObject* owner) : TacFormHookComponent(owner) {}

TacWin2kEffects::~TacWin2kEffects()
{
    stepper_.stop();
    if (form()) {
        form()->clearMask();
        form()->setWindowOpacity(1);
    }
}

void TacWin2kEffects::setTranslucent(bool on)
{
    translucent_ = on;
    applyTranslucency();
}

void TacWin2kEffects::setTranslucentRate(int percent)
{
    translucentRate_ = std::clamp(percent, 0, 100);
    if (translucent_)
        applyTranslucency();
}

double TacWin2kEffects::restingOpacity() const
{
    return translucent_ ? (translucentRate_ * 255 / 100) / 255.0 : 1.0;
}

void TacWin2kEffects::applyTranslucency()
{
    if (form() && !stepper_.isRunning())
        form()->setWindowOpacity(restingOpacity());
}

void TacWin2kEffects::apply(const Win2kFrame& frame)
{
    FramedWindow* w = form();
    w->setWindowOpacity(frame.opacity * restingOpacity());
    if (w->geometry() != frame.geometry)
        w->setGeometry(frame.geometry);
    if (frame.visible == QRect(QPoint(0, 0), frame.geometry.size()))
        w->clearMask();
    else
        w->setMask(frame.visible.isEmpty() ? QRegion(0, 0, 1, 1) : QRegion(frame.visible));
}

void TacWin2kEffects::aboutToShow()
{
    stepper_.stop();
    if (!animateOnShow.enabled || !form()) {
        applyTranslucency();
        return;
    }
    home_ = form()->geometry();
    const int flags = animateOnShow.flags, time = std::max(1, animateOnShow.time);
    apply(win2kFrame(flags, 0, home_));
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    // The window shows itself meanwhile; the frames follow from the event loop.
    stepper_.start(kFrameInterval, [this, flags, time, clock] {
        if (!form())
            return false;
        const double shown = double(clock->elapsed()) / time;
        if (shown >= 1) {
            finishShowing();
            return false;
        }
        apply(win2kFrame(flags, shown, home_));
        return true;
    });
}

void TacWin2kEffects::finishShowing()
{
    form()->clearMask();
    form()->setGeometry(home_);
    form()->setWindowOpacity(restingOpacity());
}

void TacWin2kEffects::aboutToHide()
{
    if (stepper_.isRunning()) {
        stepper_.stop();
        finishShowing();
    }
    if (!animateOnHide.enabled || !form())
        return;
    home_ = form()->geometry();
    restoreAfterHide_ = true;
    const int flags = animateOnHide.flags, time = std::max(1, animateOnHide.time);
    QElapsedTimer clock;
    clock.start();
    const QPointer<TacWin2kEffects> self(this);
    // The caller hides the window once this returns; events go on meanwhile.
    stepper_.run(kFrameInterval, [&] {
        if (!form())
            return false;
        const double shown = 1 - double(clock.elapsed()) / time;
        if (shown <= 0)
            return false;
        apply(win2kFrame(flags, shown, home_));
        return true;
    });
    if (self)
        stepper_.stop();
}

void TacWin2kEffects::hidden()
{
    if (!restoreAfterHide_ || !form())
        return;
    restoreAfterHide_ = false;
    form()->clearMask();
    form()->setGeometry(home_);
    form()->setWindowOpacity(restingOpacity());
}
