#include "MagnetGeometry.h"

namespace {

bool between(int low, int value, int high) { return low < value && value < high; }

}  // namespace

MagnetRect magnetSnap(MagnetRect r, int width, int height, const MagnetRect& area,
                      const std::vector<MagnetRect>& candidates, const MagnetParams& params,
                      const std::function<bool(std::size_t)>& allowMagnet)
{
    const int p = params.power;
    auto allow = [&](std::size_t i) { return !allowMagnet || allowMagnet(i); };
    bool snappedToWindow = false;
    for (std::size_t i = 0; i < candidates.size(); ++i) {
        const MagnetRect& o = candidates[i];
        if (r.right > o.left && r.left < o.right) {
            if (between(o.top - p, r.bottom, o.top) || (between(o.top, r.bottom, o.top + p) && allow(i))) {
                r.top = o.top - height;
                r.bottom = o.top;
                snappedToWindow = true;
            }
            if (between(o.bottom - p, r.top, o.bottom) || (between(o.bottom, r.top, o.bottom + p) && allow(i))) {
                r.top = o.bottom;
                r.bottom = o.bottom + height;
                snappedToWindow = true;
            }
        }
        if (r.bottom > o.top && r.top < o.bottom) {
            if (between(o.left - p, r.right, o.left) || (between(o.left, r.right, o.left + p) && allow(i))) {
                r.left = o.left - width;
                r.right = o.left;
                snappedToWindow = true;
            }
            if (between(o.right - p, r.left, o.right) || (between(o.right, r.left, o.right + p) && allow(i))) {
                r.left = o.right;
                r.right = o.right + width;
                snappedToWindow = true;
            }
        }
    }
    if (snappedToWindow && !params.glue)
        return r;
    const int s = params.screenPower;
    if (params.edges.top && between(area.top - s, r.top, area.top + s)) {
        r.top = area.top;
        r.bottom = area.top + height;
    }
    if (params.edges.bottom && between(area.bottom - s, r.bottom, area.bottom + s)) {
        r.bottom = area.bottom;
        r.top = area.bottom - height;
    }
    if (params.edges.left && between(area.left - s, r.left, area.left + s)) {
        r.left = area.left;
        r.right = area.left + width;
    }
    if (params.edges.right && between(area.right - s, r.right, area.right + s)) {
        r.right = area.right;
        r.left = area.right - width;
    }
    return r;
}

bool magnetTouches(const MagnetRect& self, const MagnetRect& other)
{
    return self.bottom == other.top || self.right == other.left || other.bottom == self.top ||
           other.right == self.left;
}
