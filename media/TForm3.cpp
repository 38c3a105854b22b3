#include "TForm3.h"

TForm3* Form3 = nullptr;

TForm3::TForm3(QWidget* parent) : FramedWindow(parent), acFormMagnet1(new TacFormMagnet(this))
{
    setObjectName(QStringLiteral("Form3"));
    setCaption(QStringLiteral("Экран"));
    setBorderStyle(BorderStyle::Sizeable);
    setColor(clBtnFace);
    setBounds(277, 0, 385, 341);
}
