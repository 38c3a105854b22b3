#include "TImage.h"

#include "platform/Errors.h"
#include "windowing/SafeCall.h"

#include <QMetaObject>
#include <QPaintEvent>
#include <QPainter>
#include <QTimer>

#include <algorithm>
#include <exception>

namespace {

// Smooth scaling reads the source row below the one a pixel falls on.
constexpr int kFilterRows = 2;
// While the picture is still being decoded, it is painted in bands of this
// many rows, each once the rows under it are there.
constexpr int kBandRows = 96;

}  // namespace

TImage::TImage(QWidget* parent) : QWidget(parent), onScreen_(new OnScreenPainting(this))
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TImage::setPicture(PictureFile picture)
{
    picture_ = std::move(picture);
    // A failure in rows no paint has asked for yet is reported all the same.
    picture_->whenDecoded(
        [this] { QMetaObject::invokeMethod(this, [this] { finishDecoding(); }, Qt::QueuedConnection); });
    matchResolution();
    repaintAll();
}

void TImage::clear()
{
    picture_.reset();
    repaintAll();
}

void TImage::finishDecoding()
{
    // The report may come from a picture since replaced, still decoding.
    if (picture_ && picture_->isDecoded())
        readRows(picture_->image().height());
}

void TImage::readRows(int rows)
{
    const bool nothingDecoded = picture_->rowsReady() == 0;
    try {
        picture_->readRows(rows);
    } catch (const EInvalidGraphic&) {
        if (nothingDecoded && onUnreadable) {
            QTimer::singleShot(0, this, guarded([this] {
                if (onUnreadable)
                    onUnreadable();
            }));
            return;
        }
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
    // Clipped, the scaling works on the visible pixels only; a band is
    // scaled while the decoding goes on below it.
    const QImage& image = picture_->image();
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const QRect bounds = area.boundingRect();
    const int end = bounds.bottom() + 1;
    for (int top = bounds.top(); top < end;) {
        const int bottom = picture_->isComplete() ? end : std::min(end, top + kBandRows);
        const qint64 rows = (qint64(bottom) * image.height() + height() - 1) / std::max(1, height()) + kFilterRows;
        readRows(int(std::min<qint64>(rows, image.height())));
        painter.setClipRegion(area & QRect(0, top, width(), bottom - top));
        painter.drawImage(rect(), image);
        top = bottom;
    }
}

void TImage::resizeEvent(QResizeEvent*)
{
    onScreen_->forget();
    safeCall([this] { matchResolution(); });
}
