#pragma once
// Base of the window magnet and the window animations: a hook component on a
// framed window that also reads and sets the window's always-on-top state.
#include "FormHookComponent.h"

class TacFormHookComponent : public FormHookComponent {
    Q_OBJECT
public:
    // Raises EInvalidOperation("Owner must be TWinControl or its successor!")
    // when owner is not a framed window.
    explicit TacFormHookComponent(QObject* owner);

    bool formTopmost() const { return form() && form()->isTopmost(); }
    void setFormTopmost(bool on);
};
