// The outline figures of the window animations and the order they are drawn in.
#include "windowing/AnimationFigures.h"

#include <gtest/gtest.h>

#include <map>

namespace {

using E = AnimationEffectType;

TEST(AnimationFigures, EveryEffectDrawsItsFiguresAndLeavesTheScreenAsItWas)
{
    const struct {
        E effect;
        std::size_t polygonsPerStep;
    } cases[] = {{E::Spin, 1}, {E::Vortex, 5}, {E::ScatterGather, 36}, {E::Spike, 16}, {E::Fireworks, 10}};
    for (const auto& c : cases) {
        const AnimationFigures figures(c.effect, 50, 400, 300, 150, 100, 10);
        EXPECT_EQ(figures.step(25).size(), c.polygonsPerStep) << int(c.effect);
        EXPECT_TRUE(figures.step(0).empty()) << "shrunk to a point at the start";
        for (const QPolygon& p : figures.step(25))
            EXPECT_EQ(p.first(), p.last());  // closed
        for (bool show : {true, false}) {
            std::map<int, int> drawn;
            int figuresDrawn = 0;
            for (int k : AnimationFigures::drawOrder(show, 50, 6)) {
                ++drawn[k];
                figuresDrawn += figures.step(k).empty() ? 0 : 1;
            }
            if (show)
                EXPECT_EQ(figuresDrawn, 100) << int(c.effect);
            for (const auto& [k, times] : drawn)
                if (!figures.step(k).empty())
                    EXPECT_EQ(times % 2, 0) << "step " << k << " left on the screen";
        }
    }
}

TEST(AnimationFigures, TheOutlinesEndOnTheWindow)
{
    // Spin ends as the window's own outline; the grid closes up to tile it.
    const AnimationFigures spin(E::Spin, 50, 400, 300, 150, 100, 10);
    EXPECT_EQ(spin.step(50).front(), QPolygon({{250, 200}, {550, 200}, {550, 400}, {250, 400}, {250, 200}}));
    const AnimationFigures grid(E::ScatterGather, 50, 400, 300, 150, 100, 10);
    QRect tiled;
    for (const QPolygon& p : grid.step(50))
        tiled |= p.boundingRect();
    // Within the pixel the truncation may take off.
    const QRect window(QPoint(250, 200), QPoint(550, 400));
    EXPECT_LE((tiled.topLeft() - window.topLeft()).manhattanLength(), 2);
    EXPECT_LE((tiled.bottomRight() - window.bottomRight()).manhattanLength(), 2);
}

TEST(AnimationFigures, ASquareWindowMakesOriginsAndTargetsMeetInTheCentre)
{
    const AnimationFigures fireworks(E::Fireworks, 50, 300, 300, 100, 100, 10);
    const std::vector<QPolygon> blasts = fireworks.step(10);
    for (const QPolygon& p : blasts)
        EXPECT_EQ(p, blasts.front());  // every outline flies from the same point
    const AnimationFigures spike(E::Spike, 50, 300, 300, 100, 100, 10);
    for (const QPolygon& triangle : spike.step(10)) {
        const QPoint centroid = (triangle[0] + triangle[1] + triangle[2]) / 3;
        EXPECT_LE((centroid - QPoint(300, 300)).manhattanLength(), 2);
    }
}

}  // namespace
