#include "TacFormBackground.h"

#include "TacHeader.h"

#include <QEvent>
#include <QPainter>

#include <algorithm>

TacFormBackground::TacFormBackground(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("acFormBackground"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    parent->installEventFilter(this);
    setGeometry(parent->rect());
    lower();
}

void TacFormBackground::setGradient(bool enabled, GradientDirection direction, TColor color1, TColor color2)
{
    enabled_ = enabled;
    direction_ = direction;
    color1_ = color1;
    color2_ = color2;
    setVisible(enabled);
    update();
}

bool TacFormBackground::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == parent() && event->type() == QEvent::Resize)
        setGeometry(parentWidget()->rect());
    return QWidget::eventFilter(watched, event);
}

void TacFormBackground::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const QColor from = toQColor(color1_);
    const QColor to = toQColor(color2_);
    if (direction_ == GradientDirection::gdCentral) {
        p.fillRect(rect(), parentWidget()->palette().window());
        const int half = std::min(width(), height()) / 2;
        const int steps = std::clamp(half, 2, 255);
        p.setPen(Qt::NoPen);
        for (int i = 0; i < steps; ++i) {
            const double share = 1.0 - double(i) / steps;
            p.setBrush(TacHeader::stripColor(i * 254 / (steps - 1), from, to));
            const QSizeF size(width() * share, height() * share);
            p.drawEllipse(QRectF(QPointF(width() / 2.0 - size.width() / 2, height() / 2.0 - size.height() / 2), size));
        }
        return;
    }
    const bool across = direction_ == GradientDirection::gdHorizontal;
    const int length = across ? width() : height();
    // From the last band to the first, as the bands may overlap by rounding.
    for (int n = TacHeader::kStrips - 1; n >= 0; --n) {
        const int a = TacHeader::stripLeft(n, length);
        const int b = TacHeader::stripLeft(n + 1, length);
        if (b <= a)
            continue;
        const QRect band = across ? QRect(a, 0, b - a, height()) : QRect(0, a, width(), b - a);
        p.fillRect(band, TacHeader::stripColor(n, from, to));
    }
}
