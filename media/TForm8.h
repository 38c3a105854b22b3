#pragma once
// The video window: the player bar of video playback.
#include "media/TPlayerForm.h"
#include "windowing/TacFormMagnet.h"

class TForm8 : public TPlayerForm {
    Q_OBJECT
public:
    explicit TForm8(const MediaEngineFactory& engines, QWidget* parent = nullptr);

    TacFormMagnet* acFormMagnet1;

protected:
    void FormClose(CloseAction& action) override;
};

extern TForm8* Form8;
