#pragma once
// The popup kinds of the styled menu: a popup menu with the look of its top
// level, and the application menu. On Linux desktops the task-bar button's
// window menu cannot be replaced, so the application menu is a popup menu
// like the other.
#include "TAHMMenu.h"

class TAHMPopupMenu : public TAHMMenu {
    Q_OBJECT
public:
    using TAHMMenu::TAHMMenu;
    TAHMSubMenu PopupDetails;
    const TAHMSubMenu& details() const override { return PopupDetails; }
};

class TAHMApplicationMenu : public TAHMPopupMenu {
    Q_OBJECT
public:
    using TAHMPopupMenu::TAHMPopupMenu;
};
