#pragma once
// A thin progress bar used as a seek bar: a 32-bit range, a position that is
// clamped into it, and a continuous bar in its own colours.
#include "windowing/Colors.h"

#include <QWidget>
#include <cstdint>
#include <functional>

class TabfProgressBar : public QWidget {
    Q_OBJECT
public:
    explicit TabfProgressBar(QWidget* parent = nullptr);

    std::int32_t min() const { return min_; }
    std::int32_t max() const { return max_; }
    std::int32_t position() const { return position_; }
    void setMin(std::int32_t value);
    void setMax(std::int32_t value);
    // Values outside [min, max] store the nearest bound.
    void setPosition(std::int32_t value);
    int step() const { return step_; }
    void setStep(int value) { step_ = value; }

    TColor barColor() const { return barColor_; }
    void setBarColor(TColor color);
    TColor backColor() const { return backColor_; }
    void setBackColor(TColor color);

    // Pointer x in the bar's own coordinates.
    std::function<void(int x)> onMouseMove;
    std::function<void()> onMouseDown;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    std::int32_t min_ = 0;
    std::int32_t max_ = 100;
    std::int32_t position_ = 0;
    int step_ = 1;
    TColor barColor_ = clHighlight;
    TColor backColor_ = clBtnFace;
};
