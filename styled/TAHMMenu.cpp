#include "TAHMMenu.h"

#include "TAHMMenuItem.h"
#include "windowing/SafeCall.h"

#include <QKeyEvent>
#include <QPainter>
#include <QProxyStyle>
#include <QStyleOptionMenuItem>

#include <algorithm>

namespace {

// Tells the menu the item sizes it measured and lays the items edge to edge
// inside a thin border.
class TAHMMenuStyle : public QProxyStyle {
public:
    explicit TAHMMenuStyle(TAHMMenu* menu) : menu_(menu) { setParent(menu); }

    int pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override
    {
        if (widget == menu_ && menu_->NewStyles) {
            switch (metric) {
            case PM_MenuPanelWidth: return TAHMMenu::kFrame;
            case PM_MenuHMargin:
            case PM_MenuVMargin:
            case PM_MenuTearoffHeight:
            case PM_MenuDesktopFrameWidth: return 0;
            default: break;
            }
        }
        return QProxyStyle::pixelMetric(metric, option, widget);
    }

    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                           const QWidget* widget) const override
    {
        if (widget == menu_ && menu_->NewStyles) {
            if (type == CT_Menu)
                return size;
            if (const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option); item && type == CT_MenuItem)
                return menu_->styledItemSize(item->text.section(QLatin1Char('\t'), 0, 0),
                                             item->menuItemType == QStyleOptionMenuItem::Separator,
                                             item->menuItemType == QStyleOptionMenuItem::SubMenu);
        }
        return QProxyStyle::sizeFromContents(type, option, size, widget);
    }

    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override
    {
        if (widget == menu_) {
            switch (hint) {
            case SH_Menu_KeyboardSearch:
            case SH_Menu_FlashTriggeredItem:
            case SH_Menu_FadeOutOnHide:
            case SH_Menu_Scrollable:
            case SH_Menu_SupportsSections: return 0;
            default: break;
            }
        }
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }

private:
    TAHMMenu* menu_;
};

void fill(QPainter& p, int left, int top, int right, int bottom, TColor color)
{
    if (right > left && bottom > top)
        p.fillRect(QRect(left, top, right - left, bottom - top), toQColor(color));
}

// The picture with one colour left out.
QImage withTransparent(const QImage& picture, TColor transparent)
{
    if (transparent == clNone)
        return picture;
    QImage image = picture.convertToFormat(QImage::Format_ARGB32);
    const QRgb key = toQColor(transparent).rgb();
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if ((line[x] | 0xFF000000u) == key)
                line[x] = 0;
    }
    return image;
}

}  // namespace

TAHMMenu::TAHMMenu(QWidget* owner) : QMenu(owner), metrics_(screenMenuMetrics())
{
    setStyle(new TAHMMenuStyle(this));
    setSeparatorsCollapsible(false);
    connect(this, &QMenu::hovered, this, [this](QAction* a) { hovered(a); });
}

const TAHMSubMenu& TAHMMenu::details() const
{
    static const TAHMSubMenu plain;
    return plain;
}

void TAHMMenu::setMetrics(const MenuMetrics& metrics)
{
    metrics_ = metrics;
    relayout();
}

void TAHMMenu::relayout()
{
    bar_ = QImage();
    setFont(MenuFont.toQFont());
    // A style change makes the menu measure its items again.
    QEvent change(QEvent::StyleChange);
    changeEvent(&change);
    update();
}

MenuLevelFacts TAHMMenu::levelFacts() const
{
    MenuLevelFacts level;
    level.menuFont = MenuFont;
    level.selectedFont = SelectedFont;
    level.dividerFont = DividerFont;
    level.barWidth = details().barShown() ? details().BarWidth : 0;
    for (const QAction* a : actions())
        if (a->isVisible() && !a->shortcut().isEmpty())
            level.shortcutWidth = std::max(
                level.shortcutWidth, metrics_.textSize(MenuFont, a->shortcut().toString(QKeySequence::NativeText)).width());
    return level;
}

MenuItemFacts TAHMMenu::itemFacts(const QString& caption, bool hasChildren) const
{
    MenuItemFacts item;
    item.caption = caption;
    item.hasChildren = hasChildren;
    return item;
}

QSize TAHMMenu::styledItemSize(const QString& text, bool divider, bool hasChildren) const
{
    (void)divider;  // dividers are measured like items
    const MenuItemSize size = measureMenuItem(itemFacts(text, hasChildren), levelFacts(), metrics_);
    return {size.width, size.height};
}

