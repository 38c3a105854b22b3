// The pin keeps its window above the others on a real X server: a window
// manager started here is asked and its answer read back; with none the
// window raises itself over a window that comes up.
#include "TestSupport.h"
#include "platform/DesktopServices.h"
#include "platform/WindowStacking.h"
#include "windowing/TFormTopmost.h"

#include <QAbstractButton>
#include <QAction>
#include <QCursor>
#include <QGuiApplication>
#include <QProcess>
#include <QTest>
#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>

namespace {

void xdotool(const QStringList& args)
{
    ASSERT_EQ(QProcess::execute(QStringLiteral("xdotool"), args), 0) << args.join(' ').toStdString();
}

void clickAt(QPoint p)
{
    xdotool({"mousemove", QString::number(p.x()), QString::number(p.y())});
    ASSERT_TRUE(waitFor([p] { return QCursor::pos() == p; }));
    xdotool({"click", "1"});
}

// The top-level windows from the bottom of the stack to the top.
QList<quint32> stackingOrder()
{
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* c = x11->connection();
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    std::unique_ptr<xcb_query_tree_reply_t, decltype(&std::free)> tree(
        xcb_query_tree_reply(c, xcb_query_tree(c, root), nullptr), &std::free);
    QList<quint32> order;
    if (!tree)
        return order;
    const xcb_window_t* children = xcb_query_tree_children(tree.get());
    for (int i = 0; i < xcb_query_tree_children_length(tree.get()); ++i)
        order << children[i];
    return order;
}

// A manager announces itself before it is ready: a window mapped in between
// may never be shown. Probe windows until one is.
bool managerMapsWindows()
{
    for (int attempt = 0; attempt < 20; ++attempt) {
        QWidget probe(nullptr, Qt::Window);
        probe.setGeometry(0, 0, 20, 20);
        probe.show();
        if (QTest::qWaitForWindowExposed(&probe, 500))
            return true;
    }
    return false;
}

struct Pinned {
    X11WindowStacking stacking;
    FramedWindow window;
    TFormTopmost* pin = new TFormTopmost(&window);
    Pinned()
    {
        window.setStacking(&stacking);
        window.setCaption(QStringLiteral("Калейдор ver 1.5"));
        window.setBounds(100, 100, 480, 267);
        window.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
    }
    QPoint pinPoint() const { return pin->button()->mapToGlobal(pin->button()->rect().center()); }
};

TEST(PinX11, AWindowManagerKeepsThePinnedWindowAboveAndReportsIt)
{
    QProcess manager;
    manager.start(QStringLiteral("openbox"), {QStringLiteral("--sm-disable")});
    ASSERT_TRUE(manager.waitForStarted(5000));
    ASSERT_TRUE(waitFor([] { return DesktopServices::hasWindowManager(); }, 10000));
    ASSERT_TRUE(managerMapsWindows());
    {
        Pinned p;
        ASSERT_TRUE(waitFor([&] { return p.stacking.reportedAbove(&p.window).has_value(); }));
        clickAt(p.pinPoint());
        EXPECT_TRUE(waitFor([&] { return p.window.isTopmost(); }));
        EXPECT_TRUE(waitFor([&] { return p.stacking.reportedAbove(&p.window) == true; }));
        EXPECT_TRUE(p.pin->menuItem()->isChecked());
        clickAt(p.pinPoint());
        EXPECT_TRUE(waitFor([&] { return p.stacking.reportedAbove(&p.window) == false; }));
        EXPECT_FALSE(p.pin->menuItem()->isChecked());
    }
    manager.terminate();
    manager.waitForFinished(5000);
}

TEST(PinX11, WithoutAWindowManagerThePinnedWindowRaisesItself)
{
    ASSERT_FALSE(DesktopServices::hasWindowManager());
    Pinned p;
    p.pin->setTopmost(true);
    QWidget other(nullptr, Qt::Window);
    other.setGeometry(150, 150, 300, 200);
    other.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&other));
    other.raise();
    const quint32 ours = quint32(p.window.winId()), theirs = quint32(other.winId());
    EXPECT_TRUE(waitFor([&] {
        const QList<quint32> order = stackingOrder();
        return order.indexOf(ours) > order.indexOf(theirs);
    }));
    // Unpinned, it stays where the others put it.
    p.pin->setTopmost(false);
    other.raise();
    EXPECT_TRUE(waitFor([&] {
        const QList<quint32> order = stackingOrder();
        return order.indexOf(theirs) > order.indexOf(ours);
    }));
}

}  // namespace
