#pragma once
// The music window.
#include "windowing/FramedWindow.h"

class TForm2 : public FramedWindow {
    Q_OBJECT
public:
    explicit TForm2(QWidget* parent = nullptr);
};

extern TForm2* Form2;
