#include "TForm2.h"

TForm2* Form2 = nullptr;

TForm2::TForm2(QWidget* parent) : FramedWindow(parent)
{
    setObjectName(QStringLiteral("Form2"));
    setCaption(QStringLiteral("Музыка"));
    setBorderStyle(BorderStyle::Single);
    setBorderIcons({.systemMenu = true, .minimize = true, .maximize = false});
    setColor(clSeaGreen);
    setClientSize(194, 61);
    move(160, 549);
}
