#pragma once
// The outline figures of the window animation effects, as a function of the
// step: the window's outline spinning out of its centre, five rectangles
// spiralling in, a grid of cells flying together, the outline cut into
// spikes that whirl out and come back, and outlines flying in from a ring of
// blasts. Drawing a step twice takes it off again (the trail is toggled), so
// the order in which steps are drawn leaves the screen as it was.
#include <QPolygon>

#include <vector>

enum class AnimationEffectType { Random, Spin, Vortex, ScatterGather, Spike, Fireworks };

class AnimationFigures {
public:
    // effect is one of the five (not Random); the window's centre and
    // half-size in screen pixels.
    AnimationFigures(AnimationEffectType effect, int steps, float cx, float cy, float hw, float hh, int blasts);

    // The closed polygons of step k (0..steps), first point repeated at the
    // end; a polygon shrunk to one point is left out.
    std::vector<QPolygon> step(int k) const;

    // The step numbers in the order they are drawn, the trail frames long.
    static std::vector<int> drawOrder(bool show, int steps, int frames);

private:
    struct PointF {
        float x, y;
    };
    using Figure = std::vector<PointF>;

    std::vector<Figure> figures(int k) const;

    AnimationEffectType effect_;
    int steps_;
    float cx_, cy_, hw_, hh_;
    float angle_;                 // the effect's angle parameter
    std::vector<Figure> spikes_;  // the outline's triangles
    std::vector<PointF> centroids_, targets_;
    std::vector<PointF> origins_;  // fireworks
};
