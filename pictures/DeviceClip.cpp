#include "pictures/DeviceClip.h"

#include <QLineF>

#include <algorithm>
#include <cmath>

namespace metafile::clip {

namespace {

// Pieces of curve across the box's edge are split until they are this small;
// the box lies a few pixels beyond the picture, so they never show.
constexpr double kEdgePiece = 1;
constexpr int kMaxDepth = 40;

struct Cubic {
    QPointF p0, p1, p2, p3;
};

QRectF boundsOf(const Cubic& c)
{
    const auto [minX, maxX] = std::minmax({c.p0.x(), c.p1.x(), c.p2.x(), c.p3.x()});
    const auto [minY, maxY] = std::minmax({c.p0.y(), c.p1.y(), c.p2.y(), c.p3.y()});
    return QRectF(QPointF(minX, minY), QPointF(maxX, maxY));
}

bool within(const QRectF& r, const QRectF& box)
{
    return r.left() >= box.left() && r.right() <= box.right() && r.top() >= box.top() && r.bottom() <= box.bottom();
}

bool apart(const QRectF& r, const QRectF& box)
{
    return r.right() < box.left() || r.left() > box.right() || r.bottom() < box.top() || r.top() > box.bottom();
}

void split(const Cubic& c, const QRectF& box, int depth, std::vector<Segment>& out)
{
    const QRectF bounds = boundsOf(c);
    if (within(bounds, box)) {
        out.push_back({c.p3, true, c.p1, c.p2});
        return;
    }
    if (apart(bounds, box) || depth == kMaxDepth || std::max(bounds.width(), bounds.height()) <= kEdgePiece) {
        out.push_back({c.p3});
        return;
    }
    const QPointF p01 = (c.p0 + c.p1) / 2, p12 = (c.p1 + c.p2) / 2, p23 = (c.p2 + c.p3) / 2;
    const QPointF p012 = (p01 + p12) / 2, p123 = (p12 + p23) / 2, mid = (p012 + p123) / 2;
    split({c.p0, p01, p012, mid}, box, depth + 1, out);
    split({mid, p123, p23, c.p3}, box, depth + 1, out);
}

bool inside(QPointF p, const QRectF& box)
{
    return p.x() >= box.left() && p.x() <= box.right() && p.y() >= box.top() && p.y() <= box.bottom();
}

// One side of the box: points with x (or y) at least (or at most) value.
struct Side {
    bool vertical;  // an x limit
    bool atMost;
    double value;
    bool keeps(QPointF p) const
    {
        const double v = vertical ? p.x() : p.y();
        return atMost ? v <= value : v >= value;
    }
    // Where the line a→b meets the side.
    QPointF cross(QPointF a, QPointF b) const
    {
        if (vertical)
            return {value, a.y() + (b.y() - a.y()) * (value - a.x()) / (b.x() - a.x())};
        return {a.x() + (b.x() - a.x()) * (value - a.y()) / (b.y() - a.y()), value};
    }
};

// One pass of the polygon clipper: keeps what lies on the kept side of one
// side of the box. Curves are wholly inside the box, so kept, and pass
// unchanged.
Subpath keepSide(const Subpath& in, const Side& side)
{
    Subpath out;
    out.segments.reserve(in.segments.size() + 4);
    bool first = true;
    const auto put = [&](Segment s) {
        if (first) {
            out.start = s.to;
            first = false;
            return;
        }
        out.segments.push_back(s);
    };
    // The closing edge, end to start, comes first so that the output's
    // first point is its start.
    QPointF prev = in.segments.empty() ? in.start : in.segments.back().to;
    const auto step = [&](const Segment& s) {
        const bool prevIn = side.keeps(prev), curIn = side.keeps(s.to);
        if (s.curve || (prevIn && curIn)) {
            put(s);
        } else if (prevIn) {
            put({side.cross(prev, s.to)});
        } else if (curIn) {
            put({side.cross(prev, s.to)});
            put({s.to});
        }
        prev = s.to;
    };
    step({in.start});
    for (const Segment& s : in.segments)
        step(s);
    return out;
}

// The part [t0, t1] of the line a→b inside box (Liang–Barsky); false when
// none is.
bool lineInside(QPointF a, QPointF b, const QRectF& box, double& t0, double& t1)
{
    const double dx = b.x() - a.x(), dy = b.y() - a.y();
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {a.x() - box.left(), box.right() - a.x(), a.y() - box.top(), box.bottom() - a.y()};
    t0 = 0;
    t1 = 1;
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0) {
            if (q[i] < 0)
                return false;
            continue;
        }
        const double r = q[i] / p[i];
        if (p[i] < 0)
            t0 = std::max(t0, r);
        else
            t1 = std::min(t1, r);
        if (t0 > t1)
            return false;
    }
    return true;
}

