#include "TFormTopmost.h"

#include <QAction>
#include <QPainter>

TFormTopmost::TFormTopmost(QObject* owner) : TCustomCaptionButton(owner)
{
    setObjectName(QStringLiteral("FormTopmost1"));
    setToggleMode(true);
    setGlyphs(pinGlyph(false), pinGlyph(true));
    setHint(QStringLiteral("Always on top"));
    MenuSettings menu = systemMenu();
    menu.caption = QStringLiteral("Always on &top");
    setSystemMenu(menu);
    setDown(topmost());
}

QPixmap TFormTopmost::pinGlyph(bool pinned)
{
    QPixmap pin(12, 11);
    pin.fill(Qt::transparent);
    QPainter p(&pin);
    const QColor ink(Qt::black), metal(0x80, 0x80, 0x80), head(Qt::white);
    if (pinned) {
        // Seen from above, pushed in: the head with the needle hidden behind it.
        p.setPen(ink);
        p.setBrush(head);
        p.drawEllipse(3, 2, 5, 5);
        p.setPen(metal);
        p.drawLine(5, 8, 6, 8);
        p.drawLine(4, 9, 7, 9);
    } else {
        // Lying on its side: needle to the left, grip and head to the right.
        p.setPen(ink);
        p.drawLine(0, 5, 4, 5);
        p.setBrush(head);
        p.drawRect(5, 3, 3, 4);
        p.drawLine(8, 5, 9, 5);
        p.drawRect(9, 1, 2, 8);
        p.setPen(metal);
        p.drawLine(6, 4, 6, 5);
    }
    return pin;
}

void TFormTopmost::setTopmost(bool on)
{
    if (form())
        form()->setTopmost(on);
}

void TFormTopmost::eventAfter(QEvent* event)
{
    if (event->type() != TopmostChangedEvent::eventType())
        return;
    const bool on = static_cast<TopmostChangedEvent*>(event)->topmost();
    setDown(on);
    if (OnTopmostChanged)
        OnTopmostChanged(this, on);
}

void TFormTopmost::click()
{
    TCustomCaptionButton::click();
    setTopmost(isDown());
}
