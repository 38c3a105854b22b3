#pragma once
// The main window: playlist, menus and status line.
#include "windowing/FramedWindow.h"

class TForm1 : public FramedWindow {
    Q_OBJECT
public:
    explicit TForm1(QWidget* parent = nullptr);
};

extern TForm1* Form1;
