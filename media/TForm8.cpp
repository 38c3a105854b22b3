#include "TForm8.h"

#include "media/TForm3.h"

TForm8* Form8 = nullptr;

TForm8::TForm8(const MediaEngineFactory& engines, QWidget* parent)
    : TPlayerForm(QStringLiteral("Form8"), QStringLiteral("Видео"), clOliveGreen, clSilver, engines, parent),
      acFormMagnet1(new TacFormMagnet(this))
{
    acFormMagnet1->setObjectName(QStringLiteral("acFormMagnet1"));
    acFormMagnet1->setGlue(true);  // drags the screen window along
    move(160, 555);
}

void TForm8::FormClose(CloseAction&)
{
    stopProgress();
    stopPlayback();
    if (Form3)
        Form3->hide();
}
