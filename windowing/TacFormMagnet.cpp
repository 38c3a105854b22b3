#include "TacFormMagnet.h"

#include <QGuiApplication>
#include <QPointer>
#include <QScreen>

#include <algorithm>

namespace {

// Every magnet of the process in creation order: the order in which the
// candidates are searched.
std::vector<TacFormMagnet*>& allMagnets()
{
    static std::vector<TacFormMagnet*> magnets;
    return magnets;
}

MagnetRect boundsOf(const FramedWindow* w) { return MagnetRect::fromQRect(w->geometry()); }

}  // namespace

TacFormMagnet::TacFormMagnet(QObject* owner) : TacFormHookComponent(owner) { allMagnets().push_back(this); }

TacFormMagnet::~TacFormMagnet()
{
    auto& magnets = allMagnets();
    magnets.erase(std::remove(magnets.begin(), magnets.end(), this), magnets.end());
    for (TacFormMagnet* m : magnets)
        m->glued_.erase(std::remove_if(m->glued_.begin(), m->glued_.end(),
                                       [this](const Glued& g) { return g.magnet == this; }),
                        m->glued_.end());
}

void TacFormMagnet::windowDestroyed()
{
    TacFormHookComponent::windowDestroyed();
    glued_.clear();
}

void TacFormMagnet::setActive(bool on)
{
    const bool was = active_;
    active_ = on;
    if (on && !was)
        dockNow();
}

std::vector<TacFormMagnet*> TacFormMagnet::others() const
{
    std::vector<TacFormMagnet*> result;
    for (TacFormMagnet* m : allMagnets())
        if (m != this && m->active_ && m->form() && m->form() != form() && m->form()->isVisible())
            result.push_back(m);
    return result;
}

bool TacFormMagnet::isGlued(const TacFormMagnet* magnet) const
{
    return std::any_of(glued_.begin(), glued_.end(), [magnet](const Glued& g) { return g.magnet == magnet; });
}

MagnetRect TacFormMagnet::area() const
{
    QScreen* screen = form()->screen() ? form()->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return boundsOf(form());
    return MagnetRect::fromQRect(area_ == Area::FullScreen ? screen->geometry() : screen->availableGeometry());
}

MagnetRect TacFormMagnet::compute(MagnetRect r, bool snap)
{
    const int w = form()->width(), h = form()->height();
    if (snap) {
        std::vector<TacFormMagnet*> candidates;
        for (TacFormMagnet* m : others())
            if (!isGlued(m))
                candidates.push_back(m);
        std::vector<MagnetRect> rects;
        for (TacFormMagnet* m : candidates)
            rects.push_back(boundsOf(m->form()));
        r = magnetSnap(r, w, h, area(), rects, params_, [&](std::size_t i) {
            bool allow = true;
            if (OnMagnet)
                OnMagnet(this, candidates[i]->form(), allow);
            return allow;
        });
    }
    if (params_.glue) {
        for (TacFormMagnet* m : others()) {
            const auto it = std::find_if(glued_.begin(), glued_.end(), [m](const Glued& g) { return g.magnet == m; });
            if (it == glued_.end())
                continue;
            // Its own magnet must not snap it while this one places it.
            m->movingByGlue_ = true;
            m->form()->move(r.left + it->offset.x(), r.top + it->offset.y());
            m->movingByGlue_ = false;
        }
    }
    return r;
}

void TacFormMagnet::buildGlueList()
{
    glued_.clear();
    const MagnetRect self = boundsOf(form());
    for (TacFormMagnet* m : others()) {
        const MagnetRect other = boundsOf(m->form());
        if (!magnetTouches(self, other))
            continue;
        bool allow = true;
        if (OnGlue)
            OnGlue(this, m->form(), allow);
        if (allow)
            glued_.push_back({m, QPoint(other.left - self.left, other.top - self.top)});
    }
}

void TacFormMagnet::moving(QRect& proposed)
{
    if (!active_ || movingByGlue_ || !form())
        return;
    if (!dragStarted_) {
        if (params_.glue)
            buildGlueList();
        dragStarted_ = true;
    }
    const MagnetRect r = compute(MagnetRect::fromQRect(proposed), dockOnMoving_);
    proposed.moveTo(r.left, r.top);
    if (OnDragMove)
        OnDragMove(this);
}

void TacFormMagnet::moveEnded()
{
    dragStarted_ = false;
    glued_.clear();
    if (!active_ || movingByGlue_ || dockOnMoving_ || !form())
        return;
    if (params_.glue)
        buildGlueList();
    dockNow();
    glued_.clear();
}

void TacFormMagnet::dockNow()
{
    if (!form())
        return;
    const MagnetRect r = compute(boundsOf(form()), true);
    form()->move(r.left, r.top);
}
