#include "windowing/OnScreenPainting.h"

#include <QEvent>
#include <QScreen>
#include <QWidget>

OnScreenPainting::OnScreenPainting(QWidget* widget) : QObject(widget), widget_(widget) {}

QRect OnScreenPainting::onScreen() const
{
    const QScreen* shown = widget_->screen();
    if (!shown)
        return widget_->rect();
    const QRect desktop = shown->virtualGeometry();
    return widget_->rect() & QRect(widget_->mapFromGlobal(desktop.topLeft()), desktop.size());
}

QRegion OnScreenPainting::paintArea(const QRegion& asked)
{
    // The widget is moved with its top-level; the window it is in may change.
    if (widget_->window() != watchedWindow_) {
        if (watchedWindow_)
            watchedWindow_->removeEventFilter(this);
        watchedWindow_ = widget_->window();
        watchedWindow_->installEventFilter(this);
    }
    const QRegion area = asked & onScreen();
    painted_ += area;
    return area;
}

bool OnScreenPainting::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == watchedWindow_ && (event->type() == QEvent::Move || event->type() == QEvent::ScreenChangeInternal)) {
        const QRegion missing = QRegion(onScreen()) - painted_;
        if (!missing.isEmpty())
            widget_->update(missing);
    }
    return QObject::eventFilter(watched, event);
}
