#include "TacAnimationEffect.h"

#include <QBitmap>
#include <QGuiApplication>
#include <QPainter>
#include <QPointer>
#include <QRandomGenerator>
#include <QScreen>

#include <algorithm>
#include <map>

// A borderless window above all others, transparent for input, whose shape
// is exactly the outlines it shows.
class AnimationOverlay : public QWidget {
public:
    explicit AnimationOverlay(const QRect& bounds)
        : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                               Qt::X11BypassWindowManagerHint | Qt::WindowTransparentForInput |
                               Qt::WindowDoesNotAcceptFocus)
    {
        setObjectName(QStringLiteral("animationOverlay"));
        setAttribute(Qt::WA_ShowWithoutActivating);
        setGeometry(bounds);
    }

    // Marks a step to draw: shown when it is off, taken off when it is on.
    // Nothing changes on screen before reshape().
    void toggle(int step, const std::vector<QPolygon>& polygons)
    {
        if (polygons.empty())
            return;
        if (shown_.erase(step) == 0)
            shown_.emplace(step, polygons);
    }

    // Shapes the window to the steps marked on: one shape however many
    // steps changed since the last one.
    void reshape()
    {
        if (shown_.empty()) {
            hide();
            return;
        }
        QBitmap shape(size());
        shape.fill(Qt::color0);
        QPainter p(&shape);
        p.setPen(QPen(Qt::color1, 1));
        for (const auto& [number, figure] : shown_)
            for (const QPolygon& polygon : figure)
                p.drawPolyline(polygon.translated(-pos()));
        p.end();
        setMask(shape);
        if (!isVisible())
            show();
        update();
    }

    bool empty() const { return shown_.empty(); }

protected:
    void paintEvent(QPaintEvent*) override
    {
        // Black and white in turn along every line: an inverted outline
        // shows on any background, and so does this one.
        QPainter p(this);
        p.fillRect(rect(), Qt::black);
        p.fillRect(rect(), QBrush(Qt::white, Qt::Dense4Pattern));
    }

private:
    std::map<int, std::vector<QPolygon>> shown_;
};

TacAnimationEffect::TacAnimationEffect(QObject* owner) : TacFormHookComponent(owner) {}

TacAnimationEffect::~TacAnimationEffect() { stepper_.stop(); }

QWidget* TacAnimationEffect::overlay() const { return overlay_.get(); }

void TacAnimationEffect::play(bool show)
{
    if (!form())
        return;
    stepper_.stop();
    if (show ? OnShowEffect : OnCloseEffect)
        (show ? OnShowEffect : OnCloseEffect)();
    const QRect g = form()->geometry();
    const float cx = float(g.x()) + float(g.width()) / 2, cy = float(g.y()) + float(g.height()) / 2;
    AnimationEffectType effect = effectType;
    if (effect == AnimationEffectType::Random)
        effect = AnimationEffectType(QRandomGenerator::global()->bounded(1, 6));
    lastEffect_ = effect;
    auto figures = std::make_shared<AnimationFigures>(effect, std::max(1, steps), cx, cy, float(g.width()) / 2,
                                                      float(g.height()) / 2, fireworkBlasts);
    const auto order = std::make_shared<std::vector<int>>(AnimationFigures::drawOrder(show, steps, frames));
    // The overlay covers every figure of the run, within the screens.
    QRect bounds;
    for (int k = 0; k <= steps; ++k)
        for (const QPolygon& polygon : figures->step(k))
            bounds |= polygon.boundingRect().adjusted(0, 0, 1, 1);
    QRect desktop;
    for (QScreen* s : QGuiApplication::screens())
        desktop |= s->geometry();
    bounds &= desktop;
    if (bounds.isEmpty())
        return;
    overlay_ = std::make_unique<AnimationOverlay>(bounds);
    auto next = std::make_shared<std::size_t>(0);
    const int interval = std::max(1, (delay * 50 + 500) / 1000);
    const int length = int(order->size()) * interval;
    const QPointer<TacAnimationEffect> self(this);
    // Each step is due at its time in the run; the steps that came due
    // since the last tick are drawn together, so a slow screen draws fewer
    // pictures, never for longer.
    stepper_.startTimed(interval, length, [this, figures, order, next](double share) {
        if (!overlay_)
            return;
        const std::size_t due = std::min(order->size(), std::size_t(share * double(order->size())) + 1);
        const bool changed = *next < due;
        for (; *next < due; ++*next) {
            const int k = (*order)[*next];
            overlay_->toggle(k, figures->step(k));
        }
        if (share >= 1)
            overlay_.reset();
        else if (changed)
            overlay_->reshape();
    });
    if (show)
        stepper_.wait();
    if (self && show) {
        stepper_.stop();
        overlay_.reset();
    }
}

void TacAnimationEffect::aboutToShow()
{
    if (animateOnShow)
        play(true);
}

void TacAnimationEffect::hidden()
{
    if (animateOnHide)
        play(false);
}
