#include "TForm2.h"

TForm2* Form2 = nullptr;

namespace {
constexpr TColor clMenuBar = systemColor(30);
}

TForm2::TForm2(const MediaEngineFactory& engines, QWidget* parent)
    : TPlayerForm(QStringLiteral("Form2"), QStringLiteral("Музыка"), clHotLight, clMenuBar, engines, parent)
{
    move(160, 549);
}

void TForm2::FormClose(CloseAction&)
{
    stopProgress();
    stopPlayback();
    hide();
}
