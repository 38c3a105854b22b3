#pragma once
// Geometry cut down to a box before it is painted. The painter's rasterizer
// walks every scan line a shape spans, inside the picture or not, so a shape
// whose coordinates reach millions of pixels costs seconds however small the
// picture; cut to a box a little larger than the picture, the same shape
// costs what its visible part costs and paints the same pixels.
#include <QPainterPath>
#include <QPointF>
#include <QRectF>
#include <QTransform>

#include <vector>

namespace metafile::clip {

// A piece of a subpath: a line to `to`, or a cubic curve through c1 and c2.
struct Segment {
    QPointF to;
    bool curve = false;
    QPointF c1{}, c2{};
};

struct Subpath {
    QPointF start;
    std::vector<Segment> segments;
    bool isEmpty() const { return segments.empty(); }
    // Whether it ends where it starts, as the painter's stroker judges.
    bool endsAtStart() const { return !segments.empty() && segments.back().to == start; }
    // The path of it mapped by t, its last point joined to its first if closed.
    QPainterPath toPath(const QTransform& t, bool closed) const;
};

// The subpaths of path. Curves wholly inside box stay as they are; curves
// wholly outside become their chords, which leaves what is filled inside box
// unchanged; curves across its edge are split, exactly, until each piece is
// inside, outside, or a straight bit of a pixel or two at the edge.
std::vector<Subpath> prepared(const QPainterPath& path, const QRectF& box);

// The closed subpath (its end joined to its start) cut to box: inside box it
// covers the same points with the same winding, so either fill rule fills
// the same pixels there. Empty when nothing of it is inside.
Subpath polygon(const Subpath& closed, const QRectF& box);

// The parts of an open subpath inside box, with the length of the line
// before each part so that a dash pattern can go on where it left off.
struct Run {
    Subpath part;
    double lengthBefore = 0;
};
std::vector<Run> polyline(const Subpath& open, const QRectF& box);

// The subpath with its straight edges split so that none spans more than
// rows scan lines. The painter's rasterizer works in bands of scan lines and
// walks each edge that meets a band from end to end, so tall edges make a
// busy shape cost the square of its height; short ones are skipped at once.
Subpath shortEdges(const Subpath& subpath, double rows);

}  // namespace metafile::clip
