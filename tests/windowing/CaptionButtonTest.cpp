// The push-pin caption button: its place, its window menu item, its clicks and
// the window's always-on-top state it follows.
#include "TestSupport.h"
#include "platform/WindowStacking.h"
#include "windowing/TFormTopmost.h"

#include <QAbstractButton>
#include <QAction>
#include <QMenu>
#include <QTest>
#include <gtest/gtest.h>

namespace {

struct FakeStacking : WindowStacking {
    QList<bool> requests;
    void setAbove(QWidget*, bool above) override { requests << above; }
    std::optional<bool> reportedAbove(QWidget*) const override { return std::nullopt; }
};

TEST(CaptionButton, MenuItemPositionAndButtonPlace)
{
    const struct {
        int items, position, expected;
    } positions[] = {{7, 0, 0}, {7, 3, 3}, {7, 7, 7}, {7, 8, 8}, {7, 9, 7}, {7, 20, 7}};
    for (const auto& c : positions)
        EXPECT_EQ(captionMenuInsertPosition(c.items, c.position), c.expected) << c.position;

    // Window width, border, own visible buttons, right offset.
    const struct {
        int width, border, own, offset, expected;
    } places[] = {{480, 4, 3, 21, 480 - 4 - 67 - 21}, {300, 3, 1, 21, 300 - 3 - 23 - 21},
                  {480, 4, 3, 29, 480 - 4 - 67 - 29}, {300, 3, 0, 21, 300 - 3 - 21}};
    for (const auto& c : places)
        EXPECT_EQ(FrameCaption::extraButtonLeft(c.width, c.border, c.own, c.offset), c.expected) << c.width;
}

struct PinnedWindow {
    FramedWindow window;
    FakeStacking stacking;
    TFormTopmost* pin;
    QList<bool> changes;
    PinnedWindow()
    {
        window.setStacking(&stacking);
        window.setBounds(100, 100, 480, 267);
        pin = new TFormTopmost(&window);
        pin->setHint(QStringLiteral("Поверх всех окон"));
        TCustomCaptionButton::MenuSettings menu = pin->systemMenu();
        menu.caption = QStringLiteral("Поверх всех &окон");
        menu.position = 7;
        pin->setSystemMenu(menu);
        pin->OnTopmostChanged = [this](TFormTopmost*, bool on) { changes << on; };
        window.show();
    }
    QPoint buttonCentre() const { return pin->button()->rect().center(); }
};

TEST(CaptionButton, ThePinSitsLeftOfTheWindowsButtonsAndItsItemEndsTheMenu)
{
    PinnedWindow w;
    QAbstractButton* b = w.pin->button();
    const QWidget* minimize = w.window.captionBar()->minimizeButton();
    EXPECT_EQ(b->size(), QSize(19, 15));
    EXPECT_EQ(b->mapTo(&w.window, QPoint(0, 0)).x(), 480 - 4 - 67 - 21);
    EXPECT_LT(b->geometry().right(), minimize->geometry().left());
    EXPECT_EQ(b->toolTip(), QStringLiteral("Поверх всех окон"));
    const QList<QAction*> items = w.window.windowMenu()->actions();
    ASSERT_EQ(items.size(), 9);
    EXPECT_TRUE(items[7]->isSeparator());
    EXPECT_EQ(items[8]->text(), QStringLiteral("Поверх всех &окон"));
}

TEST(CaptionButton, ClicksAndTheMenuItemToggleThePinAndTheCheckMarkFollows)
{
    PinnedWindow w;
    QAbstractButton* b = w.pin->button();
    QAction* item = w.pin->menuItem();
    QTest::mouseClick(b, Qt::LeftButton, {}, w.buttonCentre());
    EXPECT_TRUE(w.window.isTopmost());
    EXPECT_TRUE(w.pin->isDown());
    EXPECT_TRUE(item->isChecked());
    EXPECT_EQ(w.stacking.requests, QList<bool>{true});

    // Released away from the button: no toggle.
    QTest::mousePress(b, Qt::LeftButton, {}, w.buttonCentre());
    QTest::mouseRelease(b, Qt::LeftButton, {}, QPoint(5, 60));
    EXPECT_TRUE(w.window.isTopmost());

    // A right click is swallowed: no toggle and no window menu.
    QTest::mouseClick(b, Qt::RightButton, {}, w.buttonCentre());
    EXPECT_TRUE(w.window.isTopmost());
    EXPECT_FALSE(w.window.windowMenu()->isVisible());

    item->trigger();
    EXPECT_FALSE(w.window.isTopmost());
    EXPECT_FALSE(item->isChecked());
    EXPECT_EQ(w.changes, (QList<bool>{true, false}));

    // Setting the state the window already has tells nobody.
    w.pin->setTopmost(false);
    EXPECT_EQ(w.changes.size(), 2);
    // Set from elsewhere, the button and the item follow.
    w.window.setTopmost(true);
    EXPECT_TRUE(w.pin->isDown());
    EXPECT_TRUE(item->isChecked());
}

}  // namespace
