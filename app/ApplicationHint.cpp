#include "ApplicationHint.h"

#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QMenu>
#include <QMenuBar>

namespace {
const char kHintProperty[] = "kaleidorHint";
}

ApplicationHint::ApplicationHint(QWidget* window) : QObject(window), window_(window)
{
    qApp->installEventFilter(this);
}

ApplicationHint::~ApplicationHint() { qApp->removeEventFilter(this); }

void ApplicationHint::setHint(QWidget* control, const QString& hint) { control->setProperty(kHintProperty, hint); }

QString ApplicationHint::hintOf(const QWidget* control)
{
    for (const QWidget* w = control; w; w = w->parentWidget()) {
        const QString hint = w->property(kHintProperty).toString();
        if (!hint.isEmpty())
            return hint;
        if (w->isWindow())
            break;
    }
    return {};
}

QString ApplicationHint::longHint(const QString& hint)
{
    const qsizetype bar = hint.indexOf(u'|');
    return bar < 0 ? hint : hint.mid(bar + 1);
}

void ApplicationHint::setCurrent(const QString& hint)
{
    if (hint == current_)
        return;
    current_ = hint;
    emit changed(hint);
}

void ApplicationHint::watchMenu(QMenu* menu)
{
    connect(menu, &QMenu::hovered, this, [this](QAction* item) { setCurrent(item->statusTip()); });
}

void ApplicationHint::watchMenuBar(QMenuBar* bar)
{
    connect(bar, &QMenuBar::hovered, this, [this](QAction* item) { setCurrent(item->statusTip()); });
}

bool ApplicationHint::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if ((type == QEvent::Enter || type == QEvent::Leave) && watched->isWidgetType() && window_) {
        auto* widget = static_cast<QWidget*>(watched);
        if (widget->window() == window_) {
            // Leaving a control puts the mouse back over its parent.
            const QWidget* under = type == QEvent::Enter || widget->isWindow() ? widget : widget->parentWidget();
            setCurrent(type == QEvent::Leave && widget->isWindow() ? QString() : hintOf(under));
        }
    }
    return QObject::eventFilter(watched, event);
}
