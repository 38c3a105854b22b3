// The rich label's mark-up, paragraphs and word wrap.
#include "styled/RichMarkup.h"
#include "windowing/Fonts.h"

#include <gtest/gtest.h>

namespace {
std::string describe(const QList<RichRun>& runs)
{
    std::string out;
    for (const RichRun& r : runs)
        out += "<" + r.text.toStdString() + "|" + std::to_string(r.look.style) + "|" + std::to_string(r.look.color) + ">";
    return out;
}
}  // namespace

TEST(RichMarkup, TagsSetStyleAndColour)
{
    const RichStyle label{fsUnderline, clNavy};
    const struct {
        const char* line;
        QList<RichRun> expected;
    } cases[] = {
        {"[B]Bold[] plain", {{"Bold", {fsBold, clNavy}}, {" plain", {0, clNavy}}}},
        {"[RED]x[]y", {{"x", {fsUnderline, clRed}}, {"y", {0, clRed}}}},  // [] clears the style only
        {"[BI]t", {{"t", {fsBold | fsItalic, clNavy}}}},
        {"[B][red]a[def]b", {{"a", {fsBold, clRed}}, {"b", label}}},
        {"[B][GREEN]a[DEFAULT]b", {{"a", {fsBold, clGreen}}, {"b", label}}},
        {"[BOLD]a", {{"a", {fsBold, clNavy}}}},          // O, L, D are no styles
        {"[I][blue]a", {{"a", {fsItalic, clBlue}}}},     // a colour name before its letters
        {"[bus]a", {{"a", {fsBold | fsUnderline | fsStrikeOut, clNavy}}}},
        {"a[b", {{"a[b", label}}},                       // no close: text
        {"a]b[B]c", {{"a]b", label}, {"c", {fsBold, clNavy}}}},  // stray close: text
        {"[]", {}},
    };
    for (const auto& c : cases) {
        RichStyle look = label;
        EXPECT_EQ(describe(richRuns(QString::fromUtf8(c.line), look, label)), describe(c.expected)) << c.line;
    }
}

TEST(RichMarkup, EveryColourNameAndCaseInsensitiveLookup)
{
    const struct {
        const char* name;
        TColor color;
    } names[] = {{"BLACK", rgbColor(0, 0, 0)},       {"MAROON", rgbColor(128, 0, 0)}, {"GREEN", rgbColor(0, 128, 0)},
                 {"OLIVE", rgbColor(128, 128, 0)},   {"NAVY", rgbColor(0, 0, 128)},   {"PURPLE", rgbColor(128, 0, 128)},
                 {"TEAL", rgbColor(0, 128, 128)},    {"GRAY", rgbColor(128, 128, 128)},
                 {"SILVER", rgbColor(192, 192, 192)}, {"RED", rgbColor(255, 0, 0)},   {"LIME", rgbColor(0, 255, 0)},
                 {"YELLOW", rgbColor(255, 255, 0)},  {"BLUE", rgbColor(0, 0, 255)},   {"FUCHSIA", rgbColor(255, 0, 255)},
                 {"AQUA", rgbColor(0, 255, 255)},    {"WHITE", rgbColor(255, 255, 255)}};
    for (const auto& n : names) {
        EXPECT_EQ(richColorNamed(QString::fromLatin1(n.name)), n.color) << n.name;
        EXPECT_EQ(richColorNamed(QString::fromLatin1(n.name).toLower()), n.color) << n.name;
    }
    EXPECT_FALSE(richColorNamed(QStringLiteral("ORANGE")));
}

TEST(RichMarkup, LookCarriesOverToTheNextLine)
{
    const RichStyle label;
    RichStyle look = label;
    richRuns(QStringLiteral("plain [B][MAROON]Калейдор"), look, label);
    const QList<RichRun> next = richRuns(QStringLiteral("still"), look, label);
    ASSERT_EQ(next.size(), 1);
    EXPECT_EQ(next[0].look, (RichStyle{fsBold, clMaroon}));
}

TEST(RichMarkup, OtherDelimiters)
{
    const RichStyle label;
    RichStyle look = label;
    const QList<RichRun> runs = richRuns(QStringLiteral("[B]x<B>y"), look, label, {QLatin1Char('<'), QLatin1Char('>')});
    EXPECT_EQ(describe(runs), describe({{"[B]x", label}, {"y", {fsBold, label.color}}}));
}

TEST(RichMarkup, ParagraphsEndAtCrLfOrLoneLf)
{
    EXPECT_EQ(richParagraphs(QStringLiteral("a\r\nb\nc\rd\n")), (QStringList{"a", "b", "c\rd", ""}));
}

TEST(RichWrap, BreaksGreedilyAtBlanks)
{
    // One unit a character: the widths are easy to follow.
    const RichMeasure chars = [](const QString& piece, qsizetype) { return int(piece.size()); };
    const struct {
        const char* paragraph;
        int width;
        QStringList lines;
    } cases[] = {
        {"aaa bbb ccc", 7, {"aaa bbb ", "ccc"}},
        {"aaa bbb ccc", 11, {"aaa bbb ccc"}},
        {"aaa bbb   ", 7, {"aaa bbb   "}},  // trailing blanks are not measured
        {"", 5, {""}},
        {"abcdefgh", 3, {"abcdefgh"}},  // no blank: one over-long line
        // A word wider than the label: the cut must not fall back on the same
        // trailing blank for ever; the word stays one over-long line.
        {"aaaaaaaaaa bb", 4, {"aaaaaaaaaa ", "bb"}},
        {"aa aaaaaaaaaa bb cc", 5, {"aa ", "aaaaaaaaaa ", "bb cc"}},
        {"aaaaaaaaaa   bb", 4, {"aaaaaaaaaa   ", "bb"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(wrapRichParagraph(QString::fromLatin1(c.paragraph), c.width, chars), c.lines)
            << c.paragraph << " in " << c.width;
}

TEST(RichWrap, MeasureLearnsWhereEachPieceStarts)
{
    QList<qsizetype> starts;
    const RichMeasure chars = [&](const QString& piece, qsizetype start) {
        starts.append(start);
        return int(piece.size());
    };
    wrapRichParagraph(QStringLiteral("aaa bbb ccc"), 4, chars);
    EXPECT_EQ(starts.first(), 0);
    EXPECT_EQ(starts.last(), 8);
}
