#pragma once
// The measures of a styled popup menu: item sizes, the estimated size of a
// level, the divider's lines, the side bar's gradient bands and picture, and
// which item a typed character picks. Plain functions; the text sizes come
// from the caller.
#include "TAHMSubMenu.h"
#include "windowing/Fonts.h"

#include <QList>
#include <QSize>

#include <functional>

struct MenuMetrics {
    // Width and height of a text in a font (a tab measures as a blank).
    std::function<QSize(const FontSpec&, const QString&)> textSize;
    int menuBarHeight = 20;  // no item is lower than the menu bar
};

// Text sizes from the fonts as the screen draws them.
MenuMetrics screenMenuMetrics();

struct MenuLevelFacts {
    FontSpec menuFont, selectedFont, dividerFont;
    QSize imageSize;          // empty when the level shows no images
    int barWidth = 0;         // 0 when the bar is not shown
    int shortcutWidth = 0;    // the widest shortcut text of the level
};

struct MenuItemFacts {
    QString caption;
    bool hasChildren = false;
    bool hasImage = false;
    QSize picture;  // a picture item's picture; empty for text items
};

struct MenuItemSize {
    int width = 0;      // as reported to the menu: content width + 2
    int height = 0;
    int fullWidth = 0;  // width of "W" + content width + 2
};

MenuItemSize measureMenuItem(const MenuItemFacts& item, const MenuLevelFacts& level, const MenuMetrics& metrics);

// Width: the largest full width + 20; height: the sum of the heights.
QSize estimatedLevelSize(const QList<MenuItemSize>& visibleItems);

// A divider's two lines run from areaLeft to gapLeft and from gapRight to
// areaRight (right ends excluded), the shadow at y and the highlight at y + 1;
// the caption is centred in captionBox.
struct DividerLines {
    int areaLeft, areaRight, y, gapLeft, gapRight;
    QRect captionBox;
};
// Item rectangle with exclusive right and bottom edges; "-" closes the gap.
DividerLines dividerLines(int areaLeft, int areaRight, int top, int bottom, const QString& caption, int captionWidth,
                          int wHeight);

struct BarBand {
    int top, height;
    TColor color;
};
// ColorCount bands from the bar colour (top) to the fade colour; none when
// there is at most one band. Later bands paint over earlier ones.
QList<BarBand> barBands(int barHeight, TColor start, TColor end, int count);

// The side bar of a level of the given height, its caption written upwards.
// Raises EInvalidOperation "Error drawing Menus" when it cannot be drawn.
QImage sideBarPicture(const TAHMSubMenu& details, int height);

struct MenuCharItem {
    QString caption;
    bool visible = true;
    bool enabled = true;
    bool divider = false;
};
// The first item a typed character picks: the character after the first "&"
// of the caption, or its first character, compared without case. -1 when none.
int menuCharMatch(const QList<MenuCharItem>& items, QChar typed);
