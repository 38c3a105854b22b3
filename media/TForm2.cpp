#include "TForm2.h"

TForm2* Form2 = nullptr;

namespace {
constexpr TColor clMenuBar = systemColor(30);
}

TForm2::TForm2(QWidget* parent)
    : TPlayerForm(QStringLiteral("Form2"), QStringLiteral("Музыка"), clHotLight, clMenuBar, parent)
{
    move(160, 549);
}

void TForm2::FormClose(CloseAction&)
{
    Timer1->setEnabled(false);
    // A window whose file failed to open has nothing to stop, and must still close.
    if (MediaPlayer1->DeviceOpen())
        MediaPlayer1->StopPlay();
    hide();
}
