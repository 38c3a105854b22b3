#include "TcbFormHookComponent.h"

#include "SafeCall.h"

#include <QMetaObject>

TcbFormHookComponent::TcbFormHookComponent(QObject* owner)
    : FormHookComponent(requireForm(owner, QStringLiteral("Owner must be TWinControl or its successor!")))
{
}

void TcbFormHookComponent::defer(std::function<void()> work)
{
    QMetaObject::invokeMethod(this, guarded(std::move(work)), Qt::QueuedConnection);
}
