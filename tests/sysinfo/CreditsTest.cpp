#include "sysinfo/CreditFills.h"
#include "sysinfo/TabfCredits.h"

#include "TestSupport.h"

#include <QCoreApplication>
#include <QFontMetrics>
#include <gtest/gtest.h>

namespace {
// A control configured as the help window's: 303 x 87, moving up, fading
// out over rows 49 ... 0, one section of two body lines.
struct CreditsFixture {
    QWidget parent;
    TabfCredits* credits = new TabfCredits(&parent);

    CreditsFixture()
    {
        parent.resize(305, 89);
        credits->setGeometry(1, 1, 303, 87);
        credits->setTimerEnabled(false);
        credits->setPathBegin(87);
        credits->setPathRiseTo(87);
        credits->setPathFallFrom(50);
        TabfCreditSection& s = credits->Credits().add();
        s.setHeader(QStringLiteral("Автор:"));
        s.setBody({QStringLiteral("Первая строка"), QStringLiteral("Вторая")});
    }
};

QColor pixel(const QImage& image, int x, int y) { return image.pixelColor(x, y); }
}  // namespace

TEST(CreditFills, GradientLaysEqualBandsWithChannelsTruncatedTowardZero)
{
    const QColor seaGreen(48, 152, 96), gray(128, 128, 128);
    // 161 columns hold all 81 bands of width 2.
    auto bands = CreditFills::gradientBands(seaGreen, gray, 161);
    ASSERT_EQ(bands.size(), 81u);
    EXPECT_EQ(bands.front().color, seaGreen);
    EXPECT_EQ(bands[1].start, 2);
    EXPECT_EQ(bands[1].width, 2);
    EXPECT_EQ(bands.back().start, 160);
    EXPECT_EQ(bands.back().color, QColor(127, 129, 127));  // green: 152 + (-3840 / 161), -23.85 -> -23

    // The help window's 303 columns: bands of 4, those starting past column 302 fall away.
    bands = CreditFills::gradientBands(seaGreen, gray, 303);
    EXPECT_EQ(bands.size(), 76u);
    EXPECT_EQ(bands.back().start, 300);
    EXPECT_EQ(bands.back().color, QColor(127, 129, 127));

    EXPECT_TRUE(CreditFills::gradientBands(seaGreen, gray, 0).empty());
    EXPECT_EQ(CreditFills::gradientBands(gray, gray, 50).size(), 1u);  // one band of width 51

    QImage image(303, 10, QImage::Format_RGB888);
    CreditFills::Settings vertical{QStringLiteral("GradientVert"), clSeaGreen, clGray, clBlack, {}};
    CreditFills::render(image, vertical);
    EXPECT_EQ(pixel(image, 302, 0), seaGreen);
    EXPECT_NE(pixel(image, 0, 9), seaGreen);  // rows change, not columns
    CreditFills::Settings horizontal{QStringLiteral("GradientHorz"), clSeaGreen, clGray, clBlack, {}};
    CreditFills::render(image, horizontal);
    EXPECT_EQ(pixel(image, 3, 9), seaGreen);
    EXPECT_EQ(pixel(image, 4, 0), pixel(image, 7, 9));
    EXPECT_EQ(pixel(image, 302, 5), QColor(127, 129, 127));
}

TEST(CreditFills, ColorBitmapAndPatternFills)
{
    QImage image(8, 8, QImage::Format_RGB888);
    image.fill(Qt::black);
    CreditFills::render(image, {QStringLiteral("(None)"), clWhite, clWhite, clWhite, {}});
    EXPECT_EQ(pixel(image, 3, 3), QColor(Qt::black));
    for (const char* type : {"(ColorFill)", "Sahara", "Harvard"}) {
        image.fill(Qt::black);
        CreditFills::render(image, {QString::fromLatin1(type), clWhite, clBlack, clRed, {}});
        EXPECT_EQ(pixel(image, 7, 7), QColor(Qt::red)) << type;
    }
    QImage tile(3, 3, QImage::Format_RGB888);
    tile.fill(Qt::blue);
    CreditFills::render(image, {QStringLiteral("(BitmapTile)"), clWhite, clBlack, clRed, tile});
    EXPECT_EQ(pixel(image, 7, 7), QColor(Qt::blue));
    EXPECT_TRUE(CreditFills::dependsOnSize(QStringLiteral("GradientHorz")));
    EXPECT_FALSE(CreditFills::dependsOnSize(QStringLiteral("(BitmapTile)")));
    EXPECT_FALSE(CreditFills::isFillName(QStringLiteral("Plaid")));
}

