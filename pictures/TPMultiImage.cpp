#include "TPMultiImage.h"

#include "pictures/PictureFile.h"
#include "pictures/ThumbnailMaker.h"
#include "platform/Errors.h"
#include "windowing/SafeCall.h"

#include <QApplication>
#include <QClipboard>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMimeData>
#include <QPainter>
#include <QScopeGuard>
#include <QScrollBar>

#include <algorithm>
#include <cmath>

namespace {
int truncInt(double value) { return int(std::trunc(value)); }

struct ReaderChoice {
    ImageReader reader;
    int monochromeBelow;
};

std::optional<ReaderChoice> readerForExtension(const QString& ext)
{
    if (ext == QLatin1String(".BMP"))
        return ReaderChoice{ImageReader::Bmp, 4};
    if (ext == QLatin1String(".PNG"))
        return ReaderChoice{ImageReader::Png, 4};
    if (ext == QLatin1String(".GIF"))
        return ReaderChoice{ImageReader::Gif, 3};
    if (ext == QLatin1String(".TIF") || ext == QLatin1String(".TIFF"))
        return ReaderChoice{ImageReader::Tiff, 4};
    if (ext == QLatin1String(".TGA"))
        return ReaderChoice{ImageReader::Tga, 4};
    if (ext == QLatin1String(".PCX"))
        return ReaderChoice{ImageReader::Pcx, 4};
    if (ext == QLatin1String(".PCD"))
        return ReaderChoice{ImageReader::Pcd, 4};
    if (ext == QLatin1String(".JPG") || ext == QLatin1String(".JPEG"))
        return ReaderChoice{ImageReader::Jpeg, 4};
    return std::nullopt;
}

// A 1-bit picture shrunk so that black (or white) pixels are never lost: a
// target pixel is black (white) when any source pixel it covers is.
QImage shrinkKeeping(const QImage& mono, const QRect& source, QSize target, bool keepBlack)
{
    QImage out(target, QImage::Format_RGB32);
    const QRgb keep = keepBlack ? qRgb(0, 0, 0) : qRgb(255, 255, 255);
    const QRgb other = keepBlack ? qRgb(255, 255, 255) : qRgb(0, 0, 0);
    for (int y = 0; y < target.height(); ++y) {
        const int y0 = source.top() + int(int64_t(y) * source.height() / target.height());
        const int y1 = std::max(y0 + 1, source.top() + int(int64_t(y + 1) * source.height() / target.height()));
        auto* dst = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < target.width(); ++x) {
            const int x0 = source.left() + int(int64_t(x) * source.width() / target.width());
            const int x1 = std::max(x0 + 1, source.left() + int(int64_t(x + 1) * source.width() / target.width()));
            bool found = false;
            for (int sy = y0; sy < y1 && !found; ++sy)
                for (int sx = x0; sx < x1 && !found; ++sx)
                    found = mono.pixel(sx, sy) == keep;
            dst[x] = found ? keep : other;
        }
    }
    return out;
}
}  // namespace

TPMultiImage::TPMultiImage(std::shared_ptr<ImageLibrary> library, QWidget* parent)
    : QWidget(parent), library_(std::move(library))
{
    setFocusPolicy(Qt::StrongFocus);
    resize(105, 105);
    hbar_ = new QScrollBar(Qt::Horizontal, this);
    vbar_ = new QScrollBar(Qt::Vertical, this);
    corner_ = new QWidget(this);
    corner_->setAutoFillBackground(true);
    for (QWidget* part : {static_cast<QWidget*>(hbar_), static_cast<QWidget*>(vbar_), corner_}) {
        part->setGeometry(0, 0, 0, 0);
        part->hide();
    }
    connect(hbar_, &QScrollBar::valueChanged, this, [this](int position) {
        offset_.setX(truncInt(position / zoom_));
        update();
    });
    connect(vbar_, &QScrollBar::valueChanged, this, [this](int position) {
        offset_.setY(truncInt(position / zoom_));
        update();
    });
}

TPMultiImage::~TPMultiImage()
{
    if (annotated_) {
        try {
            library_->annotation(AnnotationCall::Destroy, this);
        } catch (const std::exception&) {
            // The program is closing the viewer; nothing is left to tell.
        }
    }
}

void TPMultiImage::initAnnotation()
{
    library_->annotation(AnnotationCall::Init, this);
    annotated_ = true;
    layoutScrollBars();
}

