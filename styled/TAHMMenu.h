#pragma once
// A popup menu that measures and draws its items itself: fonts per state, a
// selection fill, dividers with an optional caption, a background colour and
// picture, and a side bar with a caption written upwards. A typed character
// picks the first item whose caption starts with it. The menu keeps Qt's
// popup handling (mouse, arrow keys, closing); the item rectangles it lays
// out are the ones measured here.
#include "TAHMMenuLayout.h"
#include "TAHMSubMenu.h"
#include "windowing/Fonts.h"

#include <QMenu>

#include <functional>

enum class TAHMSelectType { selNormal, selRaised, selSunken };
enum class TAHMPopupAlignment { paLeft, paRight, paCenter };

class TAHMMenu : public QMenu {
    Q_OBJECT
public:
    // The raised border around the items.
    static constexpr int kFrame = 3;

    explicit TAHMMenu(QWidget* owner);

    FontSpec MenuFont;
    FontSpec SelectedFont;
    FontSpec DividerFont;
    TColor SelectedColor = clHighlight;  // clNone: no fill
    bool FullSelect = true;              // the selection fill covers the image column too
    TAHMSelectType SelectType = TAHMSelectType::selNormal;
    bool NewStyles = true;               // off: plain items
    TAHMPopupAlignment PopupAlignment = TAHMPopupAlignment::paLeft;
    std::function<void()> OnPopup;
    // The short and the long part of the hint of the item the pointer is on.
    std::function<void(const QString& shortHint, const QString& longHint)> OnHint;

    // The look of the top level; a plain menu has none enabled.
    virtual const TAHMSubMenu& details() const;

    // Opens the menu at the screen point with the side given by PopupAlignment there.
    void Popup(int x, int y);

    // Measures and looks again after the settings above have changed.
    void relayout();

    // Replaces the text sizes (tests give fixed ones).
    void setMetrics(const MenuMetrics& metrics);

    MenuItemSize itemSize(const QAction* action) const;
    // The level's estimated size: where the background picture and the side bar are laid.
    QSize estimatedSize() const;
    // An item's rectangle inside the border, as it is drawn.
    QRect itemRect(QAction* action) const;

    // The size Qt is told for an item.
    QSize styledItemSize(const QString& text, bool divider, bool hasChildren) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    MenuLevelFacts levelFacts() const;
    MenuItemFacts itemFacts(const QString& caption, bool hasChildren) const;
    void drawFrame(QPainter& p) const;
    void drawItem(QPainter& p, QAction* action, const QRect& r, const QSize& estimated);
    void drawBackground(QPainter& p, const QRect& r, const QSize& estimated) const;
    void drawDivider(QPainter& p, const QString& caption, int left, int right, int top, int bottom) const;
    const QImage& bar(int height);
    void hovered(QAction* action);

    MenuMetrics metrics_;
    QImage bar_;
};
