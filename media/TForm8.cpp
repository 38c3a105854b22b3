#include "TForm8.h"

TForm8* Form8 = nullptr;

TForm8::TForm8(QWidget* parent) : FramedWindow(parent), acFormMagnet1(new TacFormMagnet(this))
{
    setObjectName(QStringLiteral("Form8"));
    setCaption(QStringLiteral("Видео"));
    setBorderStyle(BorderStyle::Single);
    setBorderIcons({.systemMenu = true, .minimize = true, .maximize = false});
    setColor(clSeaGreen);
    setClientSize(194, 61);
    move(160, 555);
}
