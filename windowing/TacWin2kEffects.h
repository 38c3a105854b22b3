#pragma once
// Animated showing and hiding of a window: it fades in or out, grows from or
// collapses towards its centre, or is revealed or covered by a moving edge;
// and it can be translucent. Without a compositing manager opacity has no
// effect and a fading window simply appears. Hiding waits for the animation
// and then puts the window's size and place back, so a stored geometry is
// never the shrunken one.
#include "EffectStepper.h"
#include "TacFormHookComponent.h"

#include <QRect>
#include <QRegion>

struct Win2kAnimation {
    enum Flag {
        HorPositive = 1,
        HorNegative = 2,
        VerPositive = 4,
        VerNegative = 8,
        Center = 16,
        Slide = 32,
        Blend = 64,
    };
    bool enabled = false;
    int flags = HorPositive | VerPositive | Slide;
    int time = 200;  // milliseconds
};

// One frame of an animation at progress 0..1 of the way from hidden to
// shown: the window's opacity, its geometry and the part of it that shows
// (in window coordinates). With Blend the direction flags do not count.
struct Win2kFrame {
    double opacity = 1;
    QRect geometry;
    QRect visible;
};
Win2kFrame win2kFrame(int flags, double shown, const QRect& geometry);

class TacWin2kEffects : public TacFormHookComponent {
    Q_OBJECT
public:
    explicit TacWin2kEffects(QObject* owner);
    ~TacWin2kEffects() override;

    Win2kAnimation animateOnShow;
    Win2kAnimation animateOnHide{false, Win2kAnimation::Blend, 200};

    bool translucent() const { return translucent_; }
    void setTranslucent(bool on);
    int translucentRate() const { return translucentRate_; }
    void setTranslucentRate(int percent);  // 0..100
    // The window's resting opacity: 1, or the rate while translucent.
    double restingOpacity() const;

    bool isAnimating() const { return stepper_.isRunning(); }
    // The clock the frames are timed by (milliseconds); a steady one unless set.
    void setClock(std::function<qint64()> clock) { stepper_.clock = std::move(clock); }

private:
    void aboutToShow() override;
    void aboutToHide() override;
    void hidden() override;
    void windowRecreated() override { applyTranslucency(); }
    void applyTranslucency();
    void apply(const Win2kFrame& frame);
    void stepperFinished();
    void settle();

    EffectStepper stepper_;
    QRect home_;  // the geometry to restore
    bool restoreAfterHide_ = false;
    bool showing_ = false;
    bool translucent_ = false;
    int translucentRate_ = 50;
};
