#pragma once
// A label that shows marked-up text: tags between "[" and "]" change the
// style or the colour of what follows (see RichMarkup.h). It can wrap its
// paragraphs, keep inner margins, draw a frame and a dotted drop shadow, and
// its height follows the rendered text.
#include "RichMarkup.h"
#include "windowing/Fonts.h"

#include <QImage>
#include <QWidget>

class TacRichLabel : public QWidget {
    Q_OBJECT
public:
    explicit TacRichLabel(QWidget* parent = nullptr);

    QString text() const { return text_; }
    void setText(const QString& text);
    FontSpec labelFont() const { return font_; }
    void setLabelFont(const FontSpec& font);
    TColor color() const { return color_; }
    void setColor(TColor color);
    bool transparent() const { return transparent_; }
    void setTransparent(bool on);
    Qt::Alignment alignment() const { return alignment_; }
    void setAlignment(Qt::Alignment alignment);  // left, right or centre

    bool AutoHeight = true;
    quint16 MarginHorz = 0;
    quint16 MarginVert = 0;
    bool PlainText = false;
    TColor ShadowColor = clBlack;
    bool ShowFrame = false;
    bool ShowShadow = false;
    RichTags Tags;
    bool WordWrap = false;

    // Lays the text out again after the public settings above have changed.
    void relayout();

    // The lines of the last layout, their measured widths (left margin
    // included) and the size of the rendering.
    QStringList lines() const { return lines_; }
    QList<int> lineWidths() const { return lineWidths_; }
    QSize imageSize() const { return imageSize_; }
    int lineHeight() const;
    int widestLine() const;
    // The rendering as the last paint drew it (background left out).
    QImage render() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    RichStyle labelLook() const { return {font_.style, font_.color}; }
    QFont fontFor(const RichStyle& look) const;
    int runsWidth(const QList<RichRun>& runs) const;
    QList<RichRun> runsOf(const QString& line, RichStyle& look) const;
    void draw(QPainter& p) const;
    void drawShadow(QPainter& p) const;

    QString text_;
    FontSpec font_;
    TColor color_ = clBtnFace;
    bool transparent_ = false;
    Qt::Alignment alignment_ = Qt::AlignLeft;
    QStringList lines_;
    QList<int> lineWidths_;
    QSize imageSize_;
    bool laying_ = false;
};
