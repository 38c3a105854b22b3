#pragma once
// The rich label's mark-up: "[B]", "[RED]", "[]" and the like change the
// style or the colour of the text that follows; paragraphs are split into
// lines and, with word wrap, broken greedily at blanks. Pure text work; the
// caller measures.
#include "windowing/Colors.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

struct RichStyle {
    int style = 0;  // FontStyle bits
    TColor color = clWindowText;
    bool operator==(const RichStyle&) const = default;
};

struct RichRun {
    QString text;
    RichStyle look;
    bool operator==(const RichRun&) const = default;
};

struct RichTags {
    QChar open = QLatin1Char('[');
    QChar close = QLatin1Char(']');
};

// The colour a tag names ("RED", "navy", ...), if it names one.
std::optional<TColor> richColorNamed(const QString& tag);

// The look after the tag (without its delimiters): DEF or DEFAULT goes back to
// the label's own look, a colour name changes only the colour, anything else
// sets the style from its letters B, I, S, U (others ignored) and keeps the colour.
RichStyle applyRichTag(const QString& tag, const RichStyle& current, const RichStyle& labelLook);

// Cuts one line into runs of text with their looks. look comes in as the look
// at the line's start and goes out as the look at its end, so tags carry over
// to the following lines. An open delimiter without a close one, and a close
// delimiter standing before the next open one, are text.
QList<RichRun> richRuns(const QString& line, RichStyle& look, const RichStyle& labelLook, const RichTags& tags = {});

// Paragraphs end at CR LF or at a lone LF.
QStringList richParagraphs(const QString& text);

// Breaks a paragraph into lines no wider than width. measure gets a piece of
// the paragraph without its trailing blanks and where the piece starts in the
// paragraph (the look there follows from the text before it). Each line given
// back ends with the blanks it was cut after. A line whose only blanks are at
// its end (or that has none) and still does not fit stays one over-long line.
using RichMeasure = std::function<int(const QString& piece, qsizetype start)>;
QStringList wrapRichParagraph(const QString& paragraph, int width, const RichMeasure& measure);

// The text with its trailing blanks removed.
QString withoutTrailingBlanks(const QString& text);
