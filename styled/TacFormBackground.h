#pragma once
// A gradient painted under every other control of its parent: 255 bands
// across the width (horizontal) or the height (vertical), or concentric
// ellipses from the parent's colour towards the centre (central).
#include "windowing/Colors.h"

#include <QWidget>

enum class GradientDirection { gdVertical, gdHorizontal, gdCentral };

class TacFormBackground : public QWidget {
    Q_OBJECT
public:
    explicit TacFormBackground(QWidget* parent);

    void setGradient(bool enabled, GradientDirection direction, TColor color1, TColor color2);
    bool gradientEnabled() const { return enabled_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool enabled_ = true;
    GradientDirection direction_ = GradientDirection::gdHorizontal;
    TColor color1_ = clBtnFace;
    TColor color2_ = cl3DLight;
};
