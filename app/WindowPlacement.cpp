#include "WindowPlacement.h"

namespace WindowPlacement {

bool captionOnScreen(std::int64_t left, std::int64_t top, const Frame& frame, const QList<QRect>& screens)
{
    const std::int64_t bandLeft = left + frame.border;
    const std::int64_t bandTop = top + frame.border;
    const std::int64_t bandRight = bandLeft + frame.outerWidth - 2 * std::int64_t(frame.border);
    const std::int64_t bandBottom = bandTop + frame.captionHeight;
    if (bandRight <= bandLeft || bandBottom <= bandTop)
        return false;
    for (const QRect& s : screens) {
        const std::int64_t right = std::int64_t(s.x()) + s.width();
        const std::int64_t bottom = std::int64_t(s.y()) + s.height();
        if (bandLeft < right && s.x() < bandRight && bandTop < bottom && s.y() < bandBottom)
            return true;
    }
    return false;
}

QPoint place(const StoredPlace& stored, QPoint current, const Frame& frame, const QList<QRect>& screens,
             QPoint design)
{
    const int left = stored.left.value_or(current.x());
    const int top = stored.top.value_or(current.y());
    return captionOnScreen(left, top, frame, screens) ? QPoint(left, top) : design;
}

int size(int stored, int minimum, int design) { return stored < minimum ? design : stored; }

}  // namespace WindowPlacement
