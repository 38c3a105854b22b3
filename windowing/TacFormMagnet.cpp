#include "TacFormMagnet.h"

#include "FramedWindow.h"

TacFormMagnet::TacFormMagnet(FramedWindow* owner) : QObject(owner) {}

FramedWindow* TacFormMagnet::form() const { return static_cast<FramedWindow*>(parent()); }