TEST(Credits, FadeRowsFollowThePath)
{
    CreditsFixture f;
    TabfCredits& c = *f.credits;
    // Moving up with no fade-in zone: full strength from the bottom row, fading out over 49 ... 0.
    const struct {
        int row, transparency;
    } up[] = {{86, 0}, {87, 0}, {50, 0}, {49, 2}, {25, 50}, {1, 98}, {0, 100}};
    for (const auto& r : up)
        EXPECT_EQ(c.rowTransparency(r.row), r.transparency) << r.row;

    // Moving down, mirrored: fading in from the top, out towards the bottom.
    c.setPathBegin(0);
    c.setPathEnd(87);
    c.setPathRiseTo(20);
    c.setPathFallFrom(60);
    const struct {
        int row, transparency;
    } down[] = {{0, 100}, {10, 50}, {19, 5}, {20, 0}, {60, 0}, {86, 96}, {87, 100}};
    for (const auto& r : down)
        EXPECT_EQ(c.rowTransparency(r.row), r.transparency) << r.row;

    // Fade rows are held between the path's ends.
    c.setPathRiseTo(200);
    EXPECT_EQ(c.PathRiseTo(), 87);
    c.setPathEnd(500);
    EXPECT_EQ(c.PathEnd(), 87);
}

TEST(Credits, FirstSizeSetsTheDefaultPath)
{
    QWidget parent;
    TabfCredits credits(&parent);
    credits.setTimerEnabled(false);
    credits.setGeometry(0, 0, 200, 120);
    credits.setPathFallFrom(40);  // given after the first size, replaces the default
    EXPECT_EQ(credits.PathBegin(), 120);
    EXPECT_EQ(credits.PathEnd(), 0);
    EXPECT_EQ(credits.PathRiseTo(), 70);
    EXPECT_EQ(credits.PathFallFrom(), 40);
}

TEST(Credits, PositionRunsOverPathAndTextAndCycles)
{
    CreditsFixture f;
    TabfCredits& c = *f.credits;
    const int sections = c.Credits().totalHeight();
    ASSERT_GT(sections, 0);
    EXPECT_EQ(c.positionRange(), 87 + sections);
    c.Credits().setSectionSpace(5);
    EXPECT_EQ(c.positionRange(), 87 + sections + 5);
    c.Credits().setSectionSpace(-3);
    EXPECT_EQ(c.Credits().SectionSpace(), 0);

    int ticks = 0;
    c.OnTimer = [&] { ++ticks; };
    const int range = c.positionRange();
    c.setCreditsPosition(range - 1);
    c.step();
    EXPECT_EQ(c.CreditsPosition(), range);
    c.step();
    EXPECT_EQ(c.CreditsPosition(), 0);  // enters again from the bottom
    c.setBackward(true);
    c.step();
    EXPECT_EQ(c.CreditsPosition(), range);
    EXPECT_EQ(ticks, 3);
}

TEST(Credits, WithoutCyclingTheTextStopsAtTheEnd)
{
    CreditsFixture f;
    TabfCredits& c = *f.credits;
    c.setCycled(false);
    int ends = 0;
    c.OnCreditsEnd = [&] { ++ends; };
    const int range = c.positionRange();
    c.setCreditsPosition(range - 2);
    c.setTimerEnabled(true);
    c.step();
    EXPECT_TRUE(c.TimerEnabled());
    c.step();
    EXPECT_EQ(c.CreditsPosition(), range);
    EXPECT_FALSE(c.TimerEnabled());
    EXPECT_FALSE(c.timerArmed());
    EXPECT_EQ(ends, 1);
    c.step();
    EXPECT_EQ(c.CreditsPosition(), range);

    c.setTimerEnabled(true);  // refused: nowhere to go
    EXPECT_FALSE(c.TimerEnabled());
    c.setBackward(true);
    c.setTimerEnabled(true);
    EXPECT_TRUE(c.TimerEnabled());
    c.setTimerEnabled(false);
    c.setCreditsPosition(1);
    c.step();
    EXPECT_EQ(c.CreditsPosition(), 0);
    EXPECT_EQ(ends, 3);
}

