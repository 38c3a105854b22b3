#pragma once
// Fonts as the windows describe them: a face name, a size in points or a
// height in pixels (negative: character height), a character set, a colour
// and a style set. Converted at a fixed 96 pixels per inch. The face name is
// kept as given; fontconfig draws a substitute when it is missing.
#include "Colors.h"

#include <QFont>
#include <QString>

enum FontStyle : int { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };

struct FontSpec {
    QString name = QStringLiteral("MS Sans Serif");
    int height = -11;  // pixels; negative = character height
    int charset = 1;   // DEFAULT_CHARSET
    TColor color = clWindowText;
    int style = 0;     // FontStyle bits

    static constexpr int kPixelsPerInch = 96;
    int size() const;  // points
    void setSize(int points);
    QFont toQFont() const;
    bool operator==(const FontSpec&) const = default;
};

FontSpec fontSpec(const QString& name, int height, int style = 0, TColor color = clWindowText, int charset = 1);
