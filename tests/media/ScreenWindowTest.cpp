// The screen window: zoom on outer sizes, the wheel, real size, the video
// surface click and the close handler.
#include "FakeMediaEngine.h"
#include "TestSupport.h"
#include "media/MediaShared.h"
#include "media/TForm3.h"
#include "media/TForm8.h"

#include <QAction>
#include <QApplication>
#include <QImage>
#include <QTemporaryDir>
#include <QWheelEvent>
#include <gtest/gtest.h>

namespace {

// The screen window with the video window it brings forward, over a fake engine.
struct ScreenAndVideo {
    MediaState media;
    FakeMedia played;
    ScreenAndVideo()
    {
        Form3 = new TForm3(media);
        Form8 = new TForm8(FakeMediaEngine::factory(played));
    }
    ~ScreenAndVideo()
    {
        delete Form8;
        Form8 = nullptr;
        delete Form3;
        Form3 = nullptr;
    }
};

QSize outer() { return {Form3->outerWidth(), Form3->outerHeight()}; }

void wheel(int delta)
{
    QWheelEvent event(QPointF(5, 5), QPointF(5, 5), {}, QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(Form3, &event);
}

}  // namespace

TEST(ScreenWindow, ZoomCommandsFromTheDesignSize)
{
    ScreenAndVideo windows;
    const struct {
        QAction* TForm3::*item;
        QSize expected;
    } cases[] = {
        {&TForm3::N11, {308, 273}},
        {&TForm3::N21, {257, 227}},
        {&TForm3::N31, {481, 426}},
        {&TForm3::N41, {578, 512}},
    };
    for (const auto& c : cases) {
        Form3->setOuterSize(385, 341);
        (Form3->*c.item)->trigger();
        EXPECT_EQ(outer(), c.expected);
    }
}

TEST(ScreenWindow, ZoomStepsRoundHalvesToEven)
{
    ScreenAndVideo windows;
    Form3->setOuterSize(385, 341);
    Form3->N11Click();
    Form3->N31Click();
    EXPECT_EQ(outer(), QSize(385, 341));  // 273 × 1.25 = 341.25

    Form3->N21Click();
    Form3->N41Click();
    EXPECT_EQ(outer(), QSize(386, 340));  // 385.5 and 340.5 go to the even side

    EXPECT_EQ(TForm3::zoomed(303, 1.5, true), 454);
    EXPECT_EQ(TForm3::zoomed(385, 1.5, true), 578);
}

TEST(ScreenWindow, MenuHasItsItemsAndSingleKeys)
{
    ScreenAndVideo windows;
    const struct {
        QAction* action;
        const char* caption;
        Qt::Key key;
    } cases[] = {
        {Form3->N11, "Уменьшить на 25%", Qt::Key_1}, {Form3->N21, "Уменьшить на 50%", Qt::Key_2},
        {Form3->N31, "Увеличить на 25%", Qt::Key_3}, {Form3->N41, "Увеличить на 50%", Qt::Key_4},
        {Form3->N2, "Реальный размер", Qt::Key_R},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.action->text(), QString::fromUtf8(c.caption));
        EXPECT_EQ(c.action->shortcut(), QKeySequence(c.key));
    }
    EXPECT_TRUE(Form3->N1->isSeparator());
}

TEST(ScreenWindow, WheelNotchesChangeBothOuterSidesByFifteen)
{
    ScreenAndVideo windows;
    Form3->setOuterSize(385, 341);
    wheel(-120);  // towards the user
    EXPECT_EQ(outer(), QSize(400, 356));
    wheel(120);
    wheel(120);
    EXPECT_EQ(outer(), QSize(370, 326));
    wheel(60);  // half a notch does nothing yet
    EXPECT_EQ(outer(), QSize(370, 326));
    wheel(60);
    EXPECT_EQ(outer(), QSize(355, 311));
}

TEST(ScreenWindow, RealSizeInPictureModeUsesThePictureAsOuterSize)
{
    ScreenAndVideo windows;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("p.bmp"));
    QImage(300, 200, QImage::Format_RGB32).save(path);
    Form3->Image1->setPicture(PictureFile::load(path));
    Form3->N31Click();
    Form3->N2Click();
    EXPECT_EQ(outer(), QSize(300, 200));
    EXPECT_EQ(Form3->caption(), QStringLiteral("Изображение"));
}

TEST(ScreenWindow, RealSizeInVideoModeRestoresTheNaturalClientSize)
{
    ScreenAndVideo windows;
    windows.media.VideoNaturalWidth = 320;
    windows.media.VideoNaturalHeight = 240;
    Form3->setCaption(QStringLiteral("Экран"));
    Form8->show();
    Form3->N41Click();
    Form3->N2Click();
    EXPECT_EQ(QSize(Form3->clientWidth(), Form3->clientHeight()), QSize(320, 240));
    EXPECT_EQ(Form3->caption(), QStringLiteral("Экран"));
}

TEST(ScreenWindow, ControlsFillTheClientAreaAfterEveryResize)
{
    ScreenAndVideo windows;
    Form3->show();
    Form3->N41Click();
    const QSize client(Form3->clientWidth(), Form3->clientHeight());
    EXPECT_EQ(Form3->Image1->size(), client);
    EXPECT_EQ(Form3->Panel1->size(), client);
}

TEST(ScreenWindow, EveryOtherClickOnTheVideoSurfaceBringsTheVideoWindow)
{
    ScreenAndVideo windows;
    Form3->Panel1Click();
    EXPECT_TRUE(Form8->isVisible());
    Form8->hide();
    Form3->Panel1Click();
    EXPECT_FALSE(Form8->isVisible());
    Form3->Panel1Click();
    EXPECT_TRUE(Form8->isVisible());
}

TEST(ScreenWindow, CloseStopsTheVideoTimerHidesTheVideoWindowAndReportsIt)
{
    ScreenAndVideo windows;
    ModalWatcher watcher;
    int closedCalls = 0;
    Form3->onClosed = [&] { ++closedCalls; };
    for (bool videoVisible : {false, true}) {
        Form3->show();
        Form8->setVisible(videoVisible);
        Form8->Timer1->setEnabled(true);
        Form3->close();
        EXPECT_FALSE(Form3->isVisible());
        EXPECT_FALSE(Form8->isVisible());
        EXPECT_FALSE(Form8->Timer1->enabled());
    }
    EXPECT_EQ(closedCalls, 2);
    EXPECT_TRUE(watcher.seen().isEmpty());  // no player was open: nothing to stop, no error
}
