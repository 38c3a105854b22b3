#include "TabfCreditSections.h"

#include <QFontMetrics>

#include <algorithm>

QFont creditsFont(const FontSpec& look)
{
    QFont font = look.toQFont();
    font.setStyleStrategy(QFont::NoAntialias);
    return font;
}

namespace {
QSize linesSize(const QStringList& lines, const FontSpec& look)
{
    if (lines.isEmpty())
        return {};
    const QFontMetrics metrics(creditsFont(look));
    int width = 0;
    for (const QString& line : lines)
        width = std::max(width, metrics.horizontalAdvance(line));
    return {width + 2, metrics.height() * static_cast<int>(lines.size())};
}

QStringList splitLines(const QString& text)
{
    QString unified = text;
    unified.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return unified.split(QLatin1Char('\n'));
}
}  // namespace

TabfCreditSection::TabfCreditSection(TabfCreditSections& owner)
    : owner_(owner), headerFont_(owner.HeaderFont()), bodyFont_(owner.BodyFont()), colSpace_(owner.ColSpace())
{
}

void TabfCreditSection::changed() { owner_.changed(); }

void TabfCreditSection::setHeader(const QString& text)
{
    header_ = text;
    changed();
}

FontSpec TabfCreditSection::HeaderFont() const { return parentHeaderFont_ ? owner_.HeaderFont() : headerFont_; }

void TabfCreditSection::setHeaderFont(const FontSpec& font)
{
    headerFont_ = font;
    if (font != owner_.HeaderFont())
        parentHeaderFont_ = false;
    changed();
}

void TabfCreditSection::setHeaderTextEffect(TabfCreditTextEffect effect)
{
    headerEffect_ = effect;
    changed();
}

void TabfCreditSection::setBody(const QStringList& lines)
{
    body_ = lines;
    changed();
}

FontSpec TabfCreditSection::BodyFont() const { return parentBodyFont_ ? owner_.BodyFont() : bodyFont_; }

void TabfCreditSection::setBodyFont(const FontSpec& font)
{
    bodyFont_ = font;
    if (font != owner_.BodyFont())
        parentBodyFont_ = false;
    changed();
}

void TabfCreditSection::setBodyTextEffect(TabfCreditTextEffect effect)
{
    bodyEffect_ = effect;
    changed();
}

void TabfCreditSection::setColCount(int count)
{
    colCount_ = std::max(count, 1);
    changed();
}

int TabfCreditSection::ColSpace() const { return parentColSpace_ ? owner_.ColSpace() : colSpace_; }

void TabfCreditSection::setColSpace(int pixels)
{
    colSpace_ = pixels;
    if (pixels != owner_.ColSpace())
        parentColSpace_ = false;
    changed();
}

void TabfCreditSection::setParentHeaderFont(bool on)
{
    parentHeaderFont_ = on;
    if (on)
        headerFont_ = owner_.HeaderFont();
    changed();
}

void TabfCreditSection::setParentBodyFont(bool on)
{
    parentBodyFont_ = on;
    if (on)
        bodyFont_ = owner_.BodyFont();
    changed();
}

void TabfCreditSection::setParentColSpace(bool on)
{
    parentColSpace_ = on;
    if (on)
        colSpace_ = owner_.ColSpace();
    changed();
}

QStringList TabfCreditSection::headerLines() const { return header_.isEmpty() ? QStringList() : splitLines(header_); }

std::vector<QStringList> TabfCreditSection::columns() const
{
    std::vector<QStringList> columns(static_cast<std::size_t>(colCount_));
    for (qsizetype i = 0; i < body_.size(); ++i)
        columns[static_cast<std::size_t>(i % colCount_)] << splitLines(body_[i]);
    return columns;
}

QSize TabfCreditSection::headerSize() const
{
    if (!headerSize_)
        headerSize_ = linesSize(headerLines(), HeaderFont());
    return *headerSize_;
}

QSize TabfCreditSection::size() const
{
    if (!size_) {
        const QSize header = headerSize();
        int columnWidth = 0, columnHeight = 0;
        for (const QStringList& column : columns()) {
            const QSize s = linesSize(column, BodyFont());
            columnWidth = std::max(columnWidth, s.width());
            columnHeight = std::max(columnHeight, s.height());
        }
        const int bodyWidth = ColSpace() * (colCount_ - 1) + columnWidth * colCount_;
        size_ = QSize(std::max(header.width(), bodyWidth), header.height() + columnHeight);
    }
    return *size_;
}

TabfCreditSections::TabfCreditSections()
    : bodyFont_(fontSpec(QStringLiteral("Arial"), -19, 0, clBlue)),
      headerFont_(fontSpec(QStringLiteral("Arial"), -19, 0, clRed))
{
}

TabfCreditSection& TabfCreditSections::add()
{
    sections_.push_back(std::make_unique<TabfCreditSection>(*this));
    changed();
    return *sections_.back();
}

void TabfCreditSections::clear()
{
    sections_.clear();
    changed();
}

void TabfCreditSections::setBodyFont(const FontSpec& font)
{
    bodyFont_ = font;
    changed();
}

void TabfCreditSections::setHeaderFont(const FontSpec& font)
{
    headerFont_ = font;
    changed();
}

void TabfCreditSections::setColSpace(int pixels)
{
    colSpace_ = pixels;
    changed();
}

void TabfCreditSections::setSectionSpace(int pixels)
{
    sectionSpace_ = std::max(pixels, 0);
    changed();
}

int TabfCreditSections::totalHeight() const
{
    int total = 0;
    for (const auto& section : sections_)
        total += section->size().height() + sectionSpace_;
    return total;
}

int TabfCreditSections::widestSection() const
{
    int widest = 0;
    for (const auto& section : sections_)
        widest = std::max(widest, section->size().width());
    return widest;
}

void TabfCreditSections::changed()
{
    for (auto& section : sections_)
        section->clearSize();
    if (onChanged)
        onChanged();
}
