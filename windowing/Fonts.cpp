#include "Fonts.h"

#include "Rounding.h"

#include <cstdlib>

int FontSpec::size() const { return -roundInt(static_cast<double>(height) * 72 / kPixelsPerInch); }

void FontSpec::setSize(int points) { height = -roundInt(static_cast<double>(points) * kPixelsPerInch / 72); }

QFont FontSpec::toQFont() const
{
    QFont font(name);
    // A positive height is the cell height, which holds about 1/8 more than the character.
    const int pixels = height < 0 ? -height : roundInt(height * 0.875);
    font.setPixelSize(pixels > 0 ? pixels : 13);
    font.setBold(style & fsBold);
    font.setItalic(style & fsItalic);
    font.setUnderline(style & fsUnderline);
    font.setStrikeOut(style & fsStrikeOut);
    font.setHintingPreference(QFont::PreferFullHinting);
    return font;
}

FontSpec fontSpec(const QString& name, int height, int style, TColor color, int charset)
{
    FontSpec f;
    f.name = name;
    f.height = height;
    f.style = style;
    f.color = color;
    f.charset = charset;
    return f;
}
