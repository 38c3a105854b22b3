#include "TacRichLabel.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>

TacRichLabel::TacRichLabel(QWidget* parent) : QWidget(parent) { relayout(); }

void TacRichLabel::setText(const QString& text)
{
    text_ = text;
    relayout();
}

void TacRichLabel::setLabelFont(const FontSpec& font)
{
    font_ = font;
    relayout();
}

void TacRichLabel::setColor(TColor color)
{
    color_ = color;
    update();
}

void TacRichLabel::setTransparent(bool on)
{
    transparent_ = on;
    update();
}

void TacRichLabel::setAlignment(Qt::Alignment alignment)
{
    alignment_ = alignment;
    relayout();
}

QFont TacRichLabel::fontFor(const RichStyle& look) const
{
    FontSpec f = font_;
    f.style = look.style;
    return f.toQFont();
}

// The height of "Wj": the font's full cell height.
int TacRichLabel::lineHeight() const { return QFontMetrics(font_.toQFont()).height(); }

QList<RichRun> TacRichLabel::runsOf(const QString& line, RichStyle& look) const
{
    if (PlainText)
        return {{line, look}};
    return richRuns(line, look, labelLook(), Tags);
}

int TacRichLabel::runsWidth(const QList<RichRun>& runs) const
{
    int width = 0;
    for (const RichRun& run : runs)
        width += QFontMetrics(fontFor(run.look)).horizontalAdvance(run.text);
    return width;
}

int TacRichLabel::widestLine() const
{
    return lineWidths_.isEmpty() ? 0 : *std::max_element(lineWidths_.begin(), lineWidths_.end());
}

void TacRichLabel::relayout()
{
    if (laying_)
        return;
    laying_ = true;
    lines_.clear();
    lineWidths_.clear();
    const int available = width() - 2 * MarginHorz;
    RichStyle look = labelLook();
    for (const QString& paragraph : richParagraphs(text_)) {
        QStringList pieces{paragraph};
        if (WordWrap) {
            const RichStyle start = look;
            pieces = wrapRichParagraph(paragraph, available, [&](const QString& piece, qsizetype at) {
                RichStyle before = start;
                runsOf(paragraph.left(at), before);
                return runsWidth(runsOf(piece, before));
            });
        }
        for (const QString& line : pieces) {
            lines_.append(line);
            lineWidths_.append(MarginHorz + runsWidth(runsOf(withoutTrailingBlanks(line), look)));
            runsOf(line.mid(withoutTrailingBlanks(line).size()), look);
        }
    }
    const int shadowW = ShowShadow ? 7 : 0;
    const int shadowH = ShowShadow ? 8 : 0;
    int imageWidth = width();
    if (WordWrap && (alignment_ & Qt::AlignHorizontal_Mask) == Qt::AlignLeft)
        imageWidth = widestLine() + MarginHorz + shadowW;
    imageSize_ = QSize(imageWidth, int(lines_.size()) * lineHeight() + 2 * MarginVert + shadowH);
    if (AutoHeight && height() != imageSize_.height())
        resize(width(), imageSize_.height());
    laying_ = false;
    update();
}

void TacRichLabel::resizeEvent(QResizeEvent*)
{
    relayout();
}

void TacRichLabel::draw(QPainter& p) const
{
    const QSize size = imageSize_;
    if (ShowFrame) {
        const int less = ShowShadow ? 6 : 0;
        const QRect frame(0, 0, size.width() - less, size.height() - less);
        p.setPen(Qt::black);
        p.setBrush(toQColor(color_));
        p.drawRect(frame.adjusted(0, 0, -1, -1));
        p.setPen(toQColor(clBtnFace));
        p.setBrush(Qt::NoBrush);
        p.drawRect(frame.adjusted(1, 1, -2, -2));
    }
    if (ShowShadow)
        drawShadow(p);
    const int lh = lineHeight();
    RichStyle look = labelLook();
    int top = MarginVert;
    for (qsizetype i = 0; i < lines_.size(); ++i) {
        int x = MarginHorz;
        const Qt::Alignment h = alignment_ & Qt::AlignHorizontal_Mask;
        if (h == Qt::AlignRight)
            x = width() - MarginHorz - lineWidths_[i];
        else if (h == Qt::AlignHCenter)
            x = (width() - MarginHorz - lineWidths_[i]) / 2;
        for (const RichRun& run : runsOf(lines_[i], look)) {
            const QFont font = fontFor(run.look);
            p.setFont(font);
            p.setPen(toQColor(run.look.color));
            p.drawText(x, top + QFontMetrics(font).ascent(), run.text);
            x += QFontMetrics(font).horizontalAdvance(run.text);
        }
        top += lh;
    }
}

void TacRichLabel::drawShadow(QPainter& p) const
{
    const int r = imageSize_.width() - 7;
    const int b = imageSize_.height() - 7;
    p.setPen(toQColor(ShadowColor));
    for (int x = 7; x <= r; ++x) {
        const int up = x % 2 ? 1 : 0;
        for (int dy : {2, 4, 6})
            p.drawPoint(x, b + dy - up);
    }
    for (int y = b + 7; y >= 7; --y) {
        const bool same = (y - b) % 2 == 0;
        for (int dx : {1, 3, 5})
            p.drawPoint(r + dx + (same ? 1 : 0), y);
    }
}

QImage TacRichLabel::render() const
{
    QImage image(imageSize_.expandedTo(QSize(1, 1)), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    draw(p);
    return image;
}

void TacRichLabel::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    if (!transparent_)
        p.fillRect(rect(), toQColor(color_));
    draw(p);
}