MenuItemSize TAHMMenu::itemSize(const QAction* action) const
{
    return measureMenuItem(itemFacts(action->text(), action->menu() != nullptr), levelFacts(), metrics_);
}

QSize TAHMMenu::estimatedSize() const
{
    QList<MenuItemSize> sizes;
    for (const QAction* a : actions())
        if (a->isVisible())
            sizes.append(itemSize(a));
    return estimatedLevelSize(sizes);
}

QRect TAHMMenu::itemRect(QAction* action) const
{
    return actionGeometry(action).translated(-kFrame, -kFrame);
}

void TAHMMenu::Popup(int x, int y)
{
    if (OnPopup)
        OnPopup();
    const int width = sizeHint().width();
    int left = x;
    if (PopupAlignment == TAHMPopupAlignment::paRight)
        left = x - width;
    else if (PopupAlignment == TAHMPopupAlignment::paCenter)
        left = x - width / 2;
    popup(QPoint(left, y));
}

void TAHMMenu::hovered(QAction* action)
{
    if (auto* item = qobject_cast<TAHMMenuItem*>(action); item && item->OnSelect)
        safeCall(item->OnSelect);
    if (OnHint) {
        const QString hint = action->statusTip();
        const qsizetype bar = hint.indexOf(QLatin1Char('|'));
        safeCall([&] { OnHint(bar < 0 ? hint : hint.left(bar), bar < 0 ? hint : hint.mid(bar + 1)); });
    }
}

void TAHMMenu::keyPressEvent(QKeyEvent* event)
{
    const QString text = event->text();
    const bool typed = text.size() == 1 && text[0].isPrint() &&
                       !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
    if (!typed) {
        QMenu::keyPressEvent(event);
        return;
    }
    event->accept();
    const QList<QAction*> items = actions();
    QList<MenuCharItem> chars;
    for (const QAction* a : items)
        chars.append({a->text(), a->isVisible(), a->isEnabled(), a->isSeparator()});
    const int match = menuCharMatch(chars, text[0]);
    if (match < 0)
        return;
    QAction* chosen = items[match];
    if (chosen->menu()) {
        setActiveAction(chosen);
        return;
    }
    // The menu closes before the item acts.
    close();
    chosen->trigger();
}

const QImage& TAHMMenu::bar(int height)
{
    if (bar_.height() != height || bar_.width() != details().BarWidth)
        bar_ = sideBarPicture(details(), height);
    return bar_;
}

void TAHMMenu::paintEvent(QPaintEvent* event)
{
    if (!NewStyles) {
        QMenu::paintEvent(event);
        return;
    }
    QPainter p(this);
    drawFrame(p);
    const QSize estimated = estimatedSize();
    p.translate(kFrame, kFrame);
    for (QAction* a : actions()) {
        const QRect r = itemRect(a);
        if (!a->isVisible() || r.isEmpty())
            continue;
        p.save();
        p.setClipRect(r);
        safeCall([&] { drawItem(p, a, r, estimated); });
        p.restore();
    }
}

void TAHMMenu::drawFrame(QPainter& p) const
{
    const QRect r = rect();
    p.fillRect(r, toQColor(clMenu));
    auto edge = [&](const QRect& box, TColor lit, TColor dark) {
        p.setPen(toQColor(lit));
        p.drawLine(box.topLeft(), box.topRight());
        p.drawLine(box.topLeft(), box.bottomLeft());
        p.setPen(toQColor(dark));
        p.drawLine(box.bottomLeft(), box.bottomRight());
        p.drawLine(box.topRight(), box.bottomRight());
    };
    edge(r, cl3DLight, cl3DDkShadow);
    edge(r.adjusted(1, 1, -1, -1), clBtnHighlight, clBtnShadow);
}

void TAHMMenu::drawBackground(QPainter& p, const QRect& r, const QSize& estimated) const
{
    const TAHMSubMenu& d = details();
    p.fillRect(QRect(QPoint(0, 0), estimated), toQColor(d.Color));
    if (d.Background.isNull())
        return;
    const QImage picture = withTransparent(d.Background, d.TransparentColor);
    const int pw = picture.width();
    const int ph = picture.height();
    if (d.BackgroundType == TAHMBackgroundType::btCenter) {
        p.drawImage((estimated.width() - pw) / 2, estimated.height() / 2 - ph / 2, picture);
        return;
    }
    for (int i = 0; i <= estimated.width() / pw; ++i)
        for (int j = 0; j <= estimated.height() / ph; ++j) {
            const QRect tile(i * pw, j * ph, pw, ph);
            if (tile.intersects(r))
                p.drawImage(tile.topLeft(), picture);
        }
}

