#include "TabfTrayIcon.h"

#include "SafeCall.h"

#include <QCursor>
#include <QEvent>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QTimer>

TabfTrayIcon::TabfTrayIcon(FramedWindow* owner) : QObject(owner), owner_(owner), tray_(new QSystemTrayIcon(this))
{
    connect(tray_, &QSystemTrayIcon::activated, this, guarded([this](QSystemTrayIcon::ActivationReason reason) {
                switch (reason) {
                case QSystemTrayIcon::Trigger: leftClick(); break;
                case QSystemTrayIcon::Context: rightClick(); break;
                case QSystemTrayIcon::DoubleClick: doubleClick(); break;
                default: break;
                }
            }));
    if (owner) {
        owner->addHook(this);
        owner->installEventFilter(this);
    }
}

TabfTrayIcon::~TabfTrayIcon()
{
    if (owner_)
        owner_->removeHook(this);
    // Going away with the program: the icon leaves the tray, nothing is restored.
    tray_->hide();
}

void TabfTrayIcon::setHint(const QString& text)
{
    const QString cut = text.left(kMaxHintLength);
    if (cut == hint_)
        return;
    hint_ = cut;
    updateToolTip();
}

void TabfTrayIcon::setShowHint(bool on)
{
    if (on == showHint_)
        return;
    showHint_ = on;
    updateToolTip();
}

QString TabfTrayIcon::toolTip() const { return showHint_ ? hint_ : QString(); }

void TabfTrayIcon::updateToolTip() { tray_->setToolTip(toolTip()); }

void TabfTrayIcon::setIcon(const QIcon& icon)
{
    icon_ = icon;
    tray_->setIcon(icon);
}

void TabfTrayIcon::setVisible(bool on)
{
    if (on == visible_)
        return;
    visible_ = on;
    if (on) {
        tray_->show();
        if (OnShow)
            OnShow();
        return;
    }
    tray_->hide();
    if (OnHide)
        OnHide();
    // Without the icon a main window hidden in the tray could never come back.
    if (owner_ && !owner_->isVisible())
        showMainWindow();
}

void TabfTrayIcon::windowDestroyed()
{
    owner_->removeEventFilter(this);
    owner_ = nullptr;
}

bool TabfTrayIcon::hostAvailable() const { return QSystemTrayIcon::isSystemTrayAvailable(); }

void TabfTrayIcon::leftClick()
{
    if (!enabled_)
        return;
    if (OnClick)
        OnClick();
    if (popupByLeft_)
        popup();
}

void TabfTrayIcon::rightClick()
{
    if (enabled_)
        popup();
}

void TabfTrayIcon::doubleClick()
{
    if (!enabled_)
        return;
    if (popupMenu_ && !popupByLeft_) {
        if (QAction* item = popupMenu_->defaultAction()) {
            item->trigger();
            if (OnDblClick)
                OnDblClick();
            if (owner_ && owner_->isVisible())
                owner_->activateWindow();
            return;
        }
    }
    if (owner_) {
        if (minimizeToTray_ && owner_->isVisible())
            hideMainWindow();
        else
            showMainWindow();
    }
    if (OnDblClick)
        OnDblClick();
}

void TabfTrayIcon::popup()
{
    if (!popupMenu_)
        return;
    if (owner_ && owner_->isVisible())
        owner_->activateWindow();
    popupMenu_->popup(QCursor::pos());
    if (OnPopupMenu)
        OnPopupMenu();
}

void TabfTrayIcon::showMainWindow()
{
    if (!owner_)
        return;
    owner_->setWindowState(owner_->windowState() & ~Qt::WindowMinimized);
    owner_->show();
    owner_->raise();
    owner_->activateWindow();
}

void TabfTrayIcon::hideMainWindow()
{
    if (owner_)
        owner_->hide();
}

void TabfTrayIcon::minimizeStep()
{
    hideMainWindow();
    setVisible(true);
    if (OnMinimize)
        OnMinimize();
}

// Our own minimize command. Without a notification area the window is
// minimized the ordinary way: hiding it there would leave no way back.
bool TabfTrayIcon::minimizing()
{
    if (!minimizeToTray_ || !hostAvailable())
        return false;
    minimizeStep();
    return true;
}

// Minimizing through the window manager (task bar, keyboard).
bool TabfTrayIcon::eventFilter(QObject* watched, QEvent* event)
{
    if (owner_ && watched == owner_ && event->type() == QEvent::WindowStateChange && owner_->isMinimized() &&
        minimizeToTray_ && hostAvailable()) {
        // Hiding a window inside its own state change confuses some window managers.
        QTimer::singleShot(0, this, guarded([this] {
                               if (owner_ && owner_->isMinimized())
                                   minimizeStep();
                           }));
    }
    return QObject::eventFilter(watched, event);
}
