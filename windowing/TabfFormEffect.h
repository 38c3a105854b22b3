#pragma once
// Effects on one framed window: shaking it about and putting it back, rolling
// it up to its caption and down again, and dragging it by its client area.
// A window carries at most one.
#include "EffectStepper.h"
#include "FormHookComponent.h"

#include <QPoint>

#include <functional>

class TabfFormEffect : public FormHookComponent {
    Q_OBJECT
public:
    // Raises EInvalidOperation when owner is not a framed window or already
    // carries an effect component.
    explicit TabfFormEffect(QObject* owner);
    ~TabfFormEffect() override;

    struct ShakeSettings {
        unsigned amplitude = 10;  // largest offset in pixels
        unsigned interval = 25;   // milliseconds between moves
        unsigned time = 500;      // milliseconds in all
    };
    const ShakeSettings& shaking() const { return shaking_; }
    void setShakeAmplitude(unsigned pixels) { shaking_.amplitude = pixels; }
    // Changing the rhythm stops a running shake at its next move.
    void setShakeInterval(unsigned ms);
    void setShakeTime(unsigned ms);

    struct RollSettings {
        bool animate = true;
        int height = 0;      // client height when rolled up
        bool onMinMax = true;  // the minimize command rolls up instead
        int delay = 3;       // speed factor of the animation
    };
    const RollSettings& rolling() const { return rolling_; }
    void setRollAnimate(bool on) { rolling_.animate = on; }
    void setRollOnMinMax(bool on) { rolling_.onMinMax = on; }
    void setRollDelay(int delay) { rolling_.delay = delay; }
    void setRollHeight(int height);  // forgets the remembered height

    bool active() const { return active_; }
    void setActive(bool on) { active_ = on; }
    bool autoDrag() const { return autoDrag_; }
    void setAutoDrag(bool on) { autoDrag_ = on; }

    // Moves the window about right and down of its place for the shake time
    // and puts it back exactly where it was; returns when it is back. Events
    // are handled meanwhile.
    void shake();
    bool isShaking() const { return shakingNow_; }

    // Rolls the window up to Height or down again, step by step when
    // animated; returns when the change is done.
    void roll(bool up);
    bool isRolledUp() const { return rolledUp_; }

    std::function<void()> OnShakingBegin, OnShakingEnd, OnRolling, OnUnRolling;

private:
    bool minimizing() override;
    void windowDestroyed() override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeClientHeight(int from, int to, bool up);

    EffectStepper stepper_;
    ShakeSettings shaking_;
    RollSettings rolling_;
    bool active_ = true;
    bool autoDrag_ = true;
    bool shakingNow_ = false;
    bool rolledUp_ = false;
    int unrolledHeight_ = 0;  // 0 = none remembered
    bool dragging_ = false;
    QPoint dragStartGlobal_;
    QRect dragStartGeometry_;
};