void TAHMMenu::drawDivider(QPainter& p, const QString& caption, int left, int right, int top, int bottom) const
{
    const QFont font = DividerFont.toQFont();
    const QFontMetrics fm(font);
    const int captionWidth = caption.isEmpty() ? 0 : fm.horizontalAdvance(caption);
    const DividerLines d = dividerLines(left, right, top, bottom, caption, captionWidth, fm.height());
    for (const auto& [y, color] : {std::pair{d.y, clBtnShadow}, std::pair{d.y + 1, clBtnHighlight}}) {
        fill(p, d.areaLeft, y, d.gapLeft, y + 1, color);
        fill(p, d.gapRight, y, d.areaRight, y + 1, color);
    }
    if (!caption.isEmpty() && caption != QLatin1String("-")) {
        p.setFont(font);
        p.setPen(toQColor(DividerFont.color));
        p.drawText(d.captionBox, Qt::AlignCenter | Qt::TextDontClip, caption);
    }
}

void TAHMMenu::drawItem(QPainter& p, QAction* action, const QRect& r, const QSize& estimated)
{
    const TAHMSubMenu& d = details();
    const bool selected = action == activeAction() && !action->isSeparator();
    const bool disabled = !action->isEnabled();
    const int left = r.left(), top = r.top(), right = r.left() + r.width(), bottom = r.top() + r.height();

    fill(p, left, top, right, bottom, clMenu);
    const int x0 = d.barShown() ? left + d.BarWidth + 1 : left;
    const int imageLeft = x0 - 1;
    const int textLeft = imageLeft;  // no image column: the menus carry no image list
    if (d.Enabled)
        drawBackground(p, r, estimated);

    FontSpec font = selected ? SelectedFont : MenuFont;
    if (selected && SelectedColor != clNone) {
        fill(p, textLeft, top, right, bottom, SelectedColor);
        if (FullSelect)
            fill(p, imageLeft, top, textLeft, bottom, SelectedColor);
    } else if (!d.Enabled) {
        fill(p, imageLeft, top, right, bottom, clMenu);
    }

    if (action->isSeparator()) {
        drawDivider(p, action->text(), imageLeft, right, top, bottom);
    } else {
        const QFont qfont = font.toQFont();
        p.setFont(qfont);
        const QFontMetrics fm(qfont);
        const int th = fm.height();
        const QRect textBox(textLeft + 2, top + r.height() / 2 - th / 2, right - textLeft - 2, th);
        const int flags = Qt::AlignLeft | Qt::AlignTop | Qt::TextShowMnemonic | Qt::TextSingleLine;
        if (disabled && !selected) {
            p.setPen(toQColor(clBtnHighlight));
            p.drawText(textBox.translated(1, 1), flags, action->text());
        }
        p.setPen(toQColor(disabled ? clBtnShadow : font.color));
        p.drawText(textBox, flags, action->text());
        if (!action->shortcut().isEmpty()) {
            const QString keys = action->shortcut().toString(QKeySequence::NativeText);
            const int x = right - fm.horizontalAdvance(keys + QStringLiteral(" W"));
            p.drawText(QRect(x, textBox.top(), right - x, th), flags, keys);
        }
    }

    if (selected && SelectType != TAHMSelectType::selNormal) {
        const QRect box(FullSelect ? imageLeft : textLeft, top, right - (FullSelect ? imageLeft : textLeft), r.height());
        const bool raised = SelectType == TAHMSelectType::selRaised;
        p.setPen(toQColor(raised ? clBtnHighlight : clBtnShadow));
        p.drawLine(box.topLeft(), box.topRight());
        p.drawLine(box.topLeft(), box.bottomLeft());
        p.setPen(toQColor(raised ? clBtnShadow : clBtnHighlight));
        p.drawLine(box.bottomLeft(), box.bottomRight());
        p.drawLine(box.topRight(), box.bottomRight());
    }

    if (d.barShown())
        p.drawImage(QPoint(left, top), bar(estimated.height()), QRect(0, top, d.BarWidth, r.height()));
}
