// The font dialog works on whole points at 96 pixels per inch and gives
// back what it showed when nothing was changed.
#include "windowing/FontDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <gtest/gtest.h>

TEST(FontDialog, ShowsSizesInPointsAtNinetySixPixelsPerInch)
{
    FontDialog dialog;
    const struct {
        int height;
        const char* points;
    } cases[] = {{-11, "8"}, {-13, "10"}, {-16, "12"}, {-21, "16"}, {-96, "72"}};
    for (const auto& c : cases) {
        dialog.setFontSpec(fontSpec(QStringLiteral("DejaVu Sans"), c.height));
        EXPECT_EQ(dialog.Sizes->currentText(), QString::fromLatin1(c.points)) << c.height;
    }
}

TEST(FontDialog, UnchangedItGivesBackExactlyWhatItShowed)
{
    FontDialog dialog;
    const FontSpec shown[] = {
        fontSpec(QStringLiteral("MS Sans Serif"), -11),
        fontSpec(QStringLiteral("Courier New"), -13, fsBold | fsItalic, clWindowText, 204),
        fontSpec(QStringLiteral("No Such Face"), -17, fsUnderline | fsStrikeOut, rgbColor(1, 2, 3), 77),
    };
    for (const FontSpec& font : shown) {
        dialog.setFontSpec(font);
        EXPECT_EQ(dialog.fontSpec(), font) << font.name.toStdString();
    }
}

TEST(FontDialog, EveryControlChangesItsPartOnly)
{
    FontDialog dialog;
    const FontSpec start = fontSpec(QStringLiteral("DejaVu Sans"), -11, 0, clBlack, 0);
    dialog.setFontSpec(start);
    dialog.Sizes->setCurrentText(QStringLiteral("12"));
    EXPECT_EQ(dialog.fontSpec().height, -16);
    EXPECT_EQ(dialog.fontSpec().name, start.name);

    dialog.setFontSpec(start);
    dialog.Styles->setCurrentIndex(dialog.Styles->findText(QStringLiteral("Жирный курсив")));
    dialog.Underline->setChecked(true);
    dialog.StrikeOut->setChecked(true);
    EXPECT_EQ(dialog.fontSpec().style, fsBold | fsItalic | fsUnderline | fsStrikeOut);
    EXPECT_EQ(dialog.fontSpec().height, -11);

    dialog.setFontSpec(start);
    dialog.Colors->setCurrentIndex(dialog.Colors->findText(QStringLiteral("Красный")));
    dialog.Charsets->setCurrentIndex(dialog.Charsets->findText(QStringLiteral("Кириллица")));
    EXPECT_EQ(dialog.fontSpec().color, clRed);
    EXPECT_EQ(dialog.fontSpec().charset, 204);

    // A size that is not a number keeps the size shown.
    dialog.setFontSpec(start);
    dialog.Sizes->setCurrentText(QStringLiteral("много"));
    EXPECT_EQ(dialog.fontSpec(), start);
}
