#pragma once
// Painting limited to the part of a widget that lies on the screens. A window
// as large as a 24-megapixel photo shows a fraction of itself, and painting
// the rest would fill (and fault in) megabytes of backing store nobody sees.
// The window system asks for no paint when that rest is moved into view (the
// backing store is believed to hold it), so the window's moves are watched
// and what comes into view unpainted is painted then.
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QRegion>

class QWidget;

class OnScreenPainting : public QObject {
public:
    explicit OnScreenPainting(QWidget* widget);

    // The part of the widget on the screens, in its own coordinates.
    QRect onScreen() const;
    // The part of a paint event's region to paint, noted as painted.
    QRegion paintArea(const QRegion& asked);
    // Nothing is painted any more (the widget was resized).
    void forget() { painted_ = QRegion(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* widget_;
    QRegion painted_;
    QPointer<QWidget> watchedWindow_;
};
