// Rounding, colours, fonts, the integer parser and the error box text rule.
#include "windowing/Colors.h"
#include "windowing/ErrorBox.h"
#include "platform/Errors.h"
#include "windowing/Fonts.h"
#include "windowing/Rounding.h"

#include <gtest/gtest.h>

TEST(Rounding, HalvesGoToTheEvenNeighbour)
{
    const struct { double in; long long out; } cases[] = {
        {0.5, 0}, {1.5, 2}, {2.5, 2}, {-0.5, 0}, {-1.5, -2}, {-2.5, -2}, {454.5, 454}, {577.5, 578},
        {0.49, 0}, {0.51, 1}, {3.0, 3}, {-3.7, -4}, {1e9 + 0.5, 1000000000},
    };
    for (const auto& c : cases)
        EXPECT_EQ(roundHalfEven(c.in), c.out) << c.in;
}

TEST(Colors, EncodingRoundTripsAndSystemColoursResolve)
{
    EXPECT_EQ(rgbColor(0xC0, 0xC0, 0xC0), 12632256u);
    EXPECT_EQ(clWindowText, 0x80000008u);
    const TColor plain[] = {clSeaGreen, clTan, clOliveGreen, clPlum, clBlueGray, clLightTurquoise, clMoneyGreen, 0u,
                            0x00FFFFFFu};
    for (TColor c : plain)
        EXPECT_EQ(fromQColor(toQColor(c)), c) << std::hex << c;
    EXPECT_EQ(toQColor(clSeaGreen), QColor(48, 152, 96));
    EXPECT_EQ(toQColor(clWindowText), QColor(0, 0, 0));
    EXPECT_EQ(toQColor(clBtnFace), QColor(212, 208, 200));
    EXPECT_EQ(toQColor(clWindow), QColor(255, 255, 255));
}

TEST(Fonts, PointsAndPixelsAtNinetySixDpi)
{
    FontSpec f;
    f.setSize(10);
    EXPECT_EQ(f.height, -13);
    EXPECT_EQ(f.size(), 10);
    f.height = -11;
    EXPECT_EQ(f.size(), 8);
    f.name = QStringLiteral("Courier New");
    f.style = fsBold | fsItalic;
    const QFont q = f.toQFont();
    EXPECT_EQ(q.family(), QStringLiteral("Courier New"));
    EXPECT_EQ(q.pixelSize(), 11);
    EXPECT_TRUE(q.bold());
    EXPECT_TRUE(q.italic());
    EXPECT_FALSE(q.underline());
}

TEST(ErrorBoxText, FullStopOnlyAfterCharactersAboveTheDot)
{
    const struct { const char* in; const char* out; } cases[] = {
        {"No MCI device open", "No MCI device open."},
        {"Failed to get data for 'Fon'", "Failed to get data for 'Fon'"},
        {"List index out of bounds (-1)", "List index out of bounds (-1)"},
        {"Done.", "Done."},
        {"", ""},
        {"Ошибка", "Ошибка."},
        {"Value 5", "Value 5."},
        {"ends with dash -", "ends with dash -"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(errorBoxText(QString::fromUtf8(c.in)), QString::fromUtf8(c.out)) << c.in;
}

TEST(MessageDialogText, CarriageReturnBreaksTheLine)
{
    EXPECT_EQ(messageDialogText(QStringLiteral("Программа запущена первый раз.\rПрочтите помощь-справка")),
              QStringLiteral("Программа запущена первый раз.\nПрочтите помощь-справка"));
    EXPECT_EQ(messageDialogText(QStringLiteral("a\r\nb\rc")), QStringLiteral("a\nb\nc"));
}

TEST(StrToInt, DecimalWithOptionalSign)
{
    EXPECT_EQ(strToInt(QStringLiteral("1")), 1);
    EXPECT_EQ(strToInt(QStringLiteral("+7")), 7);
    EXPECT_EQ(strToInt(QStringLiteral("-3")), -3);
    EXPECT_EQ(strToInt(QStringLiteral("2147483647")), 2147483647);
    EXPECT_EQ(strToInt(QStringLiteral("-2147483648")), -2147483647 - 1);
    for (const char* bad : {"", "abc", "1 ", " 1", "+", "-", "2147483648", "0x10", "1.5", "99999999999999999999"}) {
        try {
            strToInt(QString::fromUtf8(bad));
            ADD_FAILURE() << bad;
        } catch (const EConvertError& e) {
            EXPECT_EQ(e.message(), QStringLiteral("'%1' is not a valid integer value").arg(QString::fromUtf8(bad)));
        }
    }
}

TEST(ExceptionFormat, FillsTheFirstPlaceholder)
{
    EXPECT_EQ(Exception::format(QStringLiteral("List index out of bounds (%d)"), -1LL),
              QStringLiteral("List index out of bounds (-1)"));
    EXPECT_EQ(Exception::format(QStringLiteral("Cannot open file %s"), QStringLiteral("/a b")),
              QStringLiteral("Cannot open file /a b"));
}
