#include "TThumbFromFileForm.h"

#include <QGuiApplication>
#include <QScreen>

TThumbFromFileForm* ThumbFromFileForm = nullptr;

TThumbFromFileForm::TThumbFromFileForm(QWidget* parent) : FramedWindow(parent)
{
    setObjectName(QStringLiteral("ThumbFromFileForm"));
    setCaption(QStringLiteral("Thumbs Смотрельщик"));
    setBorderStyle(BorderStyle::Single);
    setBorderIcons({.systemMenu = true, .minimize = true, .maximize = false});
    setColor(clBtnFace);
    setClientSize(796, 464);
    // Until a stored place is restored the window sits in the middle of the screen.
    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}
