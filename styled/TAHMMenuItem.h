#pragma once
// An item of a styled menu. Plain actions serve as items too; this one adds
// what only styled menus know: a divider with a caption, and a notice when
// the pointer moves onto it.
#include <QAction>

#include <functional>

class TAHMMenuItem : public QAction {
    Q_OBJECT
public:
    using QAction::QAction;

    // A divider is a separator line; a caption other than "-" is written in its middle.
    void setDivider(bool on) { setSeparator(on); }
    bool divider() const { return isSeparator(); }

    std::function<void()> OnSelect;
};
