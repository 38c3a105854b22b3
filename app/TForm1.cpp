#include "TForm1.h"

#include <QMenuBar>

TForm1* Form1 = nullptr;

TForm1::TForm1(QWidget* parent) : FramedWindow(parent)
{
    setObjectName(QStringLiteral("Form1"));
    setMainWindow(true);
    setCaption(QStringLiteral("Калейдор ver 1.5"));
    setBorderStyle(BorderStyle::Sizeable);
    setColor(clBtnFace);
    auto* bar = new QMenuBar;
    bar->setObjectName(QStringLiteral("MainMenu1"));
    setMenuBar(bar);
    setBounds(211, 292, 480, 267);
}
