#include "TabfFormEffect.h"

#include "platform/Errors.h"

#include <QElapsedTimer>
#include <QMouseEvent>
#include <QPointer>
#include <QRandomGenerator>

#include <cstdlib>

namespace {

const char kClassName[] = "TabfFormEffect";

FramedWindow* checkedOwner(QObject* owner)
{
    auto* form = qobject_cast<FramedWindow*>(owner);
    if (!form)
        throw EInvalidOperation(
            Exception::format(QStringLiteral("The owner of the %s component is not a TForm descendant"),
                              QString::fromLatin1(kClassName)));
    if (form->findChild<TabfFormEffect*>(QString(), Qt::FindDirectChildrenOnly))
        throw EInvalidOperation(
            QStringLiteral("The %1 component or its descendant is already present on the form. Only one %1 "
                           "component or its descendant is allowed on the form at the same time")
                .arg(QString::fromLatin1(kClassName)));
    return form;
}

}  // namespace

TabfFormEffect::TabfFormEffect(QObject* owner) : FormHookComponent(checkedOwner(owner))
{
    form()->client()->installEventFilter(this);
}

TabfFormEffect::~TabfFormEffect() { shakingNow_ = false; }

void TabfFormEffect::windowDestroyed()
{
    form()->client()->removeEventFilter(this);
    FormHookComponent::windowDestroyed();
    shakingNow_ = false;
    stepper_.stop();
}

void TabfFormEffect::setShakeInterval(unsigned ms)
{
    shaking_.interval = ms;
    shakingNow_ = false;
}

void TabfFormEffect::setShakeTime(unsigned ms)
{
    shaking_.time = ms;
    shakingNow_ = false;
}

void TabfFormEffect::shake()
{
    if (!form() || shakingNow_)
        return;
    shakingNow_ = true;
    if (OnShakingBegin)
        OnShakingBegin();
    const QPoint home = form()->pos();
    QElapsedTimer clock;
    clock.start();
    bool moved = false;
    auto* random = QRandomGenerator::global();
    const QPointer<TabfFormEffect> self(this);  // events may delete it meanwhile
    // The first move comes at once; each later step ends the shake once the
    // time is up, so a shake of no time moves once and waits one interval.
    stepper_.run(int(shaking_.interval), [&] {
        if (!form() || !shakingNow_ || (moved && clock.elapsed() >= qint64(shaking_.time)))
            return false;
        const int amplitude = int(shaking_.amplitude);
        const int dx = amplitude > 0 ? random->bounded(1, amplitude + 1) : 0;
        const int dy = amplitude > 0 ? random->bounded(1, amplitude + 1) : 0;
        form()->move(home + QPoint(dx, dy));
        moved = true;
        return true;
    });
    if (!self)
        return;
    // Also when the wait ended early (the program is quitting).
    stepper_.stop();
    if (form())
        form()->move(home);
    shakingNow_ = false;
    if (OnShakingEnd)
        OnShakingEnd();
}

void TabfFormEffect::setRollHeight(int height)
{
    rolling_.height = height;
    unrolledHeight_ = 0;
    rolledUp_ = false;
}

void TabfFormEffect::roll(bool up)
{
    if (!form() || up == rolledUp_)
        return;
    if (up) {
        if (unrolledHeight_ == 0)
            unrolledHeight_ = form()->clientHeight();
        rolledUp_ = true;
        changeClientHeight(unrolledHeight_, rolling_.height, true);
        if (OnRolling)
            OnRolling();
    } else {
        rolledUp_ = false;
        changeClientHeight(rolling_.height, unrolledHeight_, false);
        if (OnUnRolling)
            OnUnRolling();
    }
}

void TabfFormEffect::changeClientHeight(int from, int to, bool up)
{
    const int width = form()->clientWidth();
    if (rolling_.animate) {
        const int d = to - from;
        const int delay = std::max(1, rolling_.delay);
        int step = d / (3 * delay);
        if (step == 0)
            step = d < 0 ? -2 : 2;
        int s = 0;
        const QPointer<TabfFormEffect> self(this);
        stepper_.run(5 * delay, [&] {
            // Rolled the other way meanwhile: stop where it is.
            if (!form() || rolledUp_ != up || std::abs(s) >= std::abs(d))
                return false;
            form()->setClientSize(width, from + s);
            s += step;
            return true;
        });
        if (!self)
            return;
        stepper_.stop();
    }
    if (form() && rolledUp_ == up)
        form()->setClientSize(width, to);
}

// The minimize command rolls the window up instead.
bool TabfFormEffect::minimizing()
{
    if (!active_ || !rolling_.onMinMax || rolledUp_)
        return false;
    roll(true);
    return true;
}

bool TabfFormEffect::eventFilter(QObject* watched, QEvent* event)
{
    if (!active_ || !autoDrag_ || !form() || watched != form()->client())
        return QObject::eventFilter(watched, event);
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseMove && type != QEvent::MouseButtonRelease)
        return QObject::eventFilter(watched, event);
    auto* mouse = static_cast<QMouseEvent*>(event);
    switch (type) {
    case QEvent::MouseButtonPress:
        if (mouse->button() != Qt::LeftButton)
            break;
        dragging_ = true;
        dragStartGlobal_ = mouse->globalPosition().toPoint();
        dragStartGeometry_ = form()->geometry();
        return true;
    case QEvent::MouseMove:
        if (!dragging_)
            break;
        form()->moveByUser(dragStartGeometry_.translated(mouse->globalPosition().toPoint() - dragStartGlobal_));
        return true;
    case QEvent::MouseButtonRelease:
        if (!dragging_ || mouse->button() != Qt::LeftButton)
            break;
        dragging_ = false;
        form()->endUserMove();
        return true;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}
