#include "TacLabel.h"

#include "windowing/SafeCall.h"

#include <QMouseEvent>
#include <QPainter>

TacLabel::TacLabel(const QString& text, QWidget* parent) : QWidget(parent), text_(text)
{
    setCursor(Qt::PointingHandCursor);
    setAttribute(Qt::WA_Hover);
}

void TacLabel::setText(const QString& text)
{
    text_ = text;
    update();
}

void TacLabel::setLookFont(Look look, const FontSpec& font)
{
    fonts_[int(look)] = font;
    update();
}

FontSpec TacLabel::lookFont(Look look) const { return fonts_[int(look)]; }

void TacLabel::setAlignment(Qt::Alignment alignment)
{
    alignment_ = alignment;
    update();
}

void TacLabel::setHighlightCopy(bool on)
{
    highlightCopy_ = on;
    update();
}

void TacLabel::setLook(Look look)
{
    if (look == look_)
        return;
    look_ = look;
    update();
}

void TacLabel::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const FontSpec& font = fonts_[int(look_)];
    p.setFont(font.toQFont());
    if (highlightCopy_) {
        p.setPen(toQColor(clHighlightText));
        p.drawText(rect().translated(-1, -1), int(alignment_), text_);
    }
    p.setPen(toQColor(font.color));
    p.drawText(rect(), int(alignment_), text_);
}

void TacLabel::enterEvent(QEnterEvent*) { setLook(Look::Hover); }

void TacLabel::leaveEvent(QEvent*) { setLook(Look::Normal); }

void TacLabel::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        setLook(Look::Pressed);
}

void TacLabel::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || look_ != Look::Pressed)
        return;
    const bool inside = rect().contains(event->position().toPoint());
    setLook(inside ? Look::Hover : Look::Normal);
    if (inside && onClick)
        safeCall(onClick);
}
