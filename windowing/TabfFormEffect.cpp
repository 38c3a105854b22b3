#include "TabfFormEffect.h"

#include "platform/Errors.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QRandomGenerator>
#include <QThread>

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

// Waits while the program goes on handling its events.
void waitHandlingEvents(unsigned ms)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < qint64(ms))
        QApplication::processEvents(QEventLoop::AllEvents, int(ms - unsigned(clock.elapsed())));
}

}  // namespace

TabfFormEffect::TabfFormEffect(QObject* owner) : QObject(checkedOwner(owner)), form_(static_cast<FramedWindow*>(owner))
{
    form_->addHook(this);
    form_->client()->installEventFilter(this);
}

TabfFormEffect::~TabfFormEffect()
{
    shakingNow_ = false;
    if (form_)
        form_->removeHook(this);
}

void TabfFormEffect::windowDestroyed()
{
    form_->client()->removeEventFilter(this);
    form_ = nullptr;
    shakingNow_ = false;
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
    if (!form_ || shakingNow_)
        return;
    shakingNow_ = true;
    if (OnShakingBegin)
        OnShakingBegin();
    const QPoint home = form_->pos();
    // Events are handled while it shakes, so the window or this component may
    // go away meanwhile; and the window goes back to its place however the
    // loop ends.
    const QPointer<TabfFormEffect> self(this);
    struct PutBack {
        const QPointer<TabfFormEffect>& self;
        QPoint home;
        ~PutBack()
        {
            if (!self)
                return;
            if (self->form_)
                self->form_->move(home);
            self->shakingNow_ = false;
        }
    } putBack{self, home};
    QElapsedTimer clock;
    clock.start();
    auto* random = QRandomGenerator::global();
    while (self && form_ && shakingNow_) {
        const int amplitude = int(shaking_.amplitude);
        const int dx = amplitude > 0 ? random->bounded(1, amplitude + 1) : 0;
        const int dy = amplitude > 0 ? random->bounded(1, amplitude + 1) : 0;
        form_->move(home + QPoint(dx, dy));
        waitHandlingEvents(shaking_.interval);
        if (!self || clock.elapsed() >= qint64(shaking_.time))
            break;
    }
    if (self && form_)
        form_->move(home);
    if (self && OnShakingEnd)
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
    if (!form_ || up == rolledUp_)
        return;
    if (up) {
        if (unrolledHeight_ == 0)
            unrolledHeight_ = form_->clientHeight();
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
    const int width = form_->clientWidth();
    if (rolling_.animate) {
        const int d = to - from;
        const int delay = std::max(1, rolling_.delay);
        int step = d / (3 * delay);
        if (step == 0)
            step = d < 0 ? -2 : 2;
        for (int s = 0; std::abs(s) < std::abs(d); s += step) {
            if (!form_ || rolledUp_ != up)
                return;  // rolled the other way meanwhile
            form_->setClientSize(width, from + s);
            if (up)
                QThread::msleep(5 * delay);
            else
                waitHandlingEvents(unsigned(5 * delay));
        }
    }
    if (form_ && rolledUp_ == up)
        form_->setClientSize(width, to);
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
    if (!active_ || !autoDrag_ || !form_ || watched != form_->client())
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
        dragStartGeometry_ = form_->geometry();
        return true;
    case QEvent::MouseMove:
        if (!dragging_)
            break;
        form_->moveByUser(dragStartGeometry_.translated(mouse->globalPosition().toPoint() - dragStartGlobal_));
        return true;
    case QEvent::MouseButtonRelease:
        if (!dragging_ || mouse->button() != Qt::LeftButton)
            break;
        dragging_ = false;
        form_->endUserMove();
        return true;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}
