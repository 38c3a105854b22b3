#include "TAboutBox.h"

TAboutBox* AboutBox = nullptr;

TAboutBox::TAboutBox(QWidget* parent) : FramedWindow(parent)
{
    setObjectName(QStringLiteral("AboutBox"));
    setCaption(QStringLiteral("Помощь"));
    setBorderStyle(BorderStyle::Dialog);
    setBorderIcons({.systemMenu = false, .minimize = false, .maximize = false});
    setColor(clMoneyGreen);
    setClientSize(306, 282);
}