int TPMultiImage::readDepth() const
{
    switch (ImageReadRes) {
    case ReadRes::lColorVga: return 0;
    case ReadRes::lMonoChrome: return 1;
    case ReadRes::lColor16: return 4;
    case ReadRes::lColor256: return 8;
    case ReadRes::lColorTrue: return 24;
    case ReadRes::lAutoMatic: break;
    }
    return displayColorClass();
}

void TPMultiImage::setImageName(const QString& name)
{
    imageName_ = name;
    loading_ = true;
    const auto done = qScopeGuard([this] { loading_ = false; });
    load();
}

void TPMultiImage::load()
{
    const QFileInfo file(imageName_);
    const QString ext = file.suffix().isEmpty() ? QString() : QLatin1Char('.') + file.suffix().toUpper();
    if (!file.isFile()) {
        setPicture({});
        return;
    }
    library_->annotation(AnnotationCall::Clear, this);
    int depth = readDepth();
    if (ext == QLatin1String(".ICO") || ext == QLatin1String(".WMF")) {
        try {
            setPicture({PictureFile::load(imageName_).image(), 32});
        } catch (const Exception&) {
            setPicture({});
        }
        return;
    }
    // The file's own depth decides whether it is read as a monochrome picture.
    const bool tiff = ext == QLatin1String(".TIF") || ext == QLatin1String(".TIFF");
    FileInfo info;
    if (tiff) {
        const PageInfo pages = library_->pageInfo(imageName_, tiffPage_);
        if (pages.found() && tiffPage_ > pages.lastPage)
            tiffPage_ = int16_t(std::max(0, pages.lastPage));
        info = library_->fileInfo(imageName_);
    } else {
        info = library_->fileInfo(imageName_);
        if (!info.succeeded())
            throw EImageLibError(info.errorText);
    }
    std::optional<ReaderChoice> choice = readerForExtension(ext);
    if (!choice) {
        const QString format = info.format.toUpper();
        static const QStringList known = {"BMP", "PNG", "GIF", "TIF", "TIFF", "TGA", "PCX", "PCD", "JPEG"};
        if (!known.contains(format))
            return;
        choice = readerForExtension(QLatin1Char('.') + format);
    }
    if (info.succeeded() && info.bitsPerPixel > 0 && info.bitsPerPixel < choice->monochromeBelow)
        depth = 1;
    ReadRequest request;
    request.bitsPerPixel = depth;
    request.dither = ImageDither;
    if (choice->reader == ImageReader::Tiff)
        request.pageOrMode = tiffPage_;
    else if (choice->reader == ImageReader::Pcd)
        request.pageOrMode = int(PCDMode);
    const ReadResult read = library_->readFile(choice->reader, imageName_, request);
    DibBitmap bitmap;
    if (read.succeeded()) {
        try {
            bitmap = blockToBitmap(*library_, read.block, depth);
        } catch (const EImageLibUnavailable&) {
            setPicture({});
            throw;
        }
    }
    setPicture(std::move(bitmap));
}

void TPMultiImage::setPicture(DibBitmap picture)
{
    picture_ = std::move(picture);
    setAttribute(Qt::WA_OpaquePaintEvent, !picture_.isNull() && picture_.image.size() == size());
    if (loading_) {
        zoom_ = keptZoom_ = 1.0;
        offset_ = keptOffset_ = QPoint();
        if (stretchRatio_)
            fit();
    }
    layoutScrollBars();
    update();
}

void TPMultiImage::fit()
{
    if (picture_.isNull())
        return;
    zoom_ = std::min(double(width()) / pictureWidth(), double(height()) / pictureHeight());
}

void TPMultiImage::setZoom(double zoom)
{
    zoom_ = zoom > 0 ? zoom : 1.0;
    layoutScrollBars();
    update();
}

void TPMultiImage::setOffset(QPoint offset)
{
    offset_ = offset;
    layoutScrollBars();
    update();
}

void TPMultiImage::setCenter(bool on)
{
    center_ = on;
    update();
}

void TPMultiImage::setScrolling(bool on)
{
    scrolling_ = on;
    hbar_->setEnabled(on);
    vbar_->setEnabled(on);
    corner_->setEnabled(on);
    layoutScrollBars();
    update();
}

void TPMultiImage::setShowScrollbars(bool on)
{
    if (!on && showScrollbars_ && !picture_.isNull()) {
        // The offset is pulled back so the picture's far edge meets the control's.
        const int bx = truncInt(width() - (pictureWidth() - offset_.x()) * zoom_);
        if (pictureWidth() * zoom_ > width() && bx > 0)
            offset_.setX(truncInt(offset_.x() - bx / zoom_) - 1);
        const int by = truncInt(height() - (pictureHeight() - offset_.y()) * zoom_);
        if (pictureHeight() * zoom_ > height() && by > 0)
            offset_.setY(truncInt(offset_.y() - by / zoom_) - 1);
    }
    showScrollbars_ = on;
    layoutScrollBars();
    update();
}

