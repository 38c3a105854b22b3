#pragma once
// Animated outlines around a window when it is shown and after it has been
// hidden (see AnimationFigures). The figures are drawn in a window of their
// own above all others that lets input through and is shaped to the lines,
// so nothing is drawn on other programs' windows and the screen is exactly
// as before when the effect ends. The steps run on a timer: input and the
// desktop stay responsive while an effect plays.
#include "AnimationFigures.h"
#include "EffectStepper.h"
#include "TacFormHookComponent.h"

#include <functional>
#include <memory>

class AnimationOverlay;

class TacAnimationEffect : public TacFormHookComponent {
    Q_OBJECT
public:
    explicit TacAnimationEffect(QObject* owner);
    ~TacAnimationEffect() override;

    bool animateOnShow = false;
    bool animateOnHide = false;
    int delay = 100;  // pause after each drawing, in units of 50 microseconds
    int fireworkBlasts = 10;
    int frames = 6;  // steps an outline stays visible
    AnimationEffectType effectType = AnimationEffectType::Random;
    int steps = 50;

    std::function<void()> OnShowEffect, OnCloseEffect;

    // Plays an effect around the window where it stands; a show effect
    // returns when it has ended, a hide effect plays on by itself.
    void play(bool show);
    bool isPlaying() const { return stepper_.isRunning(); }
    // The clock the steps are timed by (milliseconds); a steady one unless set.
    void setClock(std::function<qint64()> clock) { stepper_.clock = std::move(clock); }
    // The overlay while an effect plays (for looking at it), else null.
    QWidget* overlay() const;
    // The effect of the current or last run.
    AnimationEffectType lastEffect() const { return lastEffect_; }

private:
    void aboutToShow() override;
    void hidden() override;

    EffectStepper stepper_;
    std::unique_ptr<AnimationOverlay> overlay_;
    AnimationEffectType lastEffect_ = AnimationEffectType::Random;
};
