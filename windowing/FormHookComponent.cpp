#include "FormHookComponent.h"

#include "platform/Errors.h"

FormHookComponent::FormHookComponent(FramedWindow* form) : QObject(form), form_(form) { form_->addHook(this); }

FormHookComponent::~FormHookComponent()
{
    if (form_)
        form_->removeHook(this);
}

FramedWindow* FormHookComponent::requireForm(QObject* owner, const QString& message)
{
    auto* form = qobject_cast<FramedWindow*>(owner);
    if (!form)
        throw EInvalidOperation(message);
    return form;
}
