#include "TImage.h"

#include "platform/Errors.h"
#include "windowing/SafeCall.h"

#include <QPaintEvent>
#include <QPainter>

#include <algorithm>
#include <exception>

namespace {

// One idle step decodes about this many pixels: a few milliseconds.
constexpr int kPixelsPerStep = 1 << 20;
// Smooth scaling reads the source row below the one a pixel falls on.
constexpr int kFilterRows = 2;

}  // namespace

TImage::TImage(QWidget* parent) : QWidget(parent), onScreen_(new OnScreenPainting(this))
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    moreRows_.setSingleShot(true);
    moreRows_.setInterval(0);
    connect(&moreRows_, &QTimer::timeout, this, [this] { readMoreRows(); });
}

void TImage::setPicture(PictureFile picture)
{
    picture_ = std::move(picture);
    matchResolution();
    repaintAll();
}

void TImage::clear()
{
    picture_.reset();
    moreRows_.stop();
    repaintAll();
}

void TImage::readMoreRows()
{
    if (!picture_ || picture_->isComplete())
        return;
    const int step = std::max(1, kPixelsPerStep / std::max(1, picture_->image().width()));
    readRows(picture_->rowsReady() + step);
    if (!picture_->isComplete())
        moreRows_.start();
}

void TImage::readRows(int rows)
{
    try {
        picture_->readRows(rows);
    } catch (const EInvalidGraphic&) {
        // Rows are read inside paint events too, where no box may open: the
        // failure is reported once the paint is over.
        QTimer::singleShot(0, this, guarded([failure = std::current_exception()] { std::rethrow_exception(failure); }));
    }
}

void TImage::repaintAll()
{
    onScreen_->forget();
    update();
}

void TImage::matchResolution()
{
    if (picture_ && !size().isEmpty())
        picture_->ensureResolution(size());
}

void TImage::paintEvent(QPaintEvent* event)
{
    const QRegion area = onScreen_->paintArea(event->region());
    QPainter painter(this);
    painter.setClipRegion(area);
    if (!picture_) {
        painter.fillRect(rect(), palette().window());
        return;
    }
    // The source rows under the painted part are decoded first; the rest
    // follow once this paint has reached the screen.
    const QImage& image = picture_->image();
    const qint64 bottom = area.boundingRect().bottom() + 1;
    const qint64 rows = (bottom * image.height() + height() - 1) / std::max(1, height()) + kFilterRows;
    readRows(int(std::min<qint64>(rows, image.height())));
    if (!picture_->isComplete())
        moreRows_.start();
    // Clipped, the scaling works on the visible pixels only.
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(rect(), image);
}

void TImage::resizeEvent(QResizeEvent*)
{
    onScreen_->forget();
    safeCall([this] { matchResolution(); });
}