TEST(Credits, StripHoldsCentredSectionsAndLineBreaksMakeLines)
{
    CreditsFixture f;
    TabfCredits& c = *f.credits;
    TabfCreditSection& s = c.Credits()[0];
    const QFontMetrics body(creditsFont(s.BodyFont()));
    const QFontMetrics header(creditsFont(s.HeaderFont()));
    const int twoLines = s.size().height();
    s.setBody({QStringLiteral("Первая строка\nещё"), QStringLiteral("Вторая")});
    EXPECT_EQ(s.size().height(), twoLines + body.height());
    EXPECT_EQ(s.size().height(), header.height() + 3 * body.height());
    EXPECT_EQ(c.strip().height(), s.size().height() + 10);
    EXPECT_EQ(c.strip().width(), s.size().width());

    // Two columns side by side, the space between counted in.
    s.setColCount(2);
    s.setColSpace(7);
    EXPECT_FALSE(s.ParentColSpace());
    const int column = std::max(body.horizontalAdvance(QStringLiteral("Первая строка")),
                                body.horizontalAdvance(QStringLiteral("Вторая"))) + 2;
    EXPECT_EQ(s.size().width(), std::max(7 + 2 * column, header.horizontalAdvance(QStringLiteral("Автор:")) + 2));
    EXPECT_EQ(s.size().height(), header.height() + 2 * body.height());

    // Shared values are followed until the section has its own.
    EXPECT_TRUE(s.ParentBodyFont());
    c.setCreditsBodyFont(fontSpec(QStringLiteral("Arial"), -30, fsBold, clGreen));
    EXPECT_EQ(s.BodyFont().height, -30);
    s.setBodyFont(fontSpec(QStringLiteral("Arial"), -12));
    EXPECT_FALSE(s.ParentBodyFont());
    c.setCreditsBodyFont(fontSpec(QStringLiteral("Arial"), -40));
    EXPECT_EQ(s.BodyFont().height, -12);
    s.setParentBodyFont(true);
    EXPECT_EQ(s.BodyFont().height, -40);
}

TEST(Credits, FrameBlendsTheStripOverTheFillByRow)
{
    CreditsFixture f;
    TabfCredits& c = *f.credits;
    c.setFillType(QStringLiteral("(ColorFill)"));
    c.setFillColorNormal(rgbColor(0, 0, 200));
    const QImage& strip = c.strip();
    const QColor key = f.parent.palette().color(QPalette::Window);
    // Find a text pixel of the strip.
    int sx = -1, sy = -1;
    for (int y = 0; y < strip.height() && sx < 0; ++y)
        for (int x = 0; x < strip.width(); ++x)
            if (strip.pixelColor(x, y) != key) {
                sx = x;
                sy = y;
                break;
            }
    ASSERT_GE(sx, 0);
    const int left = (303 - strip.width()) / 2;
    const QColor text = strip.pixelColor(sx, sy);
    const auto half = [](int back, int fore) { return static_cast<int>(std::nearbyint((50 * back + 50 * fore) / 100.0)); };

    // Moving up, strip row r is at control row 86 - position + r.
    c.setCreditsPosition(sy + 86 - 70);  // full strength at row 70
    EXPECT_EQ(c.frame().pixelColor(left + sx, 70), text);
    c.setCreditsPosition(sy + 86 - 25);  // half transparent at row 25
    const QColor mixed = c.frame().pixelColor(left + sx, 25);
    EXPECT_EQ(mixed, QColor(half(0, text.red()), half(0, text.green()), half(200, text.blue())));
    c.setCreditsPosition(sy + 86 - 0);  // gone at row 0
    EXPECT_EQ(c.frame().pixelColor(left + sx, 0), QColor(0, 0, 200));
    // Key pixels leave the background as it is.
    EXPECT_EQ(c.frame().pixelColor(0, 40), QColor(0, 0, 200));

    // A strip wider than the control starts at column 0 and is cut at the right edge.
    c.Credits()[0].setBody({QString(80, QLatin1Char('W'))});
    ASSERT_GT(c.strip().width(), 303);
    c.setCreditsPosition(40);
    EXPECT_EQ(c.frame().size(), QSize(303, 87));
}

TEST(Credits, TimerStepsOnTheInterfaceThreadUntilSwitchedOff)
{
    CreditsFixture f;
    TabfCredits& c = *f.credits;
    c.setTimerInterval(1);
    c.setTimerEnabled(true);
    EXPECT_TRUE(waitFor([&] { return c.CreditsPosition() >= 3; }));
    c.setTimerEnabled(false);
    EXPECT_FALSE(c.timerArmed());
    const int stopped = c.CreditsPosition();
    QCoreApplication::processEvents();
    EXPECT_EQ(c.CreditsPosition(), stopped);
    c.setTimerEnabled(true);  // resumes from where it stood
    EXPECT_TRUE(waitFor([&] { return c.CreditsPosition() > stopped; }));
}
