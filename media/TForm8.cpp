#include "TForm8.h"

#include "media/TForm3.h"

TForm8* Form8 = nullptr;

TForm8::TForm8(QWidget* parent)
    : TPlayerForm(QStringLiteral("Form8"), QStringLiteral("Видео"), clOliveGreen, clSilver, parent),
      acFormMagnet1(new TacFormMagnet(this))
{
    move(160, 555);
}

void TForm8::FormClose(CloseAction&)
{
    Timer1->setEnabled(false);
    // A window whose file failed to open has nothing to stop, and must still close.
    if (MediaPlayer1->DeviceOpen())
        MediaPlayer1->StopPlay();
    if (Form3)
        Form3->hide();
}