void TPMultiImage::setScrollbarWidth(int width)
{
    scrollbarWidth_ = std::max(0, width);
    layoutScrollBars();
    update();
}

void TPMultiImage::setStretch(bool on)
{
    stretch_ = on;
    if (on)
        stretchRatio_ = false;
    layoutScrollBars();
    update();
}

void TPMultiImage::setStretchRatio(bool on)
{
    if (on && !stretchRatio_) {
        keptZoom_ = zoom_;
        keptOffset_ = offset_;
        offset_ = QPoint();
        stretch_ = false;
        stretchRatio_ = true;
        fit();
    } else if (!on && stretchRatio_) {
        stretchRatio_ = false;
        zoom_ = keptZoom_;
        offset_ = keptOffset_;
    }
    layoutScrollBars();
    update();
}

void TPMultiImage::setBlitMode(BlitMode mode)
{
    blitMode_ = mode;
    update();
}

void TPMultiImage::setColor(TColor color)
{
    color_ = color;
    update();
}

bool TPMultiImage::overflows() const
{
    return truncInt(pictureWidth() * zoom_) > width() || truncInt(pictureHeight() * zoom_) > height();
}

bool TPMultiImage::scrollBarsShown() const
{
    return !picture_.isNull() && !stretch_ && !stretchRatio_ && scrolling_ && showScrollbars_ && overflows();
}

std::optional<TPMultiImage::Placement> TPMultiImage::placement() const
{
    if (picture_.isNull())
        return std::nullopt;
    const int w = pictureWidth(), h = pictureHeight(), W = width(), H = height();
    const double z = zoom_;
    if (stretch_)
        return Placement{QRect(0, 0, w, h), rect()};
    if (!stretchRatio_ && !scrolling_) {
        const QPoint at = center_ ? QPoint((W - w) / 2, (H - h) / 2) : QPoint();
        return Placement{QRect(0, 0, w, h), QRect(at, QSize(w, h))};
    }
    const int s = showScrollbars_ ? scrollbarWidth_ : 0;
    const int zw = truncInt(w * z), zh = truncInt(h * z);
    const QPoint o = offset_;
    if (zw <= W && zh <= H) {
        const QPoint at = center_ ? QPoint((W - zw) / 2, (H - zh) / 2) : QPoint();
        return Placement{QRect(0, 0, w, h), QRect(at, QSize(zw, zh))};
    }
    if (zw > W && zh > H)
        return Placement{QRect(o, QSize(truncInt((W - s) / z), truncInt((H - s) / z))), QRect(0, 0, W - s, H - s)};
    if (zw > W)
        return Placement{QRect(o, QSize(truncInt((W - s) / z), h)),
                         QRect(QPoint(0, center_ ? (H - zh) / 2 : 0), QSize(W - s, zh))};
    return Placement{QRect(o, QSize(w, truncInt((H - s) / z))),
                     QRect(QPoint(center_ ? (W - zw) / 2 : 0, 0), QSize(zw, H - s))};
}

void TPMultiImage::drawPicture(QPainter& painter, const QRect& destination, const QRect& source) const
{
    const QRect clipped = source.intersected(picture_.image.rect());
    if (clipped.isEmpty() || destination.isEmpty())
        return;
    const bool shrinking = destination.width() < source.width() || destination.height() < source.height();
    if (picture_.bitsPerPixel <= 1 && shrinking && blitMode_ != BlitMode::sLight) {
        painter.drawImage(destination,
                          shrinkKeeping(picture_.image, source, destination.size(), blitMode_ == BlitMode::sDark));
        return;
    }
    painter.drawImage(destination, picture_.image, source);
}

void TPMultiImage::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    const QColor background = toQColor(color_);
    const std::optional<Placement> place = placement();
    if (!place) {
        painter.fillRect(rect(), background);
        return;
    }
    QRegion outside(rect());
    outside -= place->destination;
    for (const QRect& r : outside)
        painter.fillRect(r, background);
    drawPicture(painter, place->destination, place->source);
    if (annotated_)
        safeCall([&] { library_->annotation(AnnotationCall::Draw, const_cast<TPMultiImage*>(this)); });
}

