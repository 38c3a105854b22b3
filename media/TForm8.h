#pragma once
// The video window: the player bar of video playback.
#include "windowing/FramedWindow.h"

class TForm8 : public FramedWindow {
    Q_OBJECT
public:
    explicit TForm8(QWidget* parent = nullptr);
};

extern TForm8* Form8;
