#include "StyledMenuSettings.h"

#include "styled/TAHMPopupMenu.h"

#include <QPainter>
#include <QRadialGradient>

#include <cmath>

namespace {

constexpr int kBackdropSize = 128;

// A quiet woven pattern on the menu colour, reduced to 256 colours.
QImage playlistBackdrop()
{
    QImage image(kBackdropSize, kBackdropSize, QImage::Format_RGB32);
    const QColor base = toQColor(clMenu);
    for (int y = 0; y < kBackdropSize; ++y)
        for (int x = 0; x < kBackdropSize; ++x) {
            const double wave = std::sin((x + y) * M_PI / 16) * std::sin((x - y) * M_PI / 16);
            const int shade = int(std::lround(wave * 10));
            image.setPixelColor(x, y, QColor(qBound(0, base.red() + shade, 255), qBound(0, base.green() + shade, 255),
                                             qBound(0, base.blue() + shade + 4, 255)));
        }
    return image.convertToFormat(QImage::Format_Indexed8);
}

// Soft light rings on light turquoise, in true colour.
QImage trayBackdrop()
{
    QImage image(kBackdropSize, kBackdropSize, QImage::Format_RGB32);
    image.fill(toQColor(clLightTurquoise));
    QPainter p(&image);
    QRadialGradient glow(QPointF(kBackdropSize / 2.0, kBackdropSize / 2.0), kBackdropSize / 1.5);
    glow.setSpread(QGradient::RepeatSpread);
    glow.setColorAt(0, QColor(224, 255, 255));
    glow.setColorAt(0.5, QColor(184, 246, 246));
    glow.setColorAt(1, QColor(224, 255, 255));
    p.fillRect(image.rect(), glow);
    return image;
}

}  // namespace

void setUpPlaylistMenu(TAHMApplicationMenu& menu)
{
    const QString sans = QStringLiteral("MS Sans Serif");
    menu.MenuFont = fontSpec(sans, -11, fsBold, clWindowText);
    menu.SelectedFont = fontSpec(sans, -11, fsBold, clHighlightText);
    menu.DividerFont = fontSpec(QStringLiteral("Small Fonts"), -12, 0, clWindowText);
    menu.SelectedColor = clBlueGray;
    menu.FullSelect = false;
    TAHMSubMenu& d = menu.PopupDetails;
    d.Enabled = true;
    d.Background = playlistBackdrop();
    d.BarEnabled = true;
    d.BarColor = clInactiveCaptionText;
    d.BarAsGradient = {true, clPurple, 32};
    d.BarCaption = QStringLiteral("Главное меню");
    d.BarFontname = QStringLiteral("Tahoma");
    d.BarFontSize = 9;
    d.BarFontColor = clYellow;
    menu.relayout();
}

void setUpTrayMenu(TAHMPopupMenu& menu)
{
    const QString sans = QStringLiteral("MS Sans Serif");
    menu.MenuFont = fontSpec(sans, -11, 0, clPlum);
    menu.SelectedFont = fontSpec(sans, -11, fsBold, clHighlightText);
    menu.DividerFont = fontSpec(QStringLiteral("Small Fonts"), -12, 0, clWindowText);
    menu.SelectedColor = clNone;
    menu.FullSelect = false;
    TAHMSubMenu& d = menu.PopupDetails;
    d.Enabled = true;
    d.Color = clLightTurquoise;
    d.Background = trayBackdrop();
    d.BarEnabled = true;
    d.BarWidth = 20;
    d.BarColor = clLightTurquoise;
    d.BarAsGradient = {true, clTeal, 32};
    d.BarCaption = QStringLiteral("Системный трей");
    d.BarFontname = QStringLiteral("Georgia");
    d.BarFontSize = 10;
    d.BarFontColor = clHotLight;
    menu.relayout();
}
