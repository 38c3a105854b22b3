#pragma once
// A picture drawn stretched over the whole control, aspect ratio not kept.
// A picture decoded reduced is decoded again when the control grows past it.
// Only the part of the control that lies on a screen is painted, the rest
// when the window is moved into view. A picture still being decoded is
// painted band by band as its rows arrive. A picture whose data breaks on
// the way is reported in the error box and keeps the rows read; one that
// breaks before any row was decoded goes to onUnreadable instead.
#include "pictures/PictureFile.h"
#include "windowing/OnScreenPainting.h"

#include <QWidget>
#include <functional>
#include <optional>

class TImage : public QWidget {
    Q_OBJECT
public:
    explicit TImage(QWidget* parent = nullptr);

    void setPicture(PictureFile picture);
    void clear();
    // Empty while no picture is loaded.
    const PictureFile* picture() const { return picture_ ? &*picture_ : nullptr; }

    // The part of the control on the screens, in its own coordinates.
    QRect onScreen() const { return onScreen_->onScreen(); }

    // Run once the paint is over, when the picture's data broke before any
    // of its rows was decoded: there is nothing of it to show.
    std::function<void()> onUnreadable;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void matchResolution();
    void repaintAll();
    void finishDecoding();
    void readRows(int rows);

    std::optional<PictureFile> picture_;
    OnScreenPainting* onScreen_;
};
