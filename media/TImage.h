#pragma once
// A picture drawn stretched over the whole control, aspect ratio not kept.
// A picture decoded reduced is decoded again when the control grows past it.
// Only the part of the control that lies on a screen is painted: a window
// as large as a 24-megapixel photo shows a fraction of it, and the rest is
// painted when the window is moved into view. A picture decoded as its rows
// are asked for has the rows under the painted part decoded first, the rest
// a step at a time while the program is idle.
#include "pictures/PictureFile.h"

#include <QPointer>
#include <QRegion>
#include <QTimer>
#include <QWidget>
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
    QRect onScreen() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void matchResolution();
    void repaintAll();
    void paintNewlyOnScreen();
    void readMoreRows();

    std::optional<PictureFile> picture_;
    // What the window's backing store holds of this control.
    QRegion painted_;
    QPointer<QWidget> watchedWindow_;
    QTimer moreRows_;
};
