// Cutting shapes to a box: what is filled inside the box stays the same with
// either fill rule, open lines keep their parts inside with the length
// before each, curves stay exact curves inside the box, and no straight edge
// stays taller than asked.
#include "pictures/DeviceClip.h"

#include <QPainterPath>
#include <QPolygonF>

#include <gtest/gtest.h>

#include <cmath>

using namespace metafile;

namespace {

const QRectF kBox(0, 0, 100, 50);

clip::Subpath subpathOf(const QPolygonF& points)
{
    clip::Subpath s{points.first(), {}};
    for (qsizetype i = 1; i < points.size(); ++i)
        s.segments.push_back({points[i]});
    return s;
}

QPolygonF pointsOf(const clip::Subpath& s)
{
    QPolygonF points{s.start};
    for (const clip::Segment& segment : s.segments)
        points << segment.to;
    return points;
}

bool inBox(QPointF p)
{
    return kBox.adjusted(-1e-9, -1e-9, 1e-9, 1e-9).contains(p);
}

}  // namespace

TEST(DeviceClip, PolygonCoversTheSamePointsInsideTheBox)
{
    const struct {
        const char* name;
        QPolygonF polygon;
    } cases[] = {
        {"inside", QPolygonF({{10, 10}, {90, 10}, {50, 40}})},
        {"crossing one edge", QPolygonF({{-1e6, 25}, {50, 5}, {50, 45}})},
        {"around the box", QPolygonF({{-1e7, -1e7}, {1e7, -1e7}, {1e7, 1e7}, {-1e7, 1e7}})},
        // A star whose points reach far out and overlap inside: odd-even and
        // winding fill differ in its middle.
        {"self-crossing star", QPolygonF({{50, -3e6}, {2e6, 2e6}, {-4e6, -1e6}, {4e6, -1e6}, {-2e6, 2e6}})},
    };
    for (const auto& c : cases) {
        const clip::Subpath cut = clip::polygon(subpathOf(c.polygon), kBox);
        ASSERT_FALSE(cut.isEmpty()) << c.name;
        for (const QPointF& p : pointsOf(cut))
            EXPECT_TRUE(inBox(p)) << c.name;
        for (Qt::FillRule rule : {Qt::OddEvenFill, Qt::WindingFill}) {
            QPainterPath before;
            before.addPolygon(c.polygon);
            before.closeSubpath();
            before.setFillRule(rule);
            QPainterPath after = cut.toPath(QTransform(), true);
            after.setFillRule(rule);
            for (double x = 0.5; x < 100; x += 3)
                for (double y = 0.5; y < 50; y += 3)
                    EXPECT_EQ(before.contains(QPointF(x, y)), after.contains(QPointF(x, y)))
                        << c.name << " rule " << rule << " at " << x << "," << y;
        }
    }
    EXPECT_TRUE(clip::polygon(subpathOf(QPolygonF({{200, 200}, {300, 200}, {250, 300}})), kBox).isEmpty());
}

TEST(DeviceClip, OpenLineKeepsItsPartsInsideWithTheLengthBeforeEach)
{
    // In from the left, out at the top, back in through the top, out at the right.
    const QPolygonF line({{-100, 25}, {50, 25}, {50, -100}, {60, -100}, {60, 25}, {300, 25}});
    const std::vector<clip::Run> runs = clip::polyline(subpathOf(line), kBox);
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(pointsOf(runs[0].part), QPolygonF({{0, 25}, {50, 25}, {50, 0}}));
    EXPECT_DOUBLE_EQ(runs[0].lengthBefore, 100);
    EXPECT_EQ(pointsOf(runs[1].part), QPolygonF({{60, 0}, {60, 25}, {100, 25}}));
    EXPECT_DOUBLE_EQ(runs[1].lengthBefore, 150 + 125 + 10 + 100);

    EXPECT_TRUE(clip::polyline(subpathOf(QPolygonF({{-10, -10}, {200, -10}})), kBox).empty());
    ASSERT_EQ(clip::polyline(subpathOf(QPolygonF({{1, 1}, {2, 2}})), kBox).size(), 1u);
}

// The painter strokes a curve split exactly like the whole curve, but bends
// a flattened one at every corner; so curves stay curves where they show.
TEST(DeviceClip, CurvesStayCurvesInsideAndBecomeChordsOutside)
{
    QPainterPath path(QPointF(10, 25));
    path.cubicTo(30, 0, 70, 50, 90, 25);  // inside
    path.moveTo(1e6, 1e6);  // far outside
    path.cubicTo(2e6, 0, 3e6, 3e6, 4e6, 1e6);
    path.moveTo(50, 25);  // out through the right edge and back
    path.cubicTo(1e5, -1e5, 1e5, 1e5, 50, 30);
    const std::vector<clip::Subpath> subpaths = clip::prepared(path, kBox);
    ASSERT_EQ(subpaths.size(), 3u);

    ASSERT_EQ(subpaths[0].segments.size(), 1u);
    EXPECT_TRUE(subpaths[0].segments[0].curve);
    EXPECT_EQ(subpaths[0].segments[0].c1, QPointF(30, 0));

    ASSERT_EQ(subpaths[1].segments.size(), 1u);
    EXPECT_FALSE(subpaths[1].segments[0].curve);
    EXPECT_EQ(subpaths[1].segments[0].to, QPointF(4e6, 1e6));

    // Pieces inside are curves; straight pieces lie outside the box or are
    // a pixel's bit where the curve crosses its edge; the pieces join up.
    const clip::Subpath& across = subpaths[2];
    QPointF from = across.start;
    int curves = 0;
    for (const clip::Segment& s : across.segments) {
        if (s.curve) {
            ++curves;
            for (QPointF p : {from, s.c1, s.c2, s.to})
                EXPECT_TRUE(inBox(p));
        } else {
            const QRectF piece = QRectF(from, s.to).normalized();
            EXPECT_TRUE(!piece.intersects(kBox) || std::max(piece.width(), piece.height()) <= 1) << from.x();
        }
        from = s.to;
    }
    EXPECT_GE(curves, 2);
    EXPECT_EQ(from, QPointF(50, 30));
}

TEST(DeviceClip, ShortEdgesSplitTallLinesOnTheirLine)
{
    clip::Subpath tall = subpathOf(QPolygonF({{0, 0}, {10, 1000}, {20, 1000}}));
    tall.segments.push_back({{0, 0}, true, {500, 0}, {500, 1000}});
    const clip::Subpath split = clip::shortEdges(tall, 32);
    ASSERT_EQ(split.segments.size(), 32u + 2);  // the tall line in 32 pieces, the rest whole
    QPointF from = split.start;
    for (std::size_t i = 0; i < 32; ++i) {
        const QPointF to = split.segments[i].to;
        EXPECT_LE(std::abs(to.y() - from.y()), 32.0 + 1e-9);
        EXPECT_NEAR(to.x(), to.y() / 100, 1e-9);  // on the original line
        from = to;
    }
    EXPECT_TRUE(split.segments.back().curve);
    EXPECT_EQ(split.segments.back().c2, QPointF(500, 1000));
}
