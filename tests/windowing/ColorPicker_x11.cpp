// The colour picker reads the screen pixel under the pointer.
#include "TestSupport.h"
#include "windowing/TabfColorPicker.h"

#include <QCursor>
#include <QWidget>
#include <gtest/gtest.h>

TEST(ColorPickerX11, ReadsTheKnownPixelUnderThePointer)
{
    TabfColorPicker picker;
    ASSERT_TRUE(PointerPixel().available());
    // The second colour sits under a pointer that moved, the third under one
    // that stayed while the screen changed beneath it. A read is answered
    // from what was asked at the read before, so that a pointer at rest
    // waits for no answer; a change, of the pointer or beneath it, shows by
    // the second read.
    int x = 70;
    for (TColor colour : {clRed, rgbColor(12, 200, 99), rgbColor(250, 250, 10)}) {
        QWidget patch(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint);
        patch.setAutoFillBackground(true);
        QPalette pal = patch.palette();
        pal.setColor(QPalette::Window, toQColor(colour));
        patch.setPalette(pal);
        patch.setGeometry(40, 40, 60, 60);
        patch.show();
        QCursor::setPos(x, 70);
        x = 75;
        EXPECT_TRUE(waitFor([colour] { return TabfColorPicker::colorUnderCursor() == colour; }, 3000))
            << std::hex << TabfColorPicker::colorUnderCursor().value_or(0xFFFFFFFFu);
        picker.colorUnderPointer();
        EXPECT_EQ(picker.colorUnderPointer(), colour) << std::hex << colour;
    }
}
