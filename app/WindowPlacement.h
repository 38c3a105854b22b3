#pragma once
// Where a window goes for a stored place and what size it takes for a stored
// size. Stored numbers come from a file the user may have edited: nothing
// here overflows, whatever they hold.
#include "Settings.h"

#include <QList>
#include <QPoint>
#include <QRect>

namespace WindowPlacement {

// The caption band of a window of that outer width and border at left, top.
struct Frame {
    int outerWidth = 0;
    int border = 0;
    int captionHeight = 0;
};

// Whether the caption band at that place meets one of the screens, so the
// user can take the window by it.
bool captionOnScreen(std::int64_t left, std::int64_t top, const Frame& frame, const QList<QRect>& screens);

// The stored place, its missing parts taken from current; a place whose
// caption would lie on no screen could never be dragged back and gives design.
QPoint place(const StoredPlace& stored, QPoint current, const Frame& frame, const QList<QRect>& screens,
             QPoint design);

// A stored size below the window's minimum gives the design size: a window
// of no size is never mapped and the user would see nothing.
int size(int stored, int minimum, int design);

}  // namespace WindowPlacement
