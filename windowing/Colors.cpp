#include "Colors.h"

#include <array>

namespace {
// The classic system colour scheme, by index.
constexpr std::array<TColor, 31> kSystemColors = {
    rgbColor(212, 208, 200), rgbColor(58, 110, 165),  rgbColor(10, 36, 106),   rgbColor(128, 128, 128),
    rgbColor(212, 208, 200), rgbColor(255, 255, 255), rgbColor(0, 0, 0),       rgbColor(0, 0, 0),
    rgbColor(0, 0, 0),       rgbColor(255, 255, 255), rgbColor(212, 208, 200), rgbColor(212, 208, 200),
    rgbColor(128, 128, 128), rgbColor(10, 36, 106),   rgbColor(255, 255, 255), rgbColor(212, 208, 200),
    rgbColor(128, 128, 128), rgbColor(128, 128, 128), rgbColor(0, 0, 0),       rgbColor(212, 208, 200),
    rgbColor(255, 255, 255), rgbColor(64, 64, 64),    rgbColor(212, 208, 200), rgbColor(0, 0, 0),
    rgbColor(255, 255, 225), rgbColor(181, 181, 181), rgbColor(0, 0, 128),     rgbColor(166, 202, 240),
    rgbColor(192, 192, 192), rgbColor(49, 106, 197),  rgbColor(236, 233, 216),
};
}

QColor toQColor(TColor c)
{
    if (isSystemColor(c)) {
        const auto index = c & 0xFFu;
        c = index < kSystemColors.size() ? kSystemColors[index] : clBlack;
    }
    return QColor(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF), static_cast<int>((c >> 16) & 0xFF));
}

TColor fromQColor(const QColor& c) { return rgbColor(c.red(), c.green(), c.blue()); }
