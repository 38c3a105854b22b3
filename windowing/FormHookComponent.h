#pragma once
// A component that sits on a framed window and takes part in the window's
// hook chain: it sees the window's events before and after the window's own
// handling, in the order the components were created. It leaves the chain
// when it is destroyed and forgets the window when the window goes first.
#include "FramedWindow.h"

#include <QObject>
#include <QPointer>

class FormHookComponent : public QObject, public FrameHook {
    Q_OBJECT
public:
    ~FormHookComponent() override;

    // The window the component sits on; null once that window is gone.
    FramedWindow* form() const { return form_; }

protected:
    // form becomes the component's parent.
    explicit FormHookComponent(FramedWindow* form);

    // The owner as a framed window, or EInvalidOperation with message.
    static FramedWindow* requireForm(QObject* owner, const QString& message);

    void windowDestroyed() override { form_ = nullptr; }

private:
    FramedWindow* form_;
};
