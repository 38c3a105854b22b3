#include "TImage.h"

#include "windowing/SafeCall.h"

#include <QPainter>

TImage::TImage(QWidget* parent) : QWidget(parent) { setAttribute(Qt::WA_OpaquePaintEvent); }

void TImage::setPicture(PictureFile picture)
{
    picture_ = std::move(picture);
    matchResolution();
    update();
}

void TImage::clear()
{
    picture_.reset();
    update();
}

void TImage::matchResolution()
{
    if (picture_ && !size().isEmpty())
        picture_->ensureResolution(size());
}

void TImage::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (!picture_) {
        painter.fillRect(rect(), palette().window());
        return;
    }
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(rect(), picture_->image());
}

void TImage::resizeEvent(QResizeEvent*)
{
    safeCall([this] { matchResolution(); });
}
