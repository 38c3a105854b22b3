#include "TabfColorPicker.h"

#include <QCursor>
#include <QEvent>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QWidget>

TabfColorPicker::TabfColorPicker(QObject* parent) : Timer(parent, 100, true) {}

void TabfColorPicker::runWhileShown(QWidget* window)
{
    if (shownBy_)
        shownBy_->removeEventFilter(this);
    shownBy_ = window;
    window->installEventFilter(this);
    setEnabled(window->isVisible());
}

bool TabfColorPicker::eventFilter(QObject* watched, QEvent* event)
{
    // A minimised window is hidden too and shown again when restored.
    if (watched == shownBy_ && (event->type() == QEvent::Show || event->type() == QEvent::Hide))
        setEnabled(event->type() == QEvent::Show);
    return Timer::eventFilter(watched, event);
}

std::optional<TColor> TabfColorPicker::colorUnderCursor() { return colorAt(QCursor::pos()); }

std::optional<TColor> TabfColorPicker::colorUnderPointer()
{
    if (!pointerPixel_.available())
        return colorUnderCursor();
    if (const auto pixel = pointerPixel_.read())
        return fromQColor(QColor(*pixel));
    return std::nullopt;
}

std::optional<TColor> TabfColorPicker::colorAt(const QPoint& global)
{
    QScreen* screen = QGuiApplication::screenAt(global);
    if (!screen)
        return std::nullopt;
    const QPoint local = global - screen->geometry().topLeft();
    const QImage pixel = screen->grabWindow(0, local.x(), local.y(), 1, 1).toImage();
    if (pixel.isNull() || pixel.width() < 1 || pixel.height() < 1)
        return std::nullopt;
    return fromQColor(pixel.pixelColor(0, 0));
}
