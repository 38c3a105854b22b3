#include "AnimationFigures.h"

#include <cmath>

namespace {

struct Affine {
    // Row vector times matrix: x' = x a + y c + e, y' = x b + y d + f.
    float a = 1, b = 0, c = 0, d = 1, e = 0, f = 0;

    Affine then(const Affine& m) const
    {
        return {a * m.a + b * m.c, a * m.b + b * m.d, c * m.a + d * m.c, c * m.b + d * m.d, e * m.a + f * m.c + m.e,
                e * m.b + f * m.d + m.f};
    }
    static Affine translate(float dx, float dy) { return {1, 0, 0, 1, dx, dy}; }
    static Affine scaleAbout(float s, float px, float py)
    {
        return translate(-px, -py).then({s, 0, 0, s, 0, 0}).then(translate(px, py));
    }
    static Affine rotateAbout(float angle, float px, float py)
    {
        const float cs = std::cos(angle), sn = std::sin(angle);
        return translate(-px, -py).then({cs, sn, -sn, cs, 0, 0}).then(translate(px, py));
    }
};

}  // namespace

AnimationFigures::AnimationFigures(AnimationEffectType effect, int steps, float cx, float cy, float hw, float hh,
                                   int blasts)
    : effect_(effect), steps_(steps > 0 ? steps : 1), cx_(cx), cy_(cy), hw_(hw), hh_(hh)
{
    constexpr float kPi = 3.1415927f, kTwoPi = 6.2831855f;
    switch (effect_) {
    case AnimationEffectType::Spin:
    case AnimationEffectType::Fireworks:
        angle_ = kTwoPi;
        break;
    case AnimationEffectType::ScatterGather:
        angle_ = 6;
        break;
    default:
        angle_ = kPi;
        break;
    }
    if (effect_ == AnimationEffectType::Spike) {
        // 16 segments of the outline, 4 per edge, round from the bottom left.
        std::vector<PointF> ring;
        const float l = cx - hw, r = cx + hw, t = cy - hh, b = cy + hh;
        for (int i = 0; i < 4; ++i)
            ring.push_back({l + (r - l) * float(i) / 4, b});
        for (int i = 0; i < 4; ++i)
            ring.push_back({r, b + (t - b) * float(i) / 4});
        for (int i = 0; i < 4; ++i)
            ring.push_back({r + (l - r) * float(i) / 4, t});
        for (int i = 0; i < 4; ++i)
            ring.push_back({l, t + (b - t) * float(i) / 4});
        const PointF base{cx, cy + (hw - hh) * 4 / 5};
        for (int i = 0; i < 16; ++i) {
            const PointF p = ring[std::size_t(i)], q = ring[std::size_t((i + 1) % 16)];
            spikes_.push_back({p, q, {cx, cy}});
            centroids_.push_back({(p.x + q.x + cx) / 3, (p.y + q.y + cy) / 3});
            const Affine turn = Affine::rotateAbout(0.57595865f - 0.38397244f * float(i), cx, cy);
            targets_.push_back({base.x * turn.a + base.y * turn.c + turn.e, base.x * turn.b + base.y * turn.d + turn.f});
        }
    }
    if (effect_ == AnimationEffectType::Fireworks) {
        const PointF base{cx, cy + (hw - hh) * 5 / 3};
        for (int d = 0; d < blasts; ++d) {
            const Affine turn = Affine::rotateAbout(kTwoPi * float(d) / float(blasts), cx, cy);
            origins_.push_back({base.x * turn.a + base.y * turn.c + turn.e, base.x * turn.b + base.y * turn.d + turn.f});
        }
    }
}

