#pragma once
// Moves a block of credits text one pixel per timer step along a vertical
// path across a background fill, fading the text in near the path's start
// and out near its end. The text is rendered once into a strip whose key
// colour (the parent's colour) stays transparent; every frame blends the
// strip's rows over a clean copy of the fill.
//
// Steps come from a single-shot timer on the user-interface thread that is
// armed again after each step, so the period is the interval plus the
// step's own time and no tick can pile up behind a slow one.
#include "CreditFills.h"
#include "TabfCreditSections.h"

#include <QImage>
#include <QTimer>
#include <QWidget>
#include <functional>

class TabfCredits : public QWidget {
    Q_OBJECT
public:
    explicit TabfCredits(QWidget* parent = nullptr);

    TabfCreditSections& Credits() { return sections_; }
    FontSpec CreditsBodyFont() const { return sections_.BodyFont(); }
    void setCreditsBodyFont(const FontSpec& font) { sections_.setBodyFont(font); }
    FontSpec CreditsHeaderFont() const { return sections_.HeaderFont(); }
    void setCreditsHeaderFont(const FontSpec& font) { sections_.setHeaderFont(font); }
    int CreditsSectionSpace() const { return sections_.SectionSpace(); }
    void setCreditsSectionSpace(int pixels) { sections_.setSectionSpace(pixels); }

    int CreditsPosition() const { return position_; }
    void setCreditsPosition(int position);
    bool Cycled() const { return cycled_; }
    void setCycled(bool on) { cycled_ = on; }
    bool Backward() const { return backward_; }
    void setBackward(bool on) { backward_ = on; }

    // Rows of the control; the begin and end are held within 0 … height,
    // the fade rows within the path's two ends.
    int PathBegin() const { return pathBegin_; }
    void setPathBegin(int row);
    int PathEnd() const { return pathEnd_; }
    void setPathEnd(int row);
    int PathRiseTo() const { return pathRiseTo_; }
    void setPathRiseTo(int row);
    int PathFallFrom() const { return pathFallFrom_; }
    void setPathFallFrom(int row);

    bool TimerEnabled() const { return timerEnabled_; }
    void setTimerEnabled(bool on);
    int TimerInterval() const { return interval_; }
    void setTimerInterval(int ms);
    bool timerArmed() const { return timer_.isActive(); }

    QString FillType() const { return fill_.type; }
    void setFillType(const QString& type);  // an unknown name is refused
    TColor FillColorLight() const { return fill_.light; }
    void setFillColorLight(TColor color);
    TColor FillColorDark() const { return fill_.dark; }
    void setFillColorDark(TColor color);
    TColor FillColorNormal() const { return fill_.normal; }
    void setFillColorNormal(TColor color);
    QImage FillBitmap() const { return fill_.bitmap; }
    void setFillBitmap(const QImage& bitmap);

    std::function<void()> OnTimer;
    std::function<void()> OnCreditsEnd;

    // Positions run from 0 to the path's length plus the text's height.
    int positionRange() const;
    // One timer step: move, keep within the range, repaint.
    void step();
    // Transparency in percent of the background of a row of the path.
    int rowTransparency(int y) const;
    // The frame as it is painted now.
    QImage frame();
    const QImage& strip() const { return strip_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void applyDefaultPath();
    void clampPath();
    void renderFill();
    void renderStrip();
    void compose();
    void drawText(QPainter& painter, int x, int y, const QString& text, const FontSpec& font,
                  TabfCreditTextEffect effect) const;
    void tick();
    bool movingUp() const { return pathEnd_ < pathBegin_; }
    QColor keyColor() const;

    TabfCreditSections sections_;
    CreditFills::Settings fill_;
    QImage fillCache_;
    QImage background_;
    QImage strip_;
    QTimer timer_;
    int position_ = 0;
    bool cycled_ = true;
    bool backward_ = false;
    bool pathSet_ = false;
    int pathBegin_ = 0, pathEnd_ = 0, pathRiseTo_ = 0, pathFallFrom_ = 0;
    bool timerEnabled_ = true;
    int interval_ = 20;
};