void TPMultiImage::layoutScrollBars()
{
    const bool show = scrollBarsShown();
    const int s = scrollbarWidth_, W = width(), H = height();
    for (QWidget* part : {static_cast<QWidget*>(hbar_), static_cast<QWidget*>(vbar_), corner_})
        part->setVisible(show);
    if (!show)
        return;
    vbar_->setGeometry(W - s, 1, s, H - s - 1);
    hbar_->setGeometry(1, H - s, W - s - 1, s);
    corner_->setGeometry(W - s, H - s, s, s);
    const QSignalBlocker hb(hbar_), vb(vbar_);
    const int hmax = std::max(0, truncInt(pictureWidth() * zoom_ - W + s));
    const int vmax = std::max(0, truncInt(pictureHeight() * zoom_ - H + s));
    hbar_->setRange(0, hmax);
    hbar_->setValue(hmax ? std::min(truncInt(offset_.x() * zoom_), hmax) : 0);
    vbar_->setRange(0, vmax);
    vbar_->setValue(vmax ? std::min(truncInt(offset_.y() * zoom_), vmax) : 0);
}

void TPMultiImage::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (stretchRatio_)
        fit();
    layoutScrollBars();
}

void TPMultiImage::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        setFocus(Qt::MouseFocusReason);
    if (event->button() != Qt::LeftButton || AllowRubberBand)
        return;
    lastPoint_ = event->position().toPoint();
    if (!picture_.isNull() && !stretch_ && overflows()) {
        dragging_ = true;
        savedCursor_ = cursor();
        setCursor(Qt::ClosedHandCursor);
    }
}

void TPMultiImage::mouseMoveEvent(QMouseEvent* event)
{
    if (!dragging_)
        return;
    const QPoint p = event->position().toPoint();
    auto step = [this](int last, int now) {
        const int d = truncInt((last - now) / zoom_);
        return d != 0 || last == now ? d : (last > now ? 1 : -1);
    };
    const int dx = step(lastPoint_.x(), p.x()), dy = step(lastPoint_.y(), p.y());
    lastPoint_ = p;
    const int s = scrollBarsShown() ? scrollbarWidth_ : 0;
    auto move = [&](int o, int d, int w, int W) {
        if (o + d < 0 || W > w * zoom_)
            return 0;
        if (W - s > (w - d - o) * zoom_)
            return w - truncInt((W - s) / zoom_);
        return o + d;
    };
    offset_ = QPoint(move(offset_.x(), dx, pictureWidth(), width()), move(offset_.y(), dy, pictureHeight(), height()));
    layoutScrollBars();
    repaint();
}

void TPMultiImage::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && dragging_) {
        dragging_ = false;
        setCursor(savedCursor_);
    }
}

void TPMultiImage::keyPressEvent(QKeyEvent* event)
{
    const auto mods = event->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier);
    const int key = event->key();
    const bool ctrl = mods == Qt::ControlModifier, shift = mods == Qt::ShiftModifier;
    if ((ctrl && key == Qt::Key_C) || (ctrl && key == Qt::Key_Insert) || event->matches(QKeySequence::Copy))
        safeCall([this] { copyToClipboard(); });
    else if ((ctrl && key == Qt::Key_X) || (shift && key == Qt::Key_Delete) || event->matches(QKeySequence::Cut))
        safeCall([this] { cutToClipboard(); });
    else if ((ctrl && key == Qt::Key_V) || (shift && key == Qt::Key_Insert) || event->matches(QKeySequence::Paste))
        safeCall([this] { pasteFromClipboard(); });
    else
        QWidget::keyPressEvent(event);
}

void TPMultiImage::copyToClipboard()
{
    if (picture_.isNull())
        throw EImageLibError(QStringLiteral("Input image is empty"));
    const QImage image = picture_.bitsPerPixel >= 16 ? picture_.image.convertToFormat(QImage::Format_RGB888)
                                                     : picture_.image;
    QApplication::clipboard()->setImage(image);
}

void TPMultiImage::cutToClipboard()
{
    if (picture_.isNull())
        return;
    copyToClipboard();
    setPicture({});
}

void TPMultiImage::pasteFromClipboard()
{
    const QMimeData* data = QApplication::clipboard()->mimeData();
    if (!data || !data->hasImage())
        return;
    const QImage image = qvariant_cast<QImage>(data->imageData());
    const DibBlock block = bitmapToBlock(image, 24);
    DibBitmap bitmap = blockToBitmap(*library_, block, readDepth());
    if (bitmap.isNull())
        return;
    loading_ = true;
    const auto done = qScopeGuard([this] { loading_ = false; });
    setPicture(std::move(bitmap));
}
