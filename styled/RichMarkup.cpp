#include "RichMarkup.h"

#include "windowing/Fonts.h"

#include <array>
#include <utility>

std::optional<TColor> richColorNamed(const QString& tag)
{
    static const std::array<std::pair<const char*, TColor>, 16> names{{
        {"BLACK", clBlack},   {"MAROON", clMaroon}, {"GREEN", clGreen},   {"OLIVE", clOlive},
        {"NAVY", clNavy},     {"PURPLE", clPurple}, {"TEAL", clTeal},     {"GRAY", clGray},
        {"SILVER", clSilver}, {"RED", clRed},       {"LIME", clLime},     {"YELLOW", clYellow},
        {"BLUE", clBlue},     {"FUCHSIA", clFuchsia}, {"AQUA", clAqua},   {"WHITE", clWhite},
    }};
    const QString upper = tag.toUpper();
    for (const auto& [name, color] : names)
        if (upper == QLatin1String(name))
            return color;
    return std::nullopt;
}

RichStyle applyRichTag(const QString& tag, const RichStyle& current, const RichStyle& labelLook)
{
    const QString upper = tag.toUpper();
    if (upper == QLatin1String("DEF") || upper == QLatin1String("DEFAULT"))
        return labelLook;
    if (const auto color = richColorNamed(upper))
        return {current.style, *color};
    int style = 0;
    for (const QChar c : upper) {
        switch (c.unicode()) {
        case 'B': style |= fsBold; break;
        case 'I': style |= fsItalic; break;
        case 'S': style |= fsStrikeOut; break;
        case 'U': style |= fsUnderline; break;
        default: break;
        }
    }
    return {style, current.color};
}

QList<RichRun> richRuns(const QString& line, RichStyle& look, const RichStyle& labelLook, const RichTags& tags)
{
    QList<RichRun> runs;
    auto add = [&](const QString& text) {
        if (text.isEmpty())
            return;
        if (!runs.isEmpty() && runs.last().look == look)
            runs.last().text += text;
        else
            runs.append({text, look});
    };
    qsizetype from = 0;
    while (from < line.size()) {
        const qsizetype open = line.indexOf(tags.open, from);
        qsizetype close = line.indexOf(tags.close, from);
        // A close delimiter before the open one is plain text.
        while (open >= 0 && close >= 0 && close < open)
            close = line.indexOf(tags.close, close + 1);
        if (open < 0 || close < 0) {
            add(line.mid(from));
            break;
        }
        add(line.mid(from, open - from));
        look = applyRichTag(line.mid(open + 1, close - open - 1), look, labelLook);
        from = close + 1;
    }
    return runs;
}

QStringList richParagraphs(const QString& text)
{
    QString unified = text;
    unified.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    return unified.split(QLatin1Char('\n'));
}

QString withoutTrailingBlanks(const QString& text)
{
    qsizetype end = text.size();
    while (end > 0 && text.at(end - 1) == QLatin1Char(' '))
        --end;
    return text.left(end);
}

QStringList wrapRichParagraph(const QString& paragraph, int width, const RichMeasure& measure)
{
    QStringList lines;
    qsizetype start = 0;
    do {
        QString line = paragraph.mid(start);
        while (measure(withoutTrailingBlanks(line), start) > width) {
            // Cut before the trailing blanks, or the same blank would be found again.
            const QString core = withoutTrailingBlanks(line);
            const qsizetype blank = core.lastIndexOf(QLatin1Char(' '));
            if (blank < 0)
                break;  // no place left to cut: one over-long line
            line = core.left(blank + 1);
        }
        lines.append(line);
        start += line.size();
    } while (start < paragraph.size());
    return lines;
}
