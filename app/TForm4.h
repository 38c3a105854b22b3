#pragma once
// The settings dialog.
#include "windowing/FramedWindow.h"

class TForm4 : public FramedWindow {
    Q_OBJECT
public:
    explicit TForm4(QWidget* parent = nullptr);
};

extern TForm4* Form4;
