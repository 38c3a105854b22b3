#include "TThumbFromFileForm.h"

TThumbFromFileForm* ThumbFromFileForm = nullptr;

TThumbFromFileForm::TThumbFromFileForm(QWidget* parent) : FramedWindow(parent)
{
    setObjectName(QStringLiteral("ThumbFromFileForm"));
    setCaption(QStringLiteral("Thumbs Смотрельщик"));
    setBorderStyle(BorderStyle::Single);
    setBorderIcons({.systemMenu = true, .minimize = true, .maximize = false});
    setColor(clBtnFace);
    setClientSize(796, 464);
}
