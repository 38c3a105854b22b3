// Moves under a real X server: the caption drag goes through the program's
// own code, so the window follows the pointer exactly and hooks are obeyed.
#include "TestSupport.h"
#include "windowing/FramedWindow.h"

#include <QApplication>
#include <QProcess>
#include <QTest>
#include <gtest/gtest.h>

namespace {
void xdotool(const QStringList& args)
{
    ASSERT_EQ(QProcess::execute(QStringLiteral("xdotool"), args), 0) << args.join(' ').toStdString();
}

void dragCaption(FramedWindow& w, QPoint from, QPoint delta)
{
    const QPoint to = from + delta;
    xdotool({"mousemove", QString::number(from.x()), QString::number(from.y())});
    QTest::qWait(50);
    xdotool({"mousedown", "1"});
    QTest::qWait(50);
    // Several steps, as a hand would move.
    for (int i = 1; i <= 4; ++i) {
        const QPoint p = from + delta * i / 4;
        xdotool({"mousemove", QString::number(p.x()), QString::number(p.y())});
        QTest::qWait(30);
    }
    xdotool({"mousemove", QString::number(to.x()), QString::number(to.y())});
    QTest::qWait(50);
    xdotool({"mouseup", "1"});
    waitFor([&] { return false; }, 200);
    (void)w;
}

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
    dragCaption(s.w, s.captionPoint(), QPoint(137, 61));
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
    dragCaption(s.w, s.captionPoint(), QPoint(-170, 20));
    EXPECT_TRUE(waitFor([&] { return s.w.pos() == QPoint(0, 170); }, 2000)) << s.w.pos().x() << "," << s.w.pos().y();
    EXPECT_EQ(hook.ended, 1);
    s.w.removeHook(&hook);
}
