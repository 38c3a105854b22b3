// The seek bar's range and clamping, and the read-out's gradient and height.
#include "styled/TabfProgressBar.h"
#include "styled/TacHeader.h"

#include <QFontMetrics>
#include <QImage>
#include <gtest/gtest.h>

#include <limits>

TEST(SeekBar, PositionsAreClampedIntoAThirtyTwoBitRange)
{
    constexpr std::int32_t big = std::numeric_limits<std::int32_t>::max();
    const struct {
        std::int32_t min, max, set, expected;
    } cases[] = {
        {0, 100, 50, 50},
        {0, 100, -1, 0},
        {0, 100, 101, 100},
        {0, 0, 7, 0},                   // a file of 0 ms: always at the maximum
        {0, big, big, big},             // lengths beyond 16 bits are kept whole
        {0, 3'600'000, 2'000'000, 2'000'000},
    };
    for (const auto& c : cases) {
        TabfProgressBar bar;
        bar.setMax(c.max);
        bar.setMin(c.min);
        bar.setPosition(c.set);
        EXPECT_EQ(bar.position(), c.expected) << c.set << " in [" << c.min << ", " << c.max << "]";
    }
}

TEST(SeekBar, LoweringTheMaximumPullsThePositionIn)
{
    TabfProgressBar bar;
    bar.setPosition(80);
    bar.setMax(40);
    EXPECT_EQ(bar.position(), 40);
}

TEST(SeekBar, PaintsTheFilledPartInTheBarColour)
{
    TabfProgressBar bar;
    bar.resize(100, 9);
    bar.setBarColor(clOliveGreen);
    bar.setBackColor(clSilver);
    bar.setPosition(25);
    QImage shot(bar.size(), QImage::Format_RGB32);
    bar.render(&shot);
    EXPECT_EQ(QColor(shot.pixel(10, 4)), toQColor(clOliveGreen));
    EXPECT_EQ(QColor(shot.pixel(60, 4)), toQColor(clSilver));
}

TEST(ReadOut, MulDivRoundsHalvesToEven)
{
    const struct {
        int a, b, c, expected;
    } cases[] = {{1, 1, 2, 0}, {3, 1, 2, 2}, {5, 121, 255, 2}, {127, 128, 254, 64}, {254, -128, 254, -128}};
    for (const auto& c : cases)
        EXPECT_EQ(TacHeader::mulDiv(c.a, c.b, c.c), c.expected) << c.a << "*" << c.b << "/" << c.c;
}

TEST(ReadOut, GradientRunsFromTheFirstColourToTheSecondOverTheWholeWidth)
{
    const QColor purple = toQColor(clPurple);
    const QColor tan = toQColor(clTan);
    EXPECT_EQ(TacHeader::stripColor(0, purple, tan), purple);
    EXPECT_EQ(TacHeader::stripColor(254, purple, tan), tan);
    EXPECT_EQ(TacHeader::stripLeft(0, 119), 0);
    EXPECT_EQ(TacHeader::stripLeft(255, 119), 119);
    // Narrow widths give strips of no width, never gaps or overlaps.
    for (int k = 0; k < 255; ++k)
        EXPECT_LE(TacHeader::stripLeft(k, 119), TacHeader::stripLeft(k + 1, 119));
}

TEST(ReadOut, HeightFollowsTheFont)
{
    TacHeader header;
    const FontSpec big = fontSpec(QStringLiteral("Arial"), -24);
    header.setHeaderFont(big);
    EXPECT_EQ(header.height(), QFontMetrics(big.toQFont()).height() + 5);
}
