#pragma once
// A read-out strip: centred text on a left-to-right gradient inside a lowered
// bevel. Its height follows its font.
#include "windowing/Fonts.h"

#include <QWidget>

class TacHeader : public QWidget {
    Q_OBJECT
public:
    explicit TacHeader(QWidget* parent = nullptr);

    QString caption() const { return caption_; }
    void setCaption(const QString& text);
    // Setting the font makes the height that of "W" in it plus 5 pixels.
    void setHeaderFont(const FontSpec& font);
    FontSpec headerFont() const { return font_; }
    void setGradient(TColor from, TColor to);

    static constexpr int kStrips = 255;

    // MulDiv: a × b ÷ c, rounded to the nearest integer.
    static int mulDiv(int a, int b, int c);
    // Left edge and colour of strip k (0..254) of the gradient over width.
    static int stripLeft(int k, int width);
    static QColor stripColor(int k, const QColor& from, const QColor& to);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString caption_;
    FontSpec font_;
    TColor from_ = clPurple;
    TColor to_ = clTan;
};
