// What the window manager reads as a window's title is exactly its caption:
// task bars and window lists show it.
#include "TestSupport.h"
#include "app/Application.h"
#include "windowing/FramedWindow.h"

#include <QApplication>
#include <QWindow>
#include <gtest/gtest.h>

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <memory>

namespace {
QString netWmName(unsigned long window)
{
    std::unique_ptr<Display, int (*)(Display*)> display(XOpenDisplay(nullptr), XCloseDisplay);
    if (!display)
        return {};
    const Atom name = XInternAtom(display.get(), "_NET_WM_NAME", False);
    const Atom utf8 = XInternAtom(display.get(), "UTF8_STRING", False);
    Atom type = None;
    int format = 0;
    unsigned long count = 0, rest = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display.get(), window, name, 0, 1024, False, utf8, &type, &format, &count, &rest, &data) !=
            Success ||
        !data)
        return {};
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), int(count));
    XFree(data);
    return text;
}
}  // namespace

TEST(WindowTitle, TheWindowManagerReadsExactlyTheCaption)
{
    Application::initialize(*qApp);
    FramedWindow window;
    window.setCaption(QStringLiteral("Калейдор ver 1.5"));
    window.show();
    ASSERT_TRUE(waitFor([&] { return window.windowHandle() && window.windowHandle()->isExposed(); }));
    EXPECT_TRUE(waitFor([&] { return netWmName(window.winId()) == QStringLiteral("Калейдор ver 1.5"); }))
        << netWmName(window.winId()).toStdString();
}
