#include "TabfProgressBar.h"

#include "windowing/Rounding.h"
#include "windowing/SafeCall.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

TabfProgressBar::TabfProgressBar(QWidget* parent) : QWidget(parent)
{
    // Seeking follows the pointer even without a button held.
    setMouseTracking(true);
}

void TabfProgressBar::setMin(std::int32_t value)
{
    min_ = value;
    max_ = std::max(max_, min_);
    setPosition(position_);
    update();
}

void TabfProgressBar::setMax(std::int32_t value)
{
    max_ = value;
    min_ = std::min(min_, max_);
    setPosition(position_);
    update();
}

void TabfProgressBar::setPosition(std::int32_t value)
{
    position_ = std::clamp(value, min_, max_);
    update();
}

void TabfProgressBar::setBarColor(TColor color)
{
    barColor_ = color;
    update();
}

void TabfProgressBar::setBackColor(TColor color)
{
    backColor_ = color;
    update();
}

void TabfProgressBar::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), toQColor(backColor_));
    const double span = double(max_) - double(min_);
    if (span <= 0)
        return;
    const int filled = roundInt(width() * ((double(position_) - double(min_)) / span));
    painter.fillRect(QRect(0, 0, filled, height()), toQColor(barColor_));
}

void TabfProgressBar::mouseMoveEvent(QMouseEvent* event)
{
    const int x = roundInt(event->position().x());
    if (onMouseMove)
        safeCall([&] { onMouseMove(x); });
}

void TabfProgressBar::mousePressEvent(QMouseEvent*)
{
    if (onMouseDown)
        safeCall(onMouseDown);
}
