// A window that fades in is left fully opaque on a real X server, whatever
// interrupts the fade.
#include "TestSupport.h"
#include "windowing/TabfTrayIcon.h"
#include "windowing/TacWin2kEffects.h"

#include <QGuiApplication>
#include <QTest>
#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>
#include <optional>

namespace {

// The window's opacity as a compositing manager reads it; nothing when the
// property is not set.
std::optional<quint32> opacityProperty(const QWidget& w)
{
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* c = x11->connection();
    static const char name[] = "_NET_WM_WINDOW_OPACITY";
    std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> atom(
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, sizeof name - 1, name), nullptr), &std::free);
    if (!atom)
        return std::nullopt;
    std::unique_ptr<xcb_get_property_reply_t, decltype(&std::free)> reply(
        xcb_get_property_reply(c, xcb_get_property(c, 0, xcb_window_t(w.winId()), atom->atom, XCB_ATOM_CARDINAL, 0, 1),
                               nullptr),
        &std::free);
    if (!reply || xcb_get_property_value_length(reply.get()) < 4)
        return std::nullopt;
    return *static_cast<const quint32*>(xcb_get_property_value(reply.get()));
}

bool opaque(const QWidget& w)
{
    const auto value = opacityProperty(w);
    return !value || *value == 0xffffffffu;
}

TEST(Win2kEffectsX11, TrayRestoreLeavesTheWindowOpaque)
{
    FramedWindow w;
    w.setBounds(211, 292, 480, 267);
    auto* effects = new TacWin2kEffects(&w);
    effects->animateOnShow = {true, Win2kAnimation::HorPositive | Win2kAnimation::VerPositive | Win2kAnimation::Blend, 200};
    effects->animateOnHide = {true, Win2kAnimation::Center, 200};
    TabfTrayIcon tray(&w);
    w.show();
    ASSERT_TRUE(waitFor([&] { return !effects->isAnimating(); }));
    EXPECT_TRUE(opaque(w)) << std::hex << opacityProperty(w).value_or(0);
    tray.hideMainWindow();
    tray.showMainWindow();
    ASSERT_TRUE(waitFor([&] { return !effects->isAnimating(); }));
    QTest::qWait(100);
    EXPECT_TRUE(opaque(w)) << std::hex << opacityProperty(w).value_or(0);
}

}  // namespace
