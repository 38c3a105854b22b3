#include "TImage.h"

#include "windowing/SafeCall.h"

#include <QEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>

TImage::TImage(QWidget* parent) : QWidget(parent) { setAttribute(Qt::WA_OpaquePaintEvent); }

void TImage::setPicture(PictureFile picture)
{
    picture_ = std::move(picture);
    matchResolution();
    repaintAll();
}

void TImage::clear()
{
    picture_.reset();
    repaintAll();
}

void TImage::repaintAll()
{
    painted_ = QRegion();
    update();
}

void TImage::matchResolution()
{
    if (picture_ && !size().isEmpty())
        picture_->ensureResolution(size());
}

QRect TImage::onScreen() const
{
    const QScreen* shown = screen();
    if (!shown)
        return rect();
    const QRect desktop = shown->virtualGeometry();
    return rect() & QRect(mapFromGlobal(desktop.topLeft()), desktop.size());
}

void TImage::paintEvent(QPaintEvent* event)
{
    // The window is moved by its top-level; watch it to paint what comes into view.
    if (window() != watchedWindow_) {
        if (watchedWindow_)
            watchedWindow_->removeEventFilter(this);
        watchedWindow_ = window();
        watchedWindow_->installEventFilter(this);
    }
    const QRegion area = event->region() & onScreen();
    painted_ += area;
    QPainter painter(this);
    painter.setClipRegion(area);
    if (!picture_) {
        painter.fillRect(rect(), palette().window());
        return;
    }
    // Clipped, the scaling works on the visible pixels only.
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(rect(), picture_->image());
}

void TImage::paintNewlyOnScreen()
{
    const QRegion missing = QRegion(onScreen()) - painted_;
    if (!missing.isEmpty())
        update(missing);
}

bool TImage::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == watchedWindow_ && (event->type() == QEvent::Move || event->type() == QEvent::ScreenChangeInternal))
        paintNewlyOnScreen();
    return QWidget::eventFilter(watched, event);
}

void TImage::resizeEvent(QResizeEvent*)
{
    painted_ = QRegion();
    safeCall([this] { matchResolution(); });
}
