// The self-drawn frame: sizes, caption buttons, the window menu, closing.
#include "TestSupport.h"
#include "windowing/FramedWindow.h"

#include <QAction>
#include <QGuiApplication>
#include <QImage>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <gtest/gtest.h>

namespace {
QStringList menuTexts(QMenu* menu)
{
    QStringList texts;
    for (QAction* a : menu->actions())
        texts << (a->isSeparator() ? QStringLiteral("-") : a->text());
    return texts;
}
}  // namespace

TEST(FramedWindow, OuterAndClientSizesFollowTheFrameMetrics)
{
    const struct {
        BorderStyle style;
        bool menu;
        int outerW, outerH, clientW, clientH;
    } cases[] = {
        {BorderStyle::Sizeable, true, 480, 267, 472, 213},   // main window
        {BorderStyle::Sizeable, false, 385, 341, 377, 307},  // screen window
        {BorderStyle::Single, false, 200, 93, 194, 61},      // music and video windows
        {BorderStyle::Single, false, 208, 287, 202, 255},    // settings dialog
        {BorderStyle::Dialog, false, 312, 314, 306, 282},    // help window
    };
    for (const auto& c : cases) {
        FramedWindow w;
        w.setBorderStyle(c.style);
        if (c.menu)
            w.setMenuBar(new QMenuBar);
        w.setOuterSize(c.outerW, c.outerH);
        EXPECT_EQ(w.clientWidth(), c.clientW);
        EXPECT_EQ(w.clientHeight(), c.clientH);
        EXPECT_EQ(w.client()->size(), QSize(c.clientW, c.clientH));
        w.setClientSize(c.clientW, c.clientH);
        EXPECT_EQ(w.size(), QSize(c.outerW, c.outerH));
    }
}

TEST(FramedWindow, ChangingTheBorderKeepsTheClientSize)
{
    FramedWindow w;
    w.setClientSize(194, 61);
    w.setBorderStyle(BorderStyle::Single);
    EXPECT_EQ(w.clientWidth(), 194);
    EXPECT_EQ(w.clientHeight(), 61);
    EXPECT_EQ(w.outerWidth(), 200);
}

TEST(FramedWindow, CaptionButtonsFollowStyleAndIcons)
{
    const struct {
        BorderStyle style;
        BorderIcons icons;
        bool min, max, close;
    } cases[] = {
        {BorderStyle::Sizeable, {true, true, true}, true, true, true},
        {BorderStyle::Single, {true, true, false}, true, false, true},
        {BorderStyle::Single, {true, false, false}, false, false, true},
        {BorderStyle::Dialog, {true, true, true}, false, false, true},
        {BorderStyle::Dialog, {false, false, false}, false, false, false},
    };
    for (const auto& c : cases) {
        FramedWindow w;
        w.setBorderStyle(c.style);
        w.setBorderIcons(c.icons);
        FrameCaption* caption = w.captionBar();
        EXPECT_EQ(caption->minimizeButton()->isVisibleTo(caption), c.min);
        EXPECT_EQ(caption->maximizeButton()->isVisibleTo(caption), c.max);
        EXPECT_EQ(caption->closeButton()->isVisibleTo(caption), c.close);
    }
}

TEST(FramedWindow, WindowMenuHasTheSevenItemsAndTakesInsertions)
{
    FramedWindow w;
    const QStringList expected = {"Восстановить", "Переместить", "Размер", "Свернуть", "Развернуть", "-", "Закрыть"};
    EXPECT_EQ(menuTexts(w.windowMenu()), expected);

    auto* appended = new QAction(QStringLiteral("Поверх всех окон"), &w);
    w.insertWindowMenuItem(7, appended);
    auto* inserted = new QAction(QStringLiteral("Первый"), &w);
    w.insertWindowMenuItem(0, inserted);
    const QStringList after = {"Первый", "Восстановить", "Переместить", "Размер", "Свернуть", "Развернуть", "-",
                               "Закрыть", "Поверх всех окон"};
    EXPECT_EQ(menuTexts(w.windowMenu()), after);
}

TEST(FramedWindow, WindowMenuItemsAreEnabledByStateAndStyle)
{
    FramedWindow w;
    w.setBorderStyle(BorderStyle::Single);
    w.setBorderIcons({true, true, false});
    emit w.windowMenu()->aboutToShow();
    QStringList enabled;
    for (QAction* a : w.windowMenu()->actions())
        if (!a->isSeparator() && a->isEnabled())
            enabled << a->text();
    EXPECT_EQ(enabled, (QStringList{"Переместить", "Свернуть", "Закрыть"}));
}

namespace {
class ClosingWindow : public FramedWindow {
public:
    CloseAction answer = CloseAction::Hide;
    int closes = 0;

protected:
    void FormClose(CloseAction& action) override
    {
        ++closes;
        action = answer;
    }
};
}  // namespace

TEST(FramedWindow, ClosingRunsTheHandlerAndHidesOrStays)
{
    ClosingWindow w;
    w.show();
    w.close();
    EXPECT_EQ(w.closes, 1);
    EXPECT_FALSE(w.isVisible());

    w.show();
    w.answer = CloseAction::None;
    w.close();
    EXPECT_EQ(w.closes, 2);
    EXPECT_TRUE(w.isVisible());
}

TEST(FramedWindow, HooksSeeShowHideAndCanChangeAMove)
{
    struct Recorder : FrameHook {
        QStringList events;
        void moving(QRect& r) override
        {
            events << QStringLiteral("moving");
            r.moveTo(0, 0);  // a snapping hook
        }
        void moveEnded() override { events << QStringLiteral("ended"); }
        void aboutToShow() override { events << QStringLiteral("show"); }
        void hidden() override { events << QStringLiteral("hidden"); }
    } hook;
    FramedWindow w;
    w.addHook(&hook);
    w.show();
    w.moveByUser(QRect(50, 60, w.width(), w.height()));
    w.endUserMove();
    EXPECT_EQ(w.pos(), QPoint(0, 0));
    w.hide();
    w.removeHook(&hook);
    w.show();
    EXPECT_EQ(hook.events, (QStringList{"show", "moving", "ended", "hidden"}));
}

TEST(FramedWindow, AWindowLargerThanTheScreenPaintsItsFrameAsItComesIntoView)
{
    QScreen* screen = QGuiApplication::primaryScreen();
    const QRect desktop = screen->virtualGeometry();
    FramedWindow w;
    w.setGeometry(QRect(desktop.topLeft(), desktop.size() * 2));
    w.show();
    // The left border near the top is on the screen from the start, the
    // same border near the bottom only once the window is moved up.
    const QPoint seen(1, 100), hidden(1, w.height() - 100);
    auto pixel = [&](QPoint at) {
        const QImage shot = screen->grabWindow(w.winId()).toImage();
        return shot.valid(at) ? shot.pixel(at) : QRgb(0);
    };
    ASSERT_TRUE(waitFor([&] { return pixel(seen) != 0; }));
    const QRgb border = pixel(seen);

    w.move(desktop.topLeft() - QPoint(0, desktop.height()));
    EXPECT_TRUE(waitFor([&] { return pixel(hidden) == border; })) << "the border was not painted once in view";
}
