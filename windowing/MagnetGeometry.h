#pragma once
// The window magnet's computation as a function of rectangles: where a
// dragged window lands near the edges of other magnet windows and of the
// screen area, and which windows touch it. Coordinates are screen pixels;
// right and bottom are left + width and top + height.
#include <QRect>

#include <cstddef>
#include <functional>
#include <vector>

struct MagnetRect {
    int left = 0, top = 0, right = 0, bottom = 0;

    static MagnetRect fromQRect(const QRect& r) { return {r.x(), r.y(), r.x() + r.width(), r.y() + r.height()}; }
    int width() const { return right - left; }
    int height() const { return bottom - top; }
    bool operator==(const MagnetRect&) const = default;
};

struct MagnetEdges {
    bool left = true, top = true, right = true, bottom = true;
};

struct MagnetParams {
    int power = 20;        // snap distance to other magnet windows
    int screenPower = 16;  // snap distance to the screen area's edges
    MagnetEdges edges;     // screen edges that snap
    bool glue = false;     // screen snapping stays on after a snap to a window
};

// Snaps r (a window of size width x height) to the candidates, visited in
// order, and then to the area's edges. All comparisons are strict: an edge on
// the line or exactly the distance away stays. allowMagnet(i) is asked before
// an edge that has crossed candidate i's edge by less than the distance is
// pulled back onto it; none means yes.
MagnetRect magnetSnap(MagnetRect r, int width, int height, const MagnetRect& area,
                      const std::vector<MagnetRect>& candidates, const MagnetParams& params,
                      const std::function<bool(std::size_t)>& allowMagnet = {});

// Another window is glued when one of its edges lies exactly on the line of
// the opposite edge of this one; the other axis is not compared.
bool magnetTouches(const MagnetRect& self, const MagnetRect& other);
