// The magnet's computation on rectangles, and the component moving glued
// windows and snapping when it is switched on.
#include "TestSupport.h"
#include "windowing/TacFormMagnet.h"

#include <QGuiApplication>
#include <QScreen>
#include <gtest/gtest.h>

namespace {

MagnetRect at(int left, int top, int width, int height) { return {left, top, left + width, top + height}; }

TEST(MagnetGeometry, SnapsByTheDistancesWithStrictComparisons)
{
    const MagnetRect screen = at(0, 0, 1280, 1024);
    const MagnetRect other = at(400, 500, 300, 200);  // a candidate window
    const struct {
        const char* name;
        MagnetRect proposed;
        std::vector<MagnetRect> candidates;
        bool glue;
        MagnetRect expected;
    } cases[] = {
        {"15 px from the top edge snaps", at(300, 15, 100, 80), {}, false, at(300, 0, 100, 80)},
        {"16 px from the top edge stays", at(300, 16, 100, 80), {}, false, at(300, 16, 100, 80)},
        {"15 px beyond the left edge snaps", at(-15, 300, 100, 80), {}, false, at(0, 300, 100, 80)},
        {"right and bottom edges", at(1175, 930, 100, 80), {}, false, at(1180, 944, 100, 80)},
        {"bottom 19 px above a window snaps", at(450, 500 - 19 - 80, 100, 80), {other}, false, at(450, 420, 100, 80)},
        {"bottom 20 px above a window stays", at(450, 500 - 20 - 80, 100, 80), {other}, false,
         at(450, 400, 100, 80)},
        {"overlapping by 5 px snaps back to touching", at(450, 500 + 5 - 80, 100, 80), {other}, false,
         at(450, 420, 100, 80)},
        {"top 10 px below a window's bottom snaps", at(450, 710, 100, 80), {other}, false, at(450, 700, 100, 80)},
        {"left 19 px right of a window snaps", at(719, 550, 100, 80), {other}, false, at(700, 550, 100, 80)},
        {"right edge on the line stays", at(300, 550, 100, 80), {other}, false, at(300, 550, 100, 80)},
        {"spans apart: no vertical snap", at(100, 500 - 10 - 80, 100, 80), {other}, false, at(100, 410, 100, 80)},
        {"snapped to a window: no screen edge too", at(5, 500 - 10 - 80, 400, 80), {at(0, 500, 300, 200)}, false,
         at(5, 420, 400, 80)},
        {"with glue the screen edge applies as well", at(5, 500 - 10 - 80, 400, 80), {at(0, 500, 300, 200)}, true,
         at(0, 420, 400, 80)},
        {"a later window overrides an earlier one", at(450, 415, 100, 80), {at(400, 510, 300, 200), other}, false,
         at(450, 420, 100, 80)},
    };
    for (const auto& c : cases) {
        MagnetParams params;
        params.glue = c.glue;
        const MagnetRect r = magnetSnap(c.proposed, c.proposed.width(), c.proposed.height(), screen, c.candidates, params);
        EXPECT_EQ(r, c.expected) << c.name << ": got " << r.left << "," << r.top;
    }
}

TEST(MagnetGeometry, AskedOnlyWhenAnEdgeHasCrossedTheLine)
{
    const MagnetRect other = at(400, 500, 300, 200);
    int asked = 0;
    auto refuse = [&](std::size_t) {
        ++asked;
        return false;
    };
    const MagnetRect screen = at(0, 0, 1280, 1024);
    // Bottom 5 px into the other window: asked, refused, stays.
    EXPECT_EQ(magnetSnap(at(450, 425, 100, 80), 100, 80, screen, {other}, {}, refuse), at(450, 425, 100, 80));
    EXPECT_EQ(asked, 1);
    // Bottom 5 px short of it: snaps without asking.
    EXPECT_EQ(magnetSnap(at(450, 415, 100, 80), 100, 80, screen, {other}, {}, refuse), at(450, 420, 100, 80));
    EXPECT_EQ(asked, 1);
}

TEST(MagnetGeometry, GlueNeedsExactTouching)
{
    const MagnetRect self = at(100, 100, 200, 100);
    const struct {
        MagnetRect other;
        bool touches;
    } cases[] = {
        {at(100, 200, 200, 50), true},   // below
        {at(900, 200, 200, 50), true},   // on the bottom line, far to the side
        {at(100, 201, 200, 50), false},  // a pixel away
        {at(300, 100, 50, 50), true},    // right
        {at(40, 40, 60, 60), true},      // left
        {at(100, 40, 50, 60), true},     // above
        {at(150, 150, 50, 50), false},   // inside
    };
    for (const auto& c : cases)
        EXPECT_EQ(magnetTouches(self, c.other), c.touches) << c.other.left << "," << c.other.top;
}

struct Pair {
    FramedWindow screenWindow, videoWindow;
    TacFormMagnet* screenMagnet = new TacFormMagnet(&screenWindow);
    TacFormMagnet* videoMagnet = new TacFormMagnet(&videoWindow);
    Pair()
    {
        videoMagnet->setGlue(true);
        screenWindow.setBounds(300, 400, 320, 240);
        videoWindow.setBounds(300, 300, 320, 100);  // exactly above the screen window
        screenWindow.show();
        videoWindow.show();
    }
};

TEST(Magnet, TheVideoWindowDragsItsGluedPartnerAndSwitchingOffFreesBoth)
{
    Pair p;
    p.videoWindow.moveByUser(QRect(350, 330, 320, 100));
    p.videoWindow.moveByUser(QRect(420, 360, 320, 100));
    p.videoWindow.endUserMove();
    EXPECT_EQ(p.videoWindow.pos(), QPoint(420, 360));
    EXPECT_EQ(p.screenWindow.pos(), QPoint(420, 460));

    // The screen window has no glue: it leaves alone.
    p.screenWindow.moveByUser(QRect(600, 600, 320, 240));
    p.screenWindow.endUserMove();
    EXPECT_EQ(p.videoWindow.pos(), QPoint(420, 360));

    for (TacFormMagnet* m : {p.screenMagnet, p.videoMagnet})
        m->setActive(false);
    p.videoWindow.moveByUser(QRect(3, 5, 320, 100));
    p.videoWindow.endUserMove();
    EXPECT_EQ(p.videoWindow.pos(), QPoint(3, 5));
    EXPECT_EQ(p.screenWindow.pos(), QPoint(600, 600));

    // Switched on again, a magnet snaps its window where it stands.
    p.videoMagnet->setActive(true);
    const QRect area = p.videoWindow.screen()->availableGeometry();
    EXPECT_EQ(p.videoWindow.pos(), area.topLeft());
}

TEST(Magnet, WithoutDockOnMovingTheWindowJumpsWhenReleased)
{
    Pair p;
    p.screenMagnet->setDockOnMoving(false);
    p.screenWindow.moveByUser(QRect(300, 412, 320, 240));
    EXPECT_EQ(p.screenWindow.pos(), QPoint(300, 412));
    p.screenWindow.endUserMove();
    EXPECT_EQ(p.screenWindow.pos(), QPoint(300, 400));  // onto the video window's bottom
}

}  // namespace
