#pragma once
// A timer that lets its owner read the colour of the screen pixel under the
// mouse pointer on every tick (every 100 ms unless told otherwise).
#include "Colors.h"
#include "Timer.h"
#include "platform/PointerPixel.h"

#include <QPoint>
#include <optional>

class TabfColorPicker : public Timer {
    Q_OBJECT
public:
    explicit TabfColorPicker(QObject* parent = nullptr);

    // The pixel under the pointer, or nothing where the screen cannot be read
    // (no screen there, a display that refuses grabs).
    static std::optional<TColor> colorUnderCursor();
    static std::optional<TColor> colorAt(const QPoint& global);

    // The same, cheaply enough for every tick: on an X server the pixel is
    // read directly, elsewhere through colorUnderCursor().
    std::optional<TColor> colorUnderPointer();

private:
    PointerPixel pointerPixel_;
};
