#pragma once
// A label that changes its look under the mouse and while pressed, and acts
// on a click. Its text is drawn twice: one pixel up and left in the
// highlight-text colour, then in the font colour at its place (the first
// copy can be left out, as links do).
#include "windowing/Fonts.h"

#include <QWidget>
#include <functional>

class TacLabel : public QWidget {
    Q_OBJECT
public:
    enum class Look { Normal, Hover, Pressed };

    explicit TacLabel(const QString& text, QWidget* parent = nullptr);

    QString text() const { return text_; }
    void setText(const QString& text);
    void setLookFont(Look look, const FontSpec& font);
    FontSpec lookFont(Look look) const;
    Look look() const { return look_; }
    void setAlignment(Qt::Alignment alignment);
    void setHighlightCopy(bool on);

    std::function<void()> onClick;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void setLook(Look look);

    QString text_;
    FontSpec fonts_[3];
    Look look_ = Look::Normal;
    Qt::Alignment alignment_ = Qt::AlignCenter;
    bool highlightCopy_ = true;
};
