#pragma once
// The named background fills of the credits control. The gradients lay
// max(|dR|, |dG|, |dB|) + 1 bands of equal width across the area.
#include "windowing/Colors.h"

#include <QImage>
#include <QString>
#include <vector>

namespace CreditFills {

struct Settings {
    QString type = QStringLiteral("(ColorFill)");
    TColor light = clBtnHighlight;
    TColor dark = clBtnShadow;
    TColor normal = clBtnFace;
    QImage bitmap;
};

struct Band {
    int start;  // first column (or row) of the band
    int width;
    QColor color;
};

bool isFillName(const QString& type);
// True for the fills drawn to the area's size, which are drawn anew on resize.
bool dependsOnSize(const QString& type);
bool usesBitmap(const QString& type);

// Bands from `from` to `to` across an extent; bands that start beyond it
// are left out. Nothing for an extent of 0 or less.
std::vector<Band> gradientBands(const QColor& from, const QColor& to, int extent);

// Draws the fill over the whole image. "(None)" leaves the image as it is;
// the pattern fills draw as "(ColorFill)".
void render(QImage& target, const Settings& settings);

}  // namespace CreditFills
