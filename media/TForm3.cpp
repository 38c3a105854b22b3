#include "TForm3.h"

#include "media/MediaShared.h"
#include "media/TForm8.h"
#include "windowing/Rounding.h"
#include "windowing/SafeCall.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

TForm3* Form3 = nullptr;

namespace {

constexpr int kWheelStep = 15;
constexpr int kWheelNotch = 120;

// The video surface; a click on it may bring the video window forward.
class VideoPanel : public QWidget {
public:
    explicit VideoPanel(QWidget* parent) : QWidget(parent) {}
    std::function<void()> onClick;

protected:
    void mousePressEvent(QMouseEvent* event) override
    {
        if (event->button() == Qt::LeftButton && onClick)
            safeCall(onClick);
    }
};

// A magnifying glass with a sign in it, for the zoom items.
QIcon zoomIcon(const QString& sign)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(40, 40, 40), 2));
    painter.drawLine(10, 10, 15, 15);
    painter.setPen(QPen(QColor(0, 0, 128), 1));
    painter.setBrush(QColor(230, 240, 255));
    painter.drawEllipse(QRectF(0.5, 0.5, 10, 10));
    QFont font;
    font.setPixelSize(sign.size() > 1 ? 5 : 9);
    font.setBold(true);
    painter.setFont(font);
    painter.drawText(QRectF(0.5, 0.5, 10, 10), Qt::AlignCenter, sign);
    return QIcon(pixmap);
}

}  // namespace

TForm3::TForm3(const MediaState& media, QWidget* parent)
    : FramedWindow(parent),
      Image1(new TImage(client())),
      Panel1(new VideoPanel(client())),
      PopupMenu1(new QMenu(this)),
      acFormMagnet1(new TacFormMagnet(this)),
      media_(media)
{
    setObjectName(QStringLiteral("Form3"));
    setCaption(QStringLiteral("Экран"));
    setBorderStyle(BorderStyle::Sizeable);
    setColor(clBtnFace);
    setBounds(277, 0, 385, 341);

    Image1->setObjectName(QStringLiteral("Image1"));
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setAutoFillBackground(true);
    Panel1->hide();
    static_cast<VideoPanel*>(Panel1)->onClick = [this] { Panel1Click(); };

    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    auto item = [this](const QString& caption, const QString& sign, Qt::Key key, void (TForm3::*handler)()) {
        QAction* action = PopupMenu1->addAction(zoomIcon(sign), caption);
        action->setShortcut(QKeySequence(key));
        action->setShortcutContext(Qt::WindowShortcut);
        connect(action, &QAction::triggered, this, guarded([this, handler] { (this->*handler)(); }));
        addAction(action);
        return action;
    };
    N11 = item(QStringLiteral("Уменьшить на 25%"), QStringLiteral("−"), Qt::Key_1, &TForm3::N11Click);
    N21 = item(QStringLiteral("Уменьшить на 50%"), QStringLiteral("="), Qt::Key_2, &TForm3::N21Click);
    N31 = item(QStringLiteral("Увеличить на 25%"), QStringLiteral("+"), Qt::Key_3, &TForm3::N31Click);
    N41 = item(QStringLiteral("Увеличить на 50%"), QStringLiteral("#"), Qt::Key_4, &TForm3::N41Click);
    N1 = PopupMenu1->addSeparator();
    N2 = item(QStringLiteral("Реальный размер"), QStringLiteral("1:1"), Qt::Key_R, &TForm3::N2Click);
    const QList<QAction*> items{N11, N21, N31, N41, N1, N2};
    const char* names[] = {"N11", "N21", "N31", "N41", "N1", "N2"};
    for (int i = 0; i < items.size(); ++i)
        items[i]->setObjectName(QLatin1String(names[i]));
}

void TForm3::showPicture(PictureFile picture, bool halve)
{
    const QSize size = picture.size();
    Image1->setPicture(std::move(picture));
    setCaption(QStringLiteral("Изображение"));
    Panel1->hide();
    Image1->show();
    setOuterSize(size.width(), size.height());
    if (halve) {
        // Halved from the size the window really took, which the window system may have bounded.
        setOuterSize(roundInt(outerWidth() / 2.0), roundInt(outerHeight() / 2.0));
        setCaption(QStringLiteral("Изображение (50% от истинных размеров)"));
    }
    show();
}

