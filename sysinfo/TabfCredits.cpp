#include "TabfCredits.h"

#include "windowing/Rounding.h"
#include "windowing/SafeCall.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <cstdlib>

namespace {
int roundUpTo64(int n) { return (n / 64 + 1) * 64; }

std::uint8_t blend(int t, std::uint8_t background, std::uint8_t text)
{
    return static_cast<std::uint8_t>(roundHalfEven((t * background + (100 - t) * text) / 100.0));
}
}  // namespace

TabfCredits::TabfCredits(QWidget* parent) : QWidget(parent)
{
    // The control paints every pixel itself; the parent need not erase under it.
    setAttribute(Qt::WA_OpaquePaintEvent);
    sections_.onChanged = [this] { renderStrip(); };
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, guarded([this] { tick(); }));
    setTimerEnabled(true);
}

QColor TabfCredits::keyColor() const
{
    const QWidget* from = parentWidget() ? parentWidget() : this;
    return from->palette().color(from->backgroundRole());
}

void TabfCredits::applyDefaultPath()
{
    if (pathSet_ || height() <= 0)
        return;
    pathSet_ = true;
    pathBegin_ = height();
    pathEnd_ = 0;
    pathRiseTo_ = height() - 50;
    pathFallFrom_ = 50;
    clampPath();
}

void TabfCredits::clampPath()
{
    pathBegin_ = std::clamp(pathBegin_, 0, std::max(height(), 0));
    pathEnd_ = std::clamp(pathEnd_, 0, std::max(height(), 0));
    const int low = std::min(pathBegin_, pathEnd_), high = std::max(pathBegin_, pathEnd_);
    pathRiseTo_ = std::clamp(pathRiseTo_, low, high);
    pathFallFrom_ = std::clamp(pathFallFrom_, low, high);
}

void TabfCredits::setPathBegin(int row)
{
    applyDefaultPath();
    pathBegin_ = row;
    clampPath();
    update();
}

void TabfCredits::setPathEnd(int row)
{
    applyDefaultPath();
    pathEnd_ = row;
    clampPath();
    update();
}

void TabfCredits::setPathRiseTo(int row)
{
    applyDefaultPath();
    pathRiseTo_ = row;
    clampPath();
    update();
}

void TabfCredits::setPathFallFrom(int row)
{
    applyDefaultPath();
    pathFallFrom_ = row;
    clampPath();
    update();
}

int TabfCredits::positionRange() const { return std::abs(pathEnd_ - pathBegin_) + sections_.totalHeight(); }

void TabfCredits::setCreditsPosition(int position)
{
    position_ = std::clamp(position, 0, positionRange());
    update();
}

void TabfCredits::setTimerEnabled(bool on)
{
    // Without cycling, the text cannot move on past the end it heads for.
    if (on && !cycled_ && (backward_ ? position_ <= 0 : position_ >= positionRange()))
        on = false;
    timerEnabled_ = on;
    if (on && !timer_.isActive())
        timer_.start(std::max(interval_, 0));
    else if (!on)
        timer_.stop();
}

void TabfCredits::setTimerInterval(int ms) { interval_ = std::max(ms, 0); }

void TabfCredits::tick()
{
    step();
    if (timerEnabled_ && !timer_.isActive())
        timer_.start(interval_);
}

void TabfCredits::step()
{
    const int range = positionRange();
    position_ += backward_ ? -1 : 1;
    if (cycled_) {
        if (position_ > range)
            position_ = 0;
        else if (position_ < 0)
            position_ = range;
    } else {
        position_ = std::clamp(position_, 0, range);
        const bool atEnd = position_ == range || position_ == 0;
        if ((!backward_ && position_ == range) || (backward_ && position_ == 0))
            setTimerEnabled(false);
        if (atEnd) {
            renderStrip();
            if (OnCreditsEnd)
                OnCreditsEnd();
        }
    }
    update();
    if (OnTimer)
        OnTimer();
}

void TabfCredits::setFillType(const QString& type)
{
    if (!CreditFills::isFillName(type) || type == fill_.type)
        return;
    fill_.type = type;
    renderFill();
}

void TabfCredits::setFillColorLight(TColor color)
{
    fill_.light = color;
    renderFill();
}

void TabfCredits::setFillColorDark(TColor color)
{
    fill_.dark = color;
    renderFill();
}

void TabfCredits::setFillColorNormal(TColor color)
{
    fill_.normal = color;
    renderFill();
}

void TabfCredits::setFillBitmap(const QImage& bitmap)
{
    fill_.bitmap = bitmap;
    renderFill();
}

void TabfCredits::resizeEvent(QResizeEvent*)
{
    applyDefaultPath();
    clampPath();
    if (CreditFills::dependsOnSize(fill_.type) || fillCache_.width() < width() || fillCache_.height() < height())
        renderFill();
}

void TabfCredits::renderFill()
{
    QSize size = this->size();
    if (!CreditFills::dependsOnSize(fill_.type)) {
        // A fill that does not follow the size is drawn with room to grow.
        size = fillCache_.size();
        if (size.width() < width())
            size.setWidth(roundUpTo64(width()));
        if (size.height() < height())
            size.setHeight(roundUpTo64(height()));
    }
    if (size.isEmpty()) {
        fillCache_ = background_ = QImage();
    } else {
        fillCache_ = QImage(size, QImage::Format_RGB888);
        fillCache_.fill(keyColor());
        CreditFills::render(fillCache_, fill_);
        background_ = fillCache_.copy();
    }
    renderStrip();
}

