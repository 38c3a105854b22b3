#include "TAHMMenuLayout.h"

#include "TacHeader.h"
#include "platform/Errors.h"
#include "windowing/Rounding.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>

MenuMetrics screenMenuMetrics()
{
    MenuMetrics m;
    m.textSize = [](const FontSpec& font, const QString& text) {
        const QFontMetrics fm(font.toQFont());
        QString shown = text;
        shown.replace(QLatin1Char('\t'), QLatin1Char(' '));
        return QSize(fm.horizontalAdvance(shown), fm.height());
    };
    return m;
}

MenuItemSize measureMenuItem(const MenuItemFacts& item, const MenuLevelFacts& level, const MenuMetrics& metrics)
{
    const QString text = item.caption.isEmpty() ? QStringLiteral("W") : item.caption;
    int textHeight = 0;
    int textWidth = -1;
    FontSpec measuring = level.menuFont;
    for (const FontSpec* font : {&level.selectedFont, &level.dividerFont, &level.menuFont}) {
        const QSize size = metrics.textSize(*font, text);
        textHeight = std::max(textHeight, size.height());
        if (size.width() > textWidth) {
            textWidth = size.width();
            measuring = *font;
        }
    }
    const int wWidth = metrics.textSize(measuring, QStringLiteral("W")).width();
    int column = level.imageSize.isEmpty() ? wWidth : level.imageSize.width() + 4;
    column += level.barWidth;
    const int captionWidth = item.picture.isEmpty()
                                 ? metrics.textSize(measuring, item.caption + QLatin1Char('\t')).width()
                                 : item.picture.width();
    int width = column + captionWidth + level.shortcutWidth;
    if (item.hasChildren)
        width += metrics.textSize(measuring, QStringLiteral("\t")).width();
    int height = item.picture.isEmpty() ? textHeight : item.picture.height();
    if (item.hasImage && !level.imageSize.isEmpty())
        height = std::max(height, level.imageSize.height() + 3);
    height = std::max(height, metrics.menuBarHeight);
    return {width + 2, height, wWidth + width + 2};
}

QSize estimatedLevelSize(const QList<MenuItemSize>& visibleItems)
{
    int width = 0;
    int height = 0;
    for (const MenuItemSize& item : visibleItems) {
        width = std::max(width, item.fullWidth);
        height += item.height;
    }
    return {width + 20, height};
}

DividerLines dividerLines(int areaLeft, int areaRight, int top, int bottom, const QString& caption, int captionWidth,
                          int wHeight)
{
    const int mx = (areaLeft + areaRight) / 2;
    const int my = (top + bottom) / 2;
    DividerLines d{areaLeft, areaRight, my, 0, 0, {}};
    const int boxLeft = mx - captionWidth / 2 - 1;
    const int boxRight = mx + captionWidth / 2 + 1;
    d.captionBox = QRect(QPoint(boxLeft, my - wHeight / 2 + 1), QPoint(boxRight - 1, my + wHeight / 2));
    if (caption == QLatin1String("-")) {
        d.gapLeft = d.gapRight = boxLeft;
    } else {
        d.gapLeft = boxLeft;
        d.gapRight = boxRight;
    }
    return d;
}

QList<BarBand> barBands(int barHeight, TColor start, TColor end, int count)
{
    QList<BarBand> bands;
    if (count <= 1)
        return bands;
    const QColor from = toQColor(start);
    const QColor to = toQColor(end);
    auto channel = [count](int i, int a, int b) {
        const int value = a + TacHeader::mulDiv(i, b - a, count - 1);
        return value == 0 ? 1 : value;
    };
    const int h = roundInt(double(barHeight) / count);
    for (int i = 0; i < count; ++i) {
        const TColor color = rgbColor(channel(i, from.red(), to.red()), channel(i, from.green(), to.green()),
                                      channel(i, from.blue(), to.blue()));
        const int top = h * i + TacHeader::mulDiv(i, h, count);
        const int height = h * i + TacHeader::mulDiv(i + 2, h, count) - TacHeader::mulDiv(i, h, count);
        bands.append({top, height, color});
    }
    return bands;
}

QImage sideBarPicture(const TAHMSubMenu& details, int height)
{
    QImage bar(details.BarWidth, height, QImage::Format_RGB32);
    if (details.BarWidth <= 0 || height <= 0 || bar.isNull())
        throw EInvalidOperation(QStringLiteral("Error drawing Menus"));
    QPainter p(&bar);
    if (!details.BarBackground.isNull()) {
        p.fillRect(bar.rect(), QBrush(details.BarBackground));
    } else {
        p.fillRect(bar.rect(), toQColor(details.BarColor));
        if (details.BarAsGradient.Active)
            for (const BarBand& band :
                 barBands(height, details.BarColor, details.BarAsGradient.FadeToColor, details.BarAsGradient.ColorCount))
                p.fillRect(QRect(0, band.top, details.BarWidth, band.height), toQColor(band.color));
    }
    if (!details.BarCaption.isEmpty()) {
        const int pixels = roundInt(double(details.BarFontSize) * FontSpec::kPixelsPerInch / 72);
        p.setFont(fontSpec(details.BarFontname, -pixels, fsBold).toQFont());
        p.setPen(toQColor(details.BarFontColor));
        // Written upwards: the text's top edge lies on the bar's left edge.
        p.translate(0, height - 2);
        p.rotate(-90);
        p.drawText(0, p.fontMetrics().ascent(), details.BarCaption);
    }
    return bar;
}

int menuCharMatch(const QList<MenuCharItem>& items, QChar typed)
{
    // Every letter is compared without its case, Cyrillic ones too: the
    // captions start with capitals and the user types without Shift.
    const QChar wanted = typed.toLower();
    for (qsizetype i = 0; i < items.size(); ++i) {
        const MenuCharItem& item = items[i];
        if (!item.visible || !item.enabled || item.divider || item.caption.isEmpty())
            continue;
        const qsizetype amp = item.caption.indexOf(QLatin1Char('&'));
        const QChar key = amp < 0 ? item.caption.front() : amp + 1 < item.caption.size() ? item.caption[amp + 1] : QChar();
        if (!key.isNull() && key.toLower() == wanted)
            return int(i);
    }
    return -1;
}