void TForm3::clearPicture() { Image1->clear(); }

bool TForm3::showsVideo() const { return !Panel1->isHidden(); }

QWidget* TForm3::showVideoSurface()
{
    Panel1->show();
    Image1->hide();
    setCaption(QStringLiteral("Экран"));
    return Panel1;
}

QSize TForm3::fitVideo(QSize size)
{
    setClientSize(size.width(), clientHeight());
    setClientSize(clientWidth(), size.height());
    return {clientWidth(), clientHeight()};
}

void TForm3::leaveVideo() { Panel1->hide(); }

int TForm3::zoomed(int size, double factor, bool enlarge)
{
    return roundInt(enlarge ? size * factor : size / factor);
}

void TForm3::zoom(double factor, bool enlarge)
{
    // Height first, then width; each is a resize of its own.
    setOuterSize(outerWidth(), zoomed(outerHeight(), factor, enlarge));
    setOuterSize(zoomed(outerWidth(), factor, enlarge), outerHeight());
}

void TForm3::N11Click() { zoom(1.25, false); }
void TForm3::N21Click() { zoom(1.5, false); }
void TForm3::N31Click() { zoom(1.25, true); }
void TForm3::N41Click() { zoom(1.5, true); }

void TForm3::N2Click()
{
    if (Form8 && Form8->isVisible()) {
        setClientSize(media_.VideoNaturalWidth, clientHeight());
        setClientSize(clientWidth(), media_.VideoNaturalHeight);
        return;
    }
    if (const PictureFile* picture = Image1->picture()) {
        setOuterSize(picture->width(), outerHeight());
        setOuterSize(outerWidth(), picture->height());
    }
    setCaption(QStringLiteral("Изображение"));
}

void TForm3::addToOuterSize(int delta)
{
    setOuterSize(outerWidth(), outerHeight() + delta);
    setOuterSize(outerWidth() + delta, outerHeight());
}

void TForm3::FormMouseWheelDown() { addToOuterSize(kWheelStep); }
void TForm3::FormMouseWheelUp() { addToOuterSize(-kWheelStep); }

void TForm3::wheelEvent(QWheelEvent* event)
{
    // Fine-grained wheels send parts of a notch; whole notches count.
    wheelRest_ += event->angleDelta().y();
    safeCall([this] {
        while (wheelRest_ >= kWheelNotch) {
            wheelRest_ -= kWheelNotch;
            FormMouseWheelUp();
        }
        while (wheelRest_ <= -kWheelNotch) {
            wheelRest_ += kWheelNotch;
            FormMouseWheelDown();
        }
    });
    event->ignore();
}

void TForm3::FormResize()
{
    if (Form8 && Form8->isVisible())
        Form8->MediaPlayer1->SetVideoRect({0, 0, Panel1->width(), Panel1->height()});
}

void TForm3::resizeEvent(QResizeEvent* event)
{
    FramedWindow::resizeEvent(event);
    // Both controls fill the client area, whether or not the window is shown.
    const QRect area(QPoint(0, 0), client()->size());
    Image1->setGeometry(area);
    Panel1->setGeometry(area);
    safeCall([this] { FormResize(); });
}

void TForm3::Panel1Click()
{
    if (showVideoWindow_ && Form8) {
        Form8->show();
        Form8->raise();
    }
    showVideoWindow_ = !showVideoWindow_;
}

void TForm3::contextMenuEvent(QContextMenuEvent* event) { PopupMenu1->popup(event->globalPos()); }

void TForm3::FormClose(CloseAction&)
{
    // The video window exists once start-up is over; a screen window alone has none.
    if (Form8) {
        Form8->stopProgress();
        if (Form8->isVisible())
            Form8->stopPlayback();
        Form8->hide();
    }
    if (onClosed)
        onClosed();
}
