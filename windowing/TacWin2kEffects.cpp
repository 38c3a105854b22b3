#include "TacWin2kEffects.h"

#include "platform/DesktopServices.h"

#include <QPointer>

#include <algorithm>
#include <cmath>

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

TacWin2kEffects::TacWin2kEffects(QObject* owner) : TacFormHookComponent(owner)
{
    connect(&stepper_, &EffectStepper::finished, this, [this] { stepperFinished(); });
}

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
    DesktopServices::sendPending();
}

void TacWin2kEffects::aboutToShow()
{
    stepper_.stop();
    if (!animateOnShow.enabled || !form()) {
        applyTranslucency();
        return;
    }
    home_ = form()->geometry();
    const int flags = animateOnShow.flags;
    apply(win2kFrame(flags, 0, home_));
    showing_ = true;
    // The window shows itself meanwhile; the frames follow from the event loop.
    stepper_.startTimed(kFrameInterval, animateOnShow.time, [this, flags](double shown) {
        if (form() && shown < 1)
            apply(win2kFrame(flags, shown, home_));
    });
}

// However a show effect ends, run out or cut short, the window ends whole,
// where it belongs and at its resting opacity.
void TacWin2kEffects::stepperFinished()
{
    if (!showing_)
        return;
    showing_ = false;
    if (form())
        settle();
}

void TacWin2kEffects::settle()
{
    FramedWindow* w = form();
    w->clearMask();
    w->setGeometry(home_);
    w->setWindowOpacity(restingOpacity());
    DesktopServices::sendPending();
}

void TacWin2kEffects::aboutToHide()
{
    stepper_.stop();
    if (!animateOnHide.enabled || !form())
        return;
    home_ = form()->geometry();
    restoreAfterHide_ = true;
    const int flags = animateOnHide.flags;
    const QPointer<TacWin2kEffects> self(this);
    // The caller hides the window once this returns; events go on meanwhile.
    // The window is hidden right after the last frame, before the fully
    // collapsed one (no size at all) would be drawn.
    stepper_.runTimed(kFrameInterval, animateOnHide.time, [this, flags](double shown) {
        if (form() && shown < 1)
            apply(win2kFrame(flags, 1 - shown, home_));
    });
    if (self)
        stepper_.stop();
}

void TacWin2kEffects::hidden()
{
    if (!restoreAfterHide_ || !form())
        return;
    restoreAfterHide_ = false;
    settle();
}
