#pragma once
// The look of one level of a styled popup menu: background colour and
// picture, and the side bar down its left edge with its upward caption.
#include "windowing/Colors.h"

#include <QImage>
#include <QString>

// No colour: no fill, or no transparent colour.
constexpr TColor clNone = 0x1FFFFFFF;

enum class TAHMBackgroundType { btCenter, btTiled };

// The side bar's gradient: ColorCount bands from the bar colour to FadeToColor.
struct TAHMMenuGradient {
    bool Active = false;
    TColor FadeToColor = clBlack;
    int ColorCount = 32;
    bool operator==(const TAHMMenuGradient&) const = default;
};

struct TAHMSubMenu {
    bool Enabled = false;  // background colour and picture are used
    TColor Color = clMenu;
    QImage Background;
    TAHMBackgroundType BackgroundType = TAHMBackgroundType::btTiled;
    TColor TransparentColor = clNone;
    bool BarEnabled = false;  // shown only when Enabled too
    int BarWidth = 15;
    TColor BarColor = clNavy;
    TAHMMenuGradient BarAsGradient;
    QImage BarBackground;  // tiled on the bar; wins over colour and gradient
    QString BarCaption;
    QString BarFontname = QStringLiteral("Arial");
    int BarFontSize = 8;  // points
    TColor BarFontColor = clWindowText;

    bool barShown() const { return Enabled && BarEnabled; }
};
