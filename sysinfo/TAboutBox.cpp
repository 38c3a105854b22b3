#include "TAboutBox.h"

#include "windowing/Rounding.h"

#include <QGuiApplication>
#include <QScreen>

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

void TAboutBox::showFace(const QString& caption)
{
    setCaption(caption);
    if (!placed_) {
        placed_ = true;
        if (QScreen* screen = QGuiApplication::primaryScreen()) {
            const QRect area = screen->geometry();
            move(area.x() + roundInt((area.width() - outerWidth()) / 2.0),
                 area.y() + roundInt((area.height() - outerHeight()) / 2.0));
        }
    }
    show();
    raise();
    activateWindow();
}

void TAboutBox::showHelp() { showFace(QStringLiteral("Помощь")); }

void TAboutBox::showAdditional() { showFace(QStringLiteral("Дополнительно")); }

void TAboutBox::showSystemReport() { showFace(QStringLiteral("О системе")); }
