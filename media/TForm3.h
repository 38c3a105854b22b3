#pragma once
// The screen window: pictures and the video picture.
#include "windowing/FramedWindow.h"
#include "windowing/TacFormMagnet.h"

class TForm3 : public FramedWindow {
    Q_OBJECT
public:
    explicit TForm3(QWidget* parent = nullptr);

    TacFormMagnet* acFormMagnet1;
};

extern TForm3* Form3;
