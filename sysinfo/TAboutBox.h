#pragma once
// The help window: help text, credits and the system report.
#include "windowing/FramedWindow.h"

class TAboutBox : public FramedWindow {
    Q_OBJECT
public:
    explicit TAboutBox(QWidget* parent = nullptr);
};

extern TAboutBox* AboutBox;
