// The colour picker ticks only while the window that shows its colour is on
// screen.
#include "windowing/TabfColorPicker.h"

#include <QWidget>
#include <gtest/gtest.h>

TEST(ColorPicker, TicksOnlyWhileItsWindowIsShown)
{
    QWidget shown;
    shown.show();
    QWidget other;
    TabfColorPicker picker;
    EXPECT_TRUE(picker.isArmed());

    // A window already on screen keeps it ticking from the start.
    picker.runWhileShown(&shown);
    EXPECT_TRUE(picker.isArmed());

    QWidget window;
    picker.runWhileShown(&window);
    EXPECT_FALSE(picker.isArmed()) << "hidden from the start";
    for (int round = 0; round < 2; ++round) {
        window.show();
        EXPECT_TRUE(picker.isArmed()) << round;
        EXPECT_EQ(picker.interval(), 100);
        // The window watched before no longer counts.
        shown.hide();
        other.show();
        EXPECT_TRUE(picker.isArmed()) << round;
        shown.show();
        window.hide();
        EXPECT_FALSE(picker.isArmed()) << round;
        other.hide();
        EXPECT_FALSE(picker.isArmed()) << round;
    }
}
