#pragma once
// The music window.
#include "media/TPlayerForm.h"

class TForm2 : public TPlayerForm {
    Q_OBJECT
public:
    explicit TForm2(const MediaEngineFactory& engines, QWidget* parent = nullptr);

protected:
    void FormClose(CloseAction& action) override;
};

extern TForm2* Form2;