double lengthOf(QPointF from, const Segment& s)
{
    if (!s.curve)
        return QLineF(from, s.to).length();
    // Between the chord and the control polygon: close enough to keep a dash
    // pattern in step.
    const double chord = QLineF(from, s.to).length();
    const double net = QLineF(from, s.c1).length() + QLineF(s.c1, s.c2).length() + QLineF(s.c2, s.to).length();
    return (chord + net) / 2;
}

}  // namespace

QPainterPath Subpath::toPath(const QTransform& t, bool closed) const
{
    QPainterPath path(t.map(start));
    for (const Segment& s : segments) {
        if (s.curve)
            path.cubicTo(t.map(s.c1), t.map(s.c2), t.map(s.to));
        else
            path.lineTo(t.map(s.to));
    }
    if (closed)
        path.closeSubpath();
    return path;
}

std::vector<Subpath> prepared(const QPainterPath& path, const QRectF& box)
{
    std::vector<Subpath> subpaths;
    QPointF current;
    for (int i = 0; i < path.elementCount(); ++i) {
        const QPainterPath::Element e = path.elementAt(i);
        if (e.isMoveTo() || subpaths.empty()) {
            subpaths.push_back({e, {}});
            current = e;
            if (e.isMoveTo())
                continue;
        }
        if (e.isCurveTo() && i + 2 < path.elementCount()) {
            split({current, e, path.elementAt(i + 1), path.elementAt(i + 2)}, box, 0, subpaths.back().segments);
            i += 2;
        } else {
            subpaths.back().segments.push_back({e});
        }
        current = subpaths.back().segments.back().to;
    }
    return subpaths;
}

Subpath polygon(const Subpath& closed, const QRectF& box)
{
    Subpath p = closed;
    for (const Side& side : {Side{true, false, box.left()}, Side{true, true, box.right()},
                             Side{false, false, box.top()}, Side{false, true, box.bottom()}})
        p = keepSide(p, side);
    if (p.segments.size() < 2 && !(p.segments.size() == 1 && p.segments[0].curve))
        return {};
    return p;
}

std::vector<Run> polyline(const Subpath& open, const QRectF& box)
{
    std::vector<Run> runs;
    if (open.segments.empty()) {
        if (inside(open.start, box))
            runs.push_back({open, 0});
        return runs;
    }
    double length = 0;
    bool running = false;
    QPointF a = open.start;
    for (const Segment& s : open.segments) {
        const double segment = lengthOf(a, s);
        double t0 = 0, t1 = 1;
        if (s.curve) {  // wholly inside
            if (!running)
                runs.push_back({{a, {}}, length});
            runs.back().part.segments.push_back(s);
            running = true;
        } else if (lineInside(a, s.to, box, t0, t1)) {
            if (!running || t0 > 0)
                runs.push_back({{a + (s.to - a) * t0, {}}, length + segment * t0});
            runs.back().part.segments.push_back({a + (s.to - a) * t1});
            running = t1 >= 1;
        } else {
            running = false;
        }
        length += segment;
        a = s.to;
    }
    return runs;
}

Subpath shortEdges(const Subpath& subpath, double rows)
{
    Subpath out{subpath.start, {}};
    out.segments.reserve(subpath.segments.size());
    QPointF a = subpath.start;
    for (const Segment& s : subpath.segments) {
        if (!s.curve) {
            const int pieces = int(std::min(1e6, std::ceil(std::abs(s.to.y() - a.y()) / rows)));
            for (int k = 1; k < pieces; ++k)
                out.segments.push_back({a + (s.to - a) * (double(k) / pieces)});
        }
        out.segments.push_back(s);
        a = s.to;
    }
    return out;
}

}  // namespace metafile::clip
