// Stored places and sizes: a place counts when the caption band meets a
// screen; numbers at the ends of the integer range neither overflow nor
// reach the screen; sizes below the minimum give the design size.
#include "app/WindowPlacement.h"

#include <gtest/gtest.h>

#include <limits>

namespace {
constexpr int kMax = std::numeric_limits<int>::max();
constexpr int kMin = std::numeric_limits<int>::min();
const WindowPlacement::Frame kFrame{480, 4, 26};
const QList<QRect> kScreens{QRect(0, 0, 1280, 1024), QRect(1280, 0, 800, 600)};
const QPoint kDesign(211, 292);
}  // namespace

TEST(WindowPlacement, StoredPlacesOnAndOffTheScreens)
{
    const struct {
        std::optional<int> left, top;
        QPoint expected;
    } cases[] = {
        {-4, 100, {-4, 100}},              // partly off the left edge, caption still reachable
        {1500, 500, {1500, 500}},          // on the second screen
        {1500, 700, kDesign},              // below the smaller second screen
        {-476, 0, kDesign},                // only the border would be on the screen
        {-475, 0, {-475, 0}},              // one pixel of caption band left
        {0, -30, kDesign},                 // caption above the top edge
        {30000, 0, kDesign},
        {kMax, kMax, kDesign},             // the largest numbers do not wrap onto a screen
        {kMax, 0, kDesign},
        {0, kMax, kDesign},
        {kMin, kMin, kDesign},
        {kMax - 10, kMin, kDesign},
        {std::nullopt, 50, {10, 50}},      // a missing part keeps the current one
        {std::nullopt, std::nullopt, {10, 20}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(WindowPlacement::place({c.left, c.top}, QPoint(10, 20), kFrame, kScreens, kDesign), c.expected)
            << c.left.value_or(-1) << ", " << c.top.value_or(-1);
}

TEST(WindowPlacement, NoScreenAtAllGivesTheDesignPlace)
{
    EXPECT_EQ(WindowPlacement::place({0, 0}, QPoint(), kFrame, {}, kDesign), kDesign);
}

TEST(WindowPlacement, SizesBelowTheMinimumGiveTheDesignSize)
{
    const struct {
        int stored, expected;
    } cases[] = {{500, 500}, {120, 120}, {119, 480}, {0, 480}, {-1, 480}, {kMin, 480}, {kMax, kMax}};
    for (const auto& c : cases)
        EXPECT_EQ(WindowPlacement::size(c.stored, 120, 480), c.expected) << c.stored;
}
