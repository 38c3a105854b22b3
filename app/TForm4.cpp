#include "TForm4.h"

TForm4* Form4 = nullptr;

TForm4::TForm4(QWidget* parent) : FramedWindow(parent)
{
    setObjectName(QStringLiteral("Form4"));
    setCaption(QStringLiteral("Настройка"));
    setBorderStyle(BorderStyle::Single);
    setBorderIcons({.systemMenu = true, .minimize = false, .maximize = false});
    setColor(clTan);
    setClientSize(202, 255);
    move(517, 423);
}
