#pragma once
// Colours in the program's encoding: 0x00BBGGRR; a system colour has the high
// bit set and its index in the low byte, resolved through one fixed table of
// the classic system colours (never the desktop theme, so the look is stable).
#include <QColor>
#include <cstdint>

using TColor = std::uint32_t;

constexpr TColor rgbColor(int r, int g, int b)
{
    return static_cast<TColor>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
constexpr TColor systemColor(int index) { return 0x80000000u | static_cast<TColor>(index & 0xFF); }
constexpr bool isSystemColor(TColor c) { return (c & 0x80000000u) != 0; }

QColor toQColor(TColor c);
TColor fromQColor(const QColor& c);  // always a plain RGB value

// System colours by index.
constexpr TColor clScrollBar = systemColor(0);
constexpr TColor clBackground = systemColor(1);
constexpr TColor clActiveCaption = systemColor(2);
constexpr TColor clInactiveCaption = systemColor(3);
constexpr TColor clMenu = systemColor(4);
constexpr TColor clWindow = systemColor(5);
constexpr TColor clWindowFrame = systemColor(6);
constexpr TColor clMenuText = systemColor(7);
constexpr TColor clWindowText = systemColor(8);
constexpr TColor clCaptionText = systemColor(9);
constexpr TColor clActiveBorder = systemColor(10);
constexpr TColor clInactiveBorder = systemColor(11);
constexpr TColor clAppWorkSpace = systemColor(12);
constexpr TColor clHighlight = systemColor(13);
constexpr TColor clHighlightText = systemColor(14);
constexpr TColor clBtnFace = systemColor(15);
constexpr TColor clBtnShadow = systemColor(16);
constexpr TColor clGrayText = systemColor(17);
constexpr TColor clBtnText = systemColor(18);
constexpr TColor clInactiveCaptionText = systemColor(19);
constexpr TColor clBtnHighlight = systemColor(20);
constexpr TColor cl3DDkShadow = systemColor(21);
constexpr TColor cl3DLight = systemColor(22);
constexpr TColor clInfoText = systemColor(23);
constexpr TColor clInfoBk = systemColor(24);
constexpr TColor clHotLight = systemColor(26);
constexpr TColor clGradientActiveCaption = systemColor(27);
constexpr TColor clGradientInactiveCaption = systemColor(28);

// Standard named colours.
constexpr TColor clBlack = rgbColor(0, 0, 0);
constexpr TColor clMaroon = rgbColor(128, 0, 0);
constexpr TColor clGreen = rgbColor(0, 128, 0);
constexpr TColor clOlive = rgbColor(128, 128, 0);
constexpr TColor clNavy = rgbColor(0, 0, 128);
constexpr TColor clPurple = rgbColor(128, 0, 128);
constexpr TColor clTeal = rgbColor(0, 128, 128);
constexpr TColor clGray = rgbColor(128, 128, 128);
constexpr TColor clSilver = rgbColor(192, 192, 192);
constexpr TColor clRed = rgbColor(255, 0, 0);
constexpr TColor clLime = rgbColor(0, 255, 0);
constexpr TColor clYellow = rgbColor(255, 255, 0);
constexpr TColor clBlue = rgbColor(0, 0, 255);
constexpr TColor clFuchsia = rgbColor(255, 0, 255);
constexpr TColor clAqua = rgbColor(0, 255, 255);
constexpr TColor clWhite = rgbColor(255, 255, 255);
constexpr TColor clMoneyGreen = rgbColor(192, 220, 192);
constexpr TColor clSkyBlue = rgbColor(166, 202, 240);
constexpr TColor clCream = rgbColor(255, 251, 240);
constexpr TColor clMedGray = rgbColor(160, 160, 164);

// The program's own named colours.
constexpr TColor clSeaGreen = rgbColor(48, 152, 96);
constexpr TColor clTan = rgbColor(255, 200, 160);
constexpr TColor clOliveGreen = rgbColor(48, 48, 0);
constexpr TColor clPlum = rgbColor(144, 48, 96);
constexpr TColor clBlueGray = rgbColor(96, 96, 144);
constexpr TColor clLightTurquoise = rgbColor(192, 255, 255);
constexpr TColor clIndigo = rgbColor(48, 48, 144);
constexpr TColor clMetalGray = rgbColor(144, 144, 144);
constexpr TColor clRose = rgbColor(255, 152, 208);
