#pragma once
// A timer that lets its owner read the colour of the screen pixel under the
// mouse pointer on every tick (every 100 ms unless told otherwise).
#include "Colors.h"
#include "Timer.h"
#include "platform/PointerPixel.h"

#include <QPoint>
#include <QPointer>
#include <optional>

class QWidget;

class TabfColorPicker : public Timer {
    Q_OBJECT
public:
    explicit TabfColorPicker(QObject* parent = nullptr);

    // Reading the screen ten times a second wakes the program for nothing
    // while no one sees the colour: from now on the picker ticks only while
    // the window that shows it is on screen.
    void runWhileShown(QWidget* window);

    // The pixel under the pointer, or nothing where the screen cannot be read
    // (no screen there, a display that refuses grabs).
    static std::optional<TColor> colorUnderCursor();
    static std::optional<TColor> colorAt(const QPoint& global);

    // The same, cheaply enough for every tick: on an X server the pixel is
    // read directly, elsewhere through colorUnderCursor().
    std::optional<TColor> colorUnderPointer();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    PointerPixel pointerPixel_;
    QPointer<QWidget> shownBy_;
};
