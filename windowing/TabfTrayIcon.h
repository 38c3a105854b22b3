#pragma once
// The program's icon in the desktop's notification area. It opens its popup
// menu, turns a double click into hiding or showing the main window, and can
// take the main window's minimizing over: the window then leaves the screen
// and the task bar and only the icon stays.
#include "FramedWindow.h"

#include <QIcon>
#include <QMenu>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

class QSystemTrayIcon;

class TabfTrayIcon : public QObject, private FrameHook {
    Q_OBJECT
public:
    static constexpr int kMaxHintLength = 63;

    // owner is the main window the icon hides and restores.
    explicit TabfTrayIcon(FramedWindow* owner);
    ~TabfTrayIcon() override;

    QString hint() const { return hint_; }
    void setHint(const QString& text);  // longer texts are cut to kMaxHintLength
    bool showHint() const { return showHint_; }
    void setShowHint(bool on);
    QString toolTip() const;  // what the desktop shows when pointed at

    QIcon icon() const { return icon_; }
    void setIcon(const QIcon& icon);

    bool visible() const { return visible_; }
    void setVisible(bool on);

    // While disabled, mouse actions on the icon are ignored.
    bool enabled() const { return enabled_; }
    void setEnabled(bool on) { enabled_ = on; }

    bool minimizeToTray() const { return minimizeToTray_; }
    void setMinimizeToTray(bool on) { minimizeToTray_ = on; }

    // Our own menu, opened at the pointer; it is not handed to the desktop.
    QMenu* popupMenu() const { return popupMenu_; }
    void setPopupMenu(QMenu* menu) { popupMenu_ = menu; }
    bool popupByLeft() const { return popupByLeft_; }
    void setPopupByLeft(bool on) { popupByLeft_ = on; }

    std::function<void()> OnClick, OnDblClick, OnMinimize, OnPopupMenu, OnShow, OnHide;

    // Mouse actions on the icon (the notification area reports them).
    void leftClick();
    void rightClick();
    void doubleClick();

    // Hides the main window into the tray: the icon is shown even when it was hidden.
    void minimizeStep();
    void showMainWindow();
    void hideMainWindow();

    // True when the desktop has a notification area to put the icon in.
    virtual bool hostAvailable() const;

    QSystemTrayIcon* systemTrayIcon() const { return tray_; }

private:
    bool minimizing() override;
    void windowDestroyed() override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void popup();
    void updateToolTip();

    FramedWindow* owner_;  // cleared when the window goes away
    QSystemTrayIcon* tray_;
    QPointer<QMenu> popupMenu_;
    QIcon icon_;
    QString hint_;
    bool showHint_ = true;
    bool visible_ = false;
    bool enabled_ = true;
    bool minimizeToTray_ = false;
    bool popupByLeft_ = false;
};
