// The tray icon's own rules: the hint, minimizing into the tray (and not
// where there is no tray), the double click, the menu and hiding the icon.
#include "TestSupport.h"
#include "windowing/TabfTrayIcon.h"

#include <QMenu>
#include <QSystemTrayIcon>
#include <gtest/gtest.h>

namespace {

// The offscreen display has no notification area; the tests say whether one is there.
class TestTrayIcon : public TabfTrayIcon {
public:
    using TabfTrayIcon::TabfTrayIcon;
    bool host = true;
    bool hostAvailable() const override { return host; }
};

struct TrayIcon : ::testing::Test {
    FramedWindow window;
    TestTrayIcon* icon = new TestTrayIcon(&window);
    QMenu menu;
    int minimized = 0, doubleClicks = 0;

    void SetUp() override
    {
        icon->setIcon(QIcon(QStringLiteral(":/icons/kaleidor-16.png")));
        icon->setMinimizeToTray(true);
        icon->setPopupMenu(&menu);
        menu.addAction(QStringLiteral("item"));
        icon->OnMinimize = [this] { ++minimized; };
        icon->OnDblClick = [this] { ++doubleClicks; };
        window.show();
    }
};

TEST_F(TrayIcon, HintIsCutAndHiddenWithShowHintOff)
{
    const QString seventy(70, u'я');
    icon->setHint(seventy);
    EXPECT_EQ(icon->hint(), seventy.left(63));
    EXPECT_EQ(icon->systemTrayIcon()->toolTip(), seventy.left(63));
    icon->setShowHint(false);
    EXPECT_EQ(icon->toolTip(), QString());
    EXPECT_EQ(icon->systemTrayIcon()->toolTip(), QString());
    icon->setShowHint(true);
    EXPECT_EQ(icon->systemTrayIcon()->toolTip(), seventy.left(63));
}

TEST_F(TrayIcon, MinimizingHidesTheWindowIntoTheTrayAndShowsTheIcon)
{
    ASSERT_FALSE(icon->visible());
    window.minimizeWindow();
    EXPECT_FALSE(window.isVisible());
    EXPECT_TRUE(icon->visible());
    EXPECT_EQ(minimized, 1);
    // Hiding the icon brings the window back: nothing else could.
    icon->setVisible(false);
    EXPECT_TRUE(window.isVisible());
}

TEST_F(TrayIcon, WithoutATrayMinimizingIsLeftToTheWindow)
{
    icon->host = false;
    window.minimizeWindow();
    EXPECT_FALSE(icon->visible());
    EXPECT_EQ(minimized, 0);
    icon->setMinimizeToTray(false);
    icon->host = true;
    window.show();
    window.minimizeWindow();
    EXPECT_EQ(minimized, 0);
}

TEST_F(TrayIcon, DoubleClickTogglesTheWindowUnlessTheMenuHasADefaultItem)
{
    icon->setVisible(true);
    icon->doubleClick();
    EXPECT_FALSE(window.isVisible());
    icon->doubleClick();
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(doubleClicks, 2);

    int ran = 0;
    QAction* chosen = menu.addAction(QStringLiteral("default"));
    QObject::connect(chosen, &QAction::triggered, [&] { ++ran; });
    menu.setDefaultAction(chosen);
    icon->doubleClick();
    EXPECT_EQ(ran, 1);
    EXPECT_TRUE(window.isVisible());

    icon->setEnabled(false);
    icon->doubleClick();
    EXPECT_EQ(ran, 1);
    EXPECT_EQ(doubleClicks, 3);
}

TEST_F(TrayIcon, RightClickOpensOurMenuAndLeftClickOnlyWhenAsked)
{
    icon->leftClick();
    EXPECT_FALSE(menu.isVisible());
    icon->rightClick();
    EXPECT_TRUE(waitFor([this] { return menu.isVisible(); }, 2000));
    menu.hide();
    icon->setPopupByLeft(true);
    icon->leftClick();
    EXPECT_TRUE(waitFor([this] { return menu.isVisible(); }, 2000));
    menu.hide();
}

}  // namespace