void TabfCredits::drawText(QPainter& painter, int x, int y, const QString& text, const FontSpec& font,
                           TabfCreditTextEffect effect) const
{
    painter.setFont(creditsFont(font));
    const int baseline = y + painter.fontMetrics().ascent();
    if (effect != cteNone) {
        painter.setPen(effect == cteRaised ? Qt::white : Qt::black);
        painter.drawText(x, baseline, text);
        painter.setPen(effect == cteRaised ? Qt::black : Qt::white);
        painter.drawText(x + 2, baseline + 2, text);
    }
    painter.setPen(toQColor(font.color));
    painter.drawText(x + 1, baseline + 1, text);
}

void TabfCredits::renderStrip()
{
    const int width = sections_.widestSection();
    const int height = sections_.totalHeight() + 10;
    strip_ = QImage(std::max(width, 1), height, QImage::Format_RGB888);
    strip_.fill(keyColor());
    QPainter painter(&strip_);
    painter.setBrush(Qt::NoBrush);
    int y = 0;
    for (int s = 0; s < sections_.count(); ++s) {
        const TabfCreditSection& section = sections_[s];
        const int cols = section.ColCount();
        const int colSpace = section.ColSpace();
        const int columnWidth = (width - colSpace * (cols - 1)) / cols;
        int lineY = y;
        const QFontMetrics header(creditsFont(section.HeaderFont()));
        for (const QString& line : section.headerLines()) {
            drawText(painter, roundInt((width - header.horizontalAdvance(line)) / 2.0), lineY, line,
                     section.HeaderFont(), section.HeaderTextEffect());
            lineY += header.height();
        }
        const int bodyTop = y + section.headerSize().height();
        const QFontMetrics body(creditsFont(section.BodyFont()));
        const auto columns = section.columns();
        for (int k = 0; k < cols; ++k) {
            const int left = k * (columnWidth + colSpace);
            lineY = bodyTop;
            for (const QString& line : columns[static_cast<std::size_t>(k)]) {
                drawText(painter, left + roundInt((columnWidth - body.horizontalAdvance(line)) / 2.0), lineY, line,
                         section.BodyFont(), section.BodyTextEffect());
                lineY += body.height();
            }
        }
        y += section.size().height() + sections_.SectionSpace();
    }
    update();
}

int TabfCredits::rowTransparency(int y) const
{
    int t = 0;
    const auto fade = [](int distance, int zone) { return 100 - roundInt(std::abs(distance) * 100.0 / zone); };
    if (movingUp()) {
        if (y > pathRiseTo_ && pathBegin_ > pathRiseTo_)
            t = fade(pathBegin_ - y, pathBegin_ - pathRiseTo_);
        if (y < pathFallFrom_ && pathFallFrom_ > pathEnd_)
            t = fade(y - pathEnd_, pathFallFrom_ - pathEnd_);
    } else {
        if (y < pathRiseTo_ && pathRiseTo_ > pathBegin_)
            t = fade(pathBegin_ - y, pathRiseTo_ - pathBegin_);
        if (y > pathFallFrom_ && pathEnd_ > pathFallFrom_)
            t = fade(y - pathEnd_, pathEnd_ - pathFallFrom_);
    }
    return std::clamp(t, 0, 100);
}

void TabfCredits::compose()
{
    if (background_.isNull())
        return;
    fillCache_ = background_.copy();
    if (strip_.isNull() || width() <= 0 || height() <= 0)
        return;
    const QColor key = keyColor();
    const std::uint8_t keyR = static_cast<std::uint8_t>(key.red()), keyG = static_cast<std::uint8_t>(key.green()),
                       keyB = static_cast<std::uint8_t>(key.blue());
    const int first = std::max(std::min(pathBegin_, pathEnd_), 0);
    const int last = std::min({std::max(pathBegin_, pathEnd_), height() - 1, fillCache_.height() - 1});
    const int stripWidth = strip_.width();
    const int left = std::max(0, (width() - stripWidth) / 2);
    const int right = std::min({left + stripWidth - 1, width() - 1, fillCache_.width() - 1});
    for (int y = first; y <= last; ++y) {
        const int row = movingUp() ? y + position_ - last : y - position_;
        if (row < 0 || row >= strip_.height())
            continue;
        const int t = rowTransparency(y);
        const std::uint8_t* text = strip_.constScanLine(row);
        const std::uint8_t* back = background_.constScanLine(y);
        std::uint8_t* out = fillCache_.scanLine(y);
        for (int x = left; x <= right; ++x) {
            const std::uint8_t* s = text + 3 * (x - left);
            if (s[0] == keyR && s[1] == keyG && s[2] == keyB)
                continue;
            for (int c = 0; c < 3; ++c)
                out[3 * x + c] = blend(t, back[3 * x + c], s[c]);
        }
    }
}

QImage TabfCredits::frame()
{
    compose();
    return fillCache_.isNull() ? QImage() : fillCache_.copy(0, 0, width(), height());
}

void TabfCredits::paintEvent(QPaintEvent*)
{
    compose();
    QPainter painter(this);
    if (fillCache_.isNull())
        painter.fillRect(rect(), keyColor());
    else
        painter.drawImage(0, 0, fillCache_, 0, 0, width(), height());
}
