// The rich label's layout and rendering.
#include "styled/TacRichLabel.h"

#include <QImage>
#include <gtest/gtest.h>

namespace {
// How many pixels of the rendering are exactly this colour.
int count(const QImage& image, const QColor& color)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += image.pixelColor(x, y) == color;
    return n;
}
}  // namespace

TEST(RichLabel, HeightFollowsTheWrappedLines)
{
    TacRichLabel label;
    label.WordWrap = true;
    label.MarginVert = 3;
    label.resize(60, 5);
    label.setText(QStringLiteral("один два три четыре пять\r\n\nшесть"));
    EXPECT_GT(label.lines().size(), 3);
    EXPECT_EQ(label.lines().last(), QStringLiteral("шесть"));
    EXPECT_EQ(label.lines().at(label.lines().size() - 2), QString());
    EXPECT_EQ(label.height(), int(label.lines().size()) * label.lineHeight() + 6);
    for (int w : label.lineWidths())
        EXPECT_LE(w, 60);
    // Left aligned and wrapped: the picture is as wide as the widest line.
    EXPECT_EQ(label.imageSize().width(), label.widestLine());

    label.AutoHeight = false;
    label.resize(60, 5);
    label.relayout();
    EXPECT_EQ(label.height(), 5);
}

TEST(RichLabel, TagsColourTheTextAndPlainTextShowsThem)
{
    TacRichLabel label;
    label.resize(200, 20);
    label.setText(QStringLiteral("[RED]xx[]yy"));
    const QImage marked = label.render();
    EXPECT_GT(count(marked, Qt::red), 0);
    EXPECT_EQ(count(marked, Qt::black), 0);  // [] does not bring the colour back

    label.PlainText = true;
    label.relayout();
    const QImage plain = label.render();
    EXPECT_EQ(count(plain, Qt::red), 0);
    EXPECT_GT(label.widestLine(), 0);
}

TEST(RichLabel, WideWordDoesNotHangTheLayout)
{
    TacRichLabel label;
    label.WordWrap = true;
    label.resize(20, 10);
    label.setText(QStringLiteral("Калейдоскопический       текст"));
    EXPECT_EQ(label.lines(), (QStringList{QStringLiteral("Калейдоскопический       "), QStringLiteral("текст")}));
}

TEST(RichLabel, AlignmentMovesTheLines)
{
    TacRichLabel label;
    label.MarginHorz = 4;
    label.resize(200, 20);
    label.setText(QStringLiteral("abc"));
    const int w = label.lineWidths().first();
    EXPECT_EQ(w, 4 + QFontMetrics(label.labelFont().toQFont()).horizontalAdvance(QStringLiteral("abc")));
    auto firstInk = [&] {
        const QImage image = label.render();
        for (int x = 0; x < image.width(); ++x)
            for (int y = 0; y < image.height(); ++y)
                if (image.pixelColor(x, y).alpha() > 0)
                    return x;
        return -1;
    };
    const int left = firstInk();
    label.setAlignment(Qt::AlignRight);
    EXPECT_EQ(firstInk() - left, 200 - 4 - w - 4);
}

TEST(RichLabel, FrameAndShadowGrowThePicture)
{
    TacRichLabel label;
    label.WordWrap = true;
    label.ShowFrame = true;
    label.ShowShadow = true;
    label.MarginHorz = 10;
    label.MarginVert = 4;
    label.ShadowColor = clRed;
    label.resize(150, 10);
    label.setText(QStringLiteral("текст"));
    EXPECT_EQ(label.imageSize().width(), label.widestLine() + 10 + 7);
    EXPECT_EQ(label.height(), label.lineHeight() + 8 + 8);
    EXPECT_GT(count(label.render(), Qt::red), 0);
}
