#pragma once
// The credits text as data: sections of a header and body lines, each with
// its fonts, text effects and columns, and the values the sections share.
// A section follows the shared font or column space until it is given a
// different one of its own. Every change clears the measured sizes and
// tells the owner, which renders the text anew.
#include "windowing/Fonts.h"

#include <QSize>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

enum TabfCreditTextEffect { cteNone, cteRaised, cteLowered };

class TabfCreditSections;

class TabfCreditSection {
public:
    explicit TabfCreditSection(TabfCreditSections& owner);

    QString Header() const { return header_; }
    void setHeader(const QString& text);
    FontSpec HeaderFont() const;
    void setHeaderFont(const FontSpec& font);
    TabfCreditTextEffect HeaderTextEffect() const { return headerEffect_; }
    void setHeaderTextEffect(TabfCreditTextEffect effect);

    QStringList Body() const { return body_; }
    void setBody(const QStringList& lines);
    FontSpec BodyFont() const;
    void setBodyFont(const FontSpec& font);
    TabfCreditTextEffect BodyTextEffect() const { return bodyEffect_; }
    void setBodyTextEffect(TabfCreditTextEffect effect);

    int ColCount() const { return colCount_; }
    void setColCount(int count);  // at least 1
    int ColSpace() const;
    void setColSpace(int pixels);

    bool ParentHeaderFont() const { return parentHeaderFont_; }
    void setParentHeaderFont(bool on);
    bool ParentBodyFont() const { return parentBodyFont_; }
    void setParentBodyFont(bool on);
    bool ParentColSpace() const { return parentColSpace_; }
    void setParentColSpace(bool on);

    // The header's lines and each column's lines, a body line holding line
    // breaks giving several.
    QStringList headerLines() const;
    std::vector<QStringList> columns() const;

    // Width and height the section takes, measured once per change.
    QSize size() const;
    QSize headerSize() const;
    void clearSize() { size_.reset(); headerSize_.reset(); }

private:
    void changed();

    TabfCreditSections& owner_;
    QString header_;
    FontSpec headerFont_;
    TabfCreditTextEffect headerEffect_ = cteRaised;
    QStringList body_;
    FontSpec bodyFont_;
    TabfCreditTextEffect bodyEffect_ = cteRaised;
    int colCount_ = 1;
    int colSpace_ = 0;
    bool parentHeaderFont_ = true;
    bool parentBodyFont_ = true;
    bool parentColSpace_ = true;
    mutable std::optional<QSize> size_;
    mutable std::optional<QSize> headerSize_;
};

class TabfCreditSections {
public:
    TabfCreditSections();

    TabfCreditSection& add();
    int count() const { return static_cast<int>(sections_.size()); }
    TabfCreditSection& operator[](int index) { return *sections_.at(static_cast<std::size_t>(index)); }
    const TabfCreditSection& operator[](int index) const { return *sections_.at(static_cast<std::size_t>(index)); }
    void clear();

    FontSpec BodyFont() const { return bodyFont_; }
    void setBodyFont(const FontSpec& font);
    FontSpec HeaderFont() const { return headerFont_; }
    void setHeaderFont(const FontSpec& font);
    int ColSpace() const { return colSpace_; }
    void setColSpace(int pixels);
    int SectionSpace() const { return sectionSpace_; }
    void setSectionSpace(int pixels);  // never below 0

    // Sum of the sections' heights and the space after each.
    int totalHeight() const;
    int widestSection() const;

    // Clears every measured size and tells the owner.
    void changed();
    std::function<void()> onChanged;

private:
    std::vector<std::unique_ptr<TabfCreditSection>> sections_;
    FontSpec bodyFont_;
    FontSpec headerFont_;
    int colSpace_ = 0;
    int sectionSpace_ = 0;
};

// The font the credits draw with: the given face without smoothing, so that the
// text's edges never take the transparent key colour's tint.
QFont creditsFont(const FontSpec& look);
