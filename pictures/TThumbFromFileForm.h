#pragma once
// The thumbnails viewer.
#include "windowing/FramedWindow.h"

class TThumbFromFileForm : public FramedWindow {
    Q_OBJECT
public:
    explicit TThumbFromFileForm(QWidget* parent = nullptr);
};

extern TThumbFromFileForm* ThumbFromFileForm;
