#pragma once
// The push-pin caption button: it keeps its window above all other windows
// while it is down, and the window menu's item carries a check mark then.
#include "TCustomCaptionButton.h"

class TFormTopmost : public TCustomCaptionButton {
    Q_OBJECT
public:
    explicit TFormTopmost(QObject* owner);

    bool topmost() const { return form() && form()->isTopmost(); }
    // Tells the window's hooks only when the state changes.
    void setTopmost(bool on);

    std::function<void(TFormTopmost* sender, bool topmost)> OnTopmostChanged;

    // The push-pin pictures, drawn here, 12 x 11 pixels on a transparent ground.
    static QPixmap pinGlyph(bool pinned);

private:
    void eventAfter(QEvent* event) override;
    void click() override;
};
