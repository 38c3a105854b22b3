// Moves under a real X server: the caption drag goes through the program's
// own code, so the window follows the pointer exactly and hooks are obeyed.
#include "TestSupport.h"
#include "windowing/FramedWindow.h"

#include <QApplication>
#include <QProcess>
#include <QTest>
#include <gtest/gtest.h>

namespace {
struct Shown {
    FramedWindow w;
    Shown()
    {
        w.setBounds(200, 150, 385, 341);
        w.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&w));
        waitFor([&] { return w.pos() == QPoint(200, 150); }, 2000);
    }
    QPoint captionPoint() const { return w.mapToGlobal(QPoint(100, 4 + 13)); }
};
}  // namespace

TEST(FramedWindowX11, ACaptionDragMovesTheWindowByThePointersTravel)
{
    Shown s;
    ASSERT_EQ(s.w.pos(), QPoint(200, 150));
    dragWithPointer(s.captionPoint(), QPoint(137, 61));
    EXPECT_TRUE(waitFor([&] { return s.w.pos() == QPoint(337, 211); }, 2000)) << s.w.pos().x() << "," << s.w.pos().y();
    EXPECT_EQ(s.w.size(), QSize(385, 341));
}

TEST(FramedWindowX11, AMoveHookThatChangesTheRectangleIsObeyed)
{
    struct SnapLeft : FrameHook {
        int ended = 0;
        void moving(QRect& r) override
        {
            if (r.left() < 40)
                r.moveLeft(0);
        }
        void moveEnded() override { ++ended; }
    } hook;
    Shown s;
    s.w.addHook(&hook);
    dragWithPointer(s.captionPoint(), QPoint(-170, 20));
    EXPECT_TRUE(waitFor([&] { return s.w.pos() == QPoint(0, 170); }, 2000)) << s.w.pos().x() << "," << s.w.pos().y();
    EXPECT_EQ(hook.ended, 1);
    s.w.removeHook(&hook);
}
