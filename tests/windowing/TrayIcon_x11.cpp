// The tray icon in a real notification area (a tray host started here):
// minimizing into it, and the icon coming back when the host restarts.
#include "TestSupport.h"
#include "windowing/TabfTrayIcon.h"

#include <QProcess>
#include <QStandardPaths>
#include <QSystemTrayIcon>
#include <gtest/gtest.h>

#include <memory>

namespace {

std::unique_ptr<QProcess> startTrayHost()
{
    auto host = std::make_unique<QProcess>();
    host->start(QStringLiteral("trayer"), {QStringLiteral("--edge"), QStringLiteral("top"), QStringLiteral("--align"),
                                            QStringLiteral("right")});
    if (!host->waitForStarted(3000))
        return nullptr;
    return host;
}

void stop(std::unique_ptr<QProcess>& host)
{
    host->terminate();
    host->waitForFinished(3000);
    host.reset();
}

TEST(TrayIconX11, MinimizesIntoARealTrayAndComesBackAfterTheHostRestarts)
{
    if (QStandardPaths::findExecutable(QStringLiteral("trayer")).isEmpty())
        GTEST_SKIP() << "no tray host program";
    auto host = startTrayHost();
    ASSERT_TRUE(host);
    ASSERT_TRUE(waitFor([] { return QSystemTrayIcon::isSystemTrayAvailable(); }, 5000));

    FramedWindow window;
    auto* icon = new TabfTrayIcon(&window);
    icon->setIcon(QIcon(QStringLiteral(":/icons/kaleidor-16.png")));
    icon->setMinimizeToTray(true);
    window.show();
    window.minimizeWindow();
    EXPECT_FALSE(window.isVisible());
    EXPECT_TRUE(icon->visible());
    // Embedded in the host, the icon has a place on the screen.
    auto embedded = [icon] { return !icon->systemTrayIcon()->geometry().isEmpty(); };
    EXPECT_TRUE(waitFor(embedded, 5000));

    stop(host);
    ASSERT_TRUE(waitFor([] { return !QSystemTrayIcon::isSystemTrayAvailable(); }, 5000));
    EXPECT_TRUE(waitFor([&] { return !embedded(); }, 5000));
    host = startTrayHost();
    ASSERT_TRUE(host);
    EXPECT_TRUE(waitFor([] { return QSystemTrayIcon::isSystemTrayAvailable(); }, 5000));
    EXPECT_TRUE(waitFor(embedded, 5000));

    icon->doubleClick();
    EXPECT_TRUE(window.isVisible());
    stop(host);
}

}  // namespace
