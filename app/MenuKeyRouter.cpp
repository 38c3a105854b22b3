#include "MenuKeyRouter.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

MenuKeyRouter::MenuKeyRouter(QWidget* window, QList<QAction*> actions) : QObject(window), window_(window)
{
    for (QAction* a : actions)
        actions_.append(a);
    qApp->installEventFilter(this);
}

MenuKeyRouter::~MenuKeyRouter() { qApp->removeEventFilter(this); }

QAction* MenuKeyRouter::actionFor(const QKeyEvent* key) const
{
    if ((key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
        return nullptr;
    const QKeySequence pressed(key->key());
    for (const QPointer<QAction>& a : actions_)
        if (a && a->isEnabled() && a->shortcut() == pressed)
            return a;
    return nullptr;
}

bool MenuKeyRouter::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::ShortcutOverride && type != QEvent::KeyPress)
        return QObject::eventFilter(watched, event);
    // Only while the window itself is in front: an open menu or a dialog keeps its keys.
    if (!window_ || !watched->isWidgetType() || static_cast<QWidget*>(watched)->window() != window_ ||
        QApplication::activeWindow() != window_ || QApplication::activePopupWidget() ||
        QApplication::activeModalWidget())
        return QObject::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    QAction* action = actionFor(key);
    if (!action)
        return QObject::eventFilter(watched, event);
    if (type == QEvent::ShortcutOverride) {
        // Claim the key so that the press comes to us instead of the shortcut map.
        key->accept();
        return true;
    }
    action->trigger();
    return true;
}
