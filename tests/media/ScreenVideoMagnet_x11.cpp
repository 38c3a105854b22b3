// Dragging the screen and video windows by their captions under a real X
// server: the screen window snaps to the screen's edge and to the video
// window, and the video window then drags it along.
#include "FakeMediaEngine.h"
#include "TestSupport.h"
#include "media/MediaShared.h"
#include "media/TForm3.h"
#include "media/TForm8.h"

#include <QTest>
#include <gtest/gtest.h>

namespace {

QPoint captionPoint(FramedWindow* w) { return w->mapToGlobal(QPoint(60, 4 + 13)); }

TEST(ScreenVideoMagnetX11, TheScreenWindowSnapsAndGluesAndTheVideoWindowDragsIt)
{
    MediaState media;
    FakeMedia played;
    Form3 = new TForm3(media);
    Form8 = new TForm8(FakeMediaEngine::factory(played));
    Form8->move(200, 100);
    Form3->move(600, 500);
    Form8->show();
    Form3->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Form3));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Form8));
    ASSERT_TRUE(waitFor([] { return Form3->pos() == QPoint(600, 500) && Form8->pos() == QPoint(200, 100); }));

    // 12 px from the top of the screen: it snaps to the edge.
    dragWithPointer(captionPoint(Form3), QPoint(-100, -488));
    EXPECT_TRUE(waitFor([] { return Form3->pos() == QPoint(500, 0); })) << Form3->x() << "," << Form3->y();

    // 10 px below the video window: it snaps onto the video window's bottom edge.
    const QPoint target(Form8->x() + 5, Form8->y() + Form8->height() + 10);
    dragWithPointer(captionPoint(Form3), target - Form3->pos());
    const QPoint glued(Form8->x() + 5, Form8->y() + Form8->height());
    EXPECT_TRUE(waitFor([&] { return Form3->pos() == glued; })) << Form3->x() << "," << Form3->y();

    // The video window now takes the screen window along.
    dragWithPointer(captionPoint(Form8), QPoint(120, 60));
    EXPECT_TRUE(waitFor([] { return Form8->pos() == QPoint(320, 160); })) << Form8->x() << "," << Form8->y();
    EXPECT_TRUE(waitFor([&] { return Form3->pos() == glued + QPoint(120, 60); })) << Form3->x() << "," << Form3->y();

    delete Form8;
    Form8 = nullptr;
    delete Form3;
    Form3 = nullptr;
}

}  // namespace
