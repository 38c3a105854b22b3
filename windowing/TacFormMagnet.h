#pragma once
// The window magnet: while its window is dragged by the caption, the window
// snaps to the edges of the screen's work area and of the other visible
// magnet windows; with Glue on, windows that touched it when the drag began
// move along with it. The settings dialog switches all magnets with Active.
#include "MagnetGeometry.h"
#include "TacFormHookComponent.h"

#include <functional>
#include <vector>

class TacFormMagnet : public TacFormHookComponent {
    Q_OBJECT
public:
    enum class Area { WorkArea, FullScreen };

    explicit TacFormMagnet(QObject* owner);
    ~TacFormMagnet() override;

    bool active() const { return active_; }
    // Switching it on snaps the window at once.
    void setActive(bool on);
    bool glue() const { return params_.glue; }
    void setGlue(bool on) { params_.glue = on; }
    int power() const { return params_.power; }
    void setPower(int pixels) { params_.power = pixels; }
    int screenPower() const { return params_.screenPower; }
    void setScreenPower(int pixels) { params_.screenPower = pixels; }
    MagnetEdges screenEdges() const { return params_.edges; }
    void setScreenEdges(MagnetEdges edges) { params_.edges = edges; }
    Area screenArea() const { return area_; }
    void setScreenArea(Area area) { area_ = area; }
    // On: the window snaps while it moves; off: once, when the move ends.
    bool dockOnMoving() const { return dockOnMoving_; }
    void setDockOnMoving(bool on) { dockOnMoving_ = on; }

    // Snaps the window where it stands (and moves its glued windows).
    void dockNow();

    // Asked before another window joins the glue list, and before an edge
    // that crossed another window's edge is pulled back onto it.
    std::function<void(TacFormMagnet* sender, FramedWindow* another, bool& allow)> OnGlue, OnMagnet;
    std::function<void(TacFormMagnet* sender)> OnDragMove;

private:
    struct Glued {
        TacFormMagnet* magnet;
        QPoint offset;  // its top-left minus this window's
    };

    void moving(QRect& proposed) override;
    void moveEnded() override;
    void windowDestroyed() override;

    // Visible, active magnet windows other than this one, in creation order.
    std::vector<TacFormMagnet*> others() const;
    MagnetRect area() const;
    MagnetRect compute(MagnetRect r, bool snap);
    void buildGlueList();
    bool isGlued(const TacFormMagnet* magnet) const;

    MagnetParams params_;
    Area area_ = Area::WorkArea;
    bool active_ = true;
    bool dockOnMoving_ = true;
    bool dragStarted_ = false;
    bool movingByGlue_ = false;
    std::vector<Glued> glued_;
};