std::vector<AnimationFigures::Figure> AnimationFigures::figures(int k) const
{
    const float n = float(steps_), t = float(k) / n;
    auto apply = [](const Figure& in, const Affine& m) {
        Figure out;
        for (const PointF& p : in)
            out.push_back({p.x * m.a + p.y * m.c + m.e, p.x * m.b + p.y * m.d + m.f});
        return out;
    };
    auto rect = [](float x, float y, float rx, float ry) {
        return Figure{{x - rx, y - ry}, {x + rx, y - ry}, {x + rx, y + ry}, {x - rx, y + ry}};
    };
    std::vector<Figure> result;
    switch (effect_) {
    case AnimationEffectType::Spin:
        result.push_back(apply(rect(cx_, cy_, hw_, hh_), Affine::scaleAbout(t, cx_, cy_).then(Affine::rotateAbout(
                                                             (float(k) - n) * angle_ / n, cx_, cy_))));
        break;
    case AnimationEffectType::Vortex: {
        const float pull = 4 * (n - float(k)) / (3 * n);
        Figure f = apply(rect(cx_ + hw_ * pull, cy_ + hh_ * pull, t * hw_, t * hh_),
                         Affine::rotateAbout(float(k) * angle_ / n, cx_, cy_));
        const Affine next = Affine::rotateAbout(1.2566371f, cx_, cy_);
        for (int i = 0; i < 5; ++i) {
            result.push_back(f);
            f = apply(f, next);
        }
        break;
    }
    case AnimationEffectType::ScatterGather: {
        const float spread = (3 * n - 2 * float(k)) / n;
        for (int i = 0; i < 6; ++i)
            for (int j = 0; j < 6; ++j)
                result.push_back(rect(cx_ + float(2 * i - 5) * hw_ / 6 * spread,
                                      cy_ + float(2 * j - 5) * hh_ / 6 * spread, float(k) * hw_ / (n * angle_),
                                      float(k) * hh_ / (n * angle_)));
        break;
    }
    case AnimationEffectType::Spike:
        for (std::size_t i = 0; i < spikes_.size(); ++i) {
            const PointF c = centroids_[i], to = targets_[i];
            Affine m = Affine::scaleAbout(t, c.x, c.y);
            if (2 * k < steps_) {
                m = m.then(Affine::rotateAbout((1 - 2 * float(k) / n) * angle_, c.x, c.y))
                        .then(Affine::translate(to.x - c.x, to.y - c.y));
            } else {
                const float u = (2 * float(k) - n) / n;
                m = m.then(Affine::translate((1 - u) * (to.x - c.x), (1 - u) * (to.y - c.y)));
            }
            result.push_back(apply(spikes_[i], m));
        }
        break;
    case AnimationEffectType::Fireworks:
        for (const PointF& o : origins_)
            result.push_back(apply(rect(0, 0, hw_, hh_), Affine::rotateAbout((1 - t) * angle_, 0, 0)
                                                             .then({t, 0, 0, t, 0, 0})
                                                             .then(Affine::translate(t * cx_ + (1 - t) * o.x,
                                                                                     t * cy_ + (1 - t) * o.y))));
        break;
    case AnimationEffectType::Random:
        break;
    }
    return result;
}

std::vector<QPolygon> AnimationFigures::step(int k) const
{
    std::vector<QPolygon> result;
    for (const Figure& f : figures(k)) {
        QPolygon polygon;
        for (const PointF& p : f)
            polygon << QPoint(int(p.x), int(p.y));  // truncated, as drawn
        bool collapsed = true;
        for (const QPoint& p : polygon)
            collapsed = collapsed && p == polygon.first();
        if (polygon.isEmpty() || collapsed)
            continue;
        polygon << polygon.first();
        result.push_back(polygon);
    }
    return result;
}

std::vector<int> AnimationFigures::drawOrder(bool show, int steps, int frames)
{
    std::vector<int> order;
    int last = 0;
    if (show) {
        for (int i = 0; i <= steps + frames; ++i) {
            if (i < steps)
                order.push_back(last = i);
            if (i >= frames)
                order.push_back(last = i - frames);
        }
    } else {
        for (int i = steps + frames - 1; i >= 0; --i) {
            if (i >= frames)
                order.push_back(last = i - frames);
            if (i < steps)
                order.push_back(last = i);
        }
    }
    order.push_back(last);  // the last step once more, so the screen is left as it was
    return order;
}
