#include "TacHeader.h"

#include "windowing/Rounding.h"

#include <QFontMetrics>
#include <QPainter>

namespace {
constexpr int kBevel = 1;
}  // namespace

TacHeader::TacHeader(QWidget* parent) : QWidget(parent)
{
    setHeaderFont(fontSpec(QStringLiteral("Arial"), -11, 0, clWindow));
}

void TacHeader::setCaption(const QString& text)
{
    caption_ = text;
    update();
}

void TacHeader::setHeaderFont(const FontSpec& font)
{
    font_ = font;
    setFont(font.toQFont());
    resize(width(), QFontMetrics(font.toQFont()).height() + 5);
    update();
}

void TacHeader::setGradient(TColor from, TColor to)
{
    from_ = from;
    to_ = to;
    update();
}

int TacHeader::mulDiv(int a, int b, int c) { return c == 0 ? -1 : roundInt(double(a) * double(b) / double(c)); }

int TacHeader::stripLeft(int k, int width) { return mulDiv(k, width, kStrips); }

QColor TacHeader::stripColor(int k, const QColor& from, const QColor& to)
{
    auto channel = [k](int a, int b) { return a + mulDiv(k, b - a, kStrips - 1); };
    return QColor(channel(from.red(), to.red()), channel(from.green(), to.green()), channel(from.blue(), to.blue()));
}

void TacHeader::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QRect inner = rect().adjusted(kBevel, kBevel, -kBevel, -kBevel);
    const QColor from = toQColor(from_);
    const QColor to = toQColor(to_);
    for (int k = 0; k < kStrips; ++k) {
        const int x0 = inner.left() + stripLeft(k, inner.width());
        const int x1 = inner.left() + stripLeft(k + 1, inner.width());
        if (x1 > x0)
            painter.fillRect(QRect(x0, inner.top(), x1 - x0, inner.height()), stripColor(k, from, to));
    }
    // Lowered bevel: shadow on the top and left, highlight on the bottom and right.
    painter.setPen(toQColor(clBtnShadow));
    painter.drawLine(0, 0, width() - 1, 0);
    painter.drawLine(0, 0, 0, height() - 1);
    painter.setPen(toQColor(clBtnHighlight));
    painter.drawLine(0, height() - 1, width() - 1, height() - 1);
    painter.drawLine(width() - 1, 0, width() - 1, height() - 1);
    painter.setPen(toQColor(font_.color));
    painter.drawText(inner, Qt::AlignCenter, caption_);
}
