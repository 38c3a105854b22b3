#pragma once
// Base of the caption buttons: a hook component on a framed window that can
// put work off until the current event has been handled (a repaint after the
// frame has drawn itself, for instance).
#include "FormHookComponent.h"

#include <functional>

class TcbFormHookComponent : public FormHookComponent {
    Q_OBJECT
public:
    // Raises EInvalidOperation when owner is not a framed window.
    explicit TcbFormHookComponent(QObject* owner);

protected:
    // Runs work once the event loop is back; dropped if the component goes first.
    void defer(std::function<void()> work);
};
