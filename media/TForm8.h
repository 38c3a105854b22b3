#pragma once
// The video window: the player bar of video playback.
#include "windowing/FramedWindow.h"
#include "windowing/TacFormMagnet.h"

class TForm8 : public FramedWindow {
    Q_OBJECT
public:
    explicit TForm8(QWidget* parent = nullptr);

    TacFormMagnet* acFormMagnet1;
};

extern TForm8* Form8;
