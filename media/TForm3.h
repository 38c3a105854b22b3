#pragma once
// The screen window: pictures and the video picture.
#include "windowing/FramedWindow.h"

class TForm3 : public FramedWindow {
    Q_OBJECT
public:
    explicit TForm3(QWidget* parent = nullptr);
};

extern TForm3* Form3;
