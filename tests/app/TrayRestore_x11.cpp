// The main window hidden in the tray and brought back is fully opaque on the
// X server: under a compositing manager it would otherwise stay invisible.
// The end of its fade must reach the server by itself, with no later event
// of the program's own to carry it.
#include "TestSupport.h"
#include "app/Application.h"
#include "app/TForm1.h"
#include "windowing/TacWin2kEffects.h"

#include <QApplication>
#include <QTest>
#include <gtest/gtest.h>

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <memory>
#include <optional>

namespace {
std::optional<unsigned long> opacityProperty(unsigned long window)
{
    std::unique_ptr<Display, int (*)(Display*)> display(XOpenDisplay(nullptr), XCloseDisplay);
    if (!display)
        return std::nullopt;
    const Atom name = XInternAtom(display.get(), "_NET_WM_WINDOW_OPACITY", False);
    Atom type = None;
    int format = 0;
    unsigned long count = 0, rest = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display.get(), window, name, 0, 1, False, XA_CARDINAL, &type, &format, &count, &rest,
                           &data) != Success ||
        !data)
        return std::nullopt;
    std::optional<unsigned long> value;
    if (count == 1)
        value = *reinterpret_cast<unsigned long*>(data) & 0xffffffffUL;
    XFree(data);
    return value;
}
}  // namespace

TEST(TrayRestore, TheMainWindowComesBackOpaque)
{
    TempConfigHome home;
    ModalWatcher watcher;
    Application shell;
    shell.createWindows();
    Form1->show();
    ASSERT_TRUE(waitFor([] { return !Form1->acWin2kEffects1->isAnimating(); }));
    for (int round = 0; round < 2; ++round) {
        Form1->AHMMenuItem48Click();  // into the tray
        ASSERT_FALSE(Form1->isVisible());
        Form1->AHMMenuItem49Click();  // back
        ASSERT_TRUE(Form1->isVisible());
        ASSERT_TRUE(waitFor([] { return !Form1->acWin2kEffects1->isAnimating(); }));
        // The server learns of the last change only once it is sent: read it
        // from outside until it shows full opacity or the deadline passes.
        std::optional<unsigned long> value;
        EXPECT_TRUE(waitFor([&] {
            value = opacityProperty(Form1->winId());
            return !value || *value == 0xffffffffUL;
        })) << round << " " << std::hex << value.value_or(0);
    }
}
