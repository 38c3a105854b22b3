#include "TacFormHookComponent.h"

TacFormHookComponent::TacFormHookComponent(QObject* owner)
    : FormHookComponent(requireForm(owner, QStringLiteral("Owner must be TWinControl or its successor!")))
{
}

void TacFormHookComponent::setFormTopmost(bool on)
{
    if (form())
        form()->setTopmost(on);
}
