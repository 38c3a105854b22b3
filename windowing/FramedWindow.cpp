#include "FramedWindow.h"

#include "SafeCall.h"
#include "platform/DesktopServices.h"
#include "platform/WindowStacking.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QKeyEvent>
#include <QLinearGradient>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QScreen>
#include <QShortcut>

#include <algorithm>

namespace {

constexpr int kButtonWidth = FrameCaption::kButtonWidth;
constexpr int kButtonHeight = FrameCaption::kButtonHeight;
constexpr int kMinimumWidth = 120;

enum class ButtonKind { Minimize, Maximize, Close };

// Draws the classic raised or sunken 3-D edge inside r.
void drawEdge(QPainter& p, QRect r, bool sunken)
{
    const QColor light = toQColor(clBtnHighlight), face = toQColor(cl3DLight), shadow = toQColor(clBtnShadow),
                 dark = toQColor(cl3DDkShadow);
    const QColor outerTopLeft = sunken ? dark : face, outerBottomRight = sunken ? light : dark;
    const QColor innerTopLeft = sunken ? shadow : light, innerBottomRight = sunken ? face : shadow;
    auto frame = [&p](const QRect& q, const QColor& tl, const QColor& br) {
        p.setPen(tl);
        p.drawLine(q.topLeft(), q.topRight() - QPoint(1, 0));
        p.drawLine(q.topLeft(), q.bottomLeft() - QPoint(0, 1));
        p.setPen(br);
        p.drawLine(q.bottomLeft(), q.bottomRight());
        p.drawLine(q.topRight(), q.bottomRight());
    };
    frame(r, outerTopLeft, outerBottomRight);
    frame(r.adjusted(1, 1, -1, -1), innerTopLeft, innerBottomRight);
}

class CaptionButton : public QAbstractButton {
public:
    CaptionButton(ButtonKind kind, FramedWindow* window, QWidget* parent)
        : QAbstractButton(parent), kind_(kind), window_(window)
    {
        setFixedSize(kButtonWidth, kButtonHeight);
        setFocusPolicy(Qt::NoFocus);
        setToolTip(kind == ButtonKind::Close      ? QStringLiteral("Закрыть")
                   : kind == ButtonKind::Minimize ? QStringLiteral("Свернуть")
                                                  : QStringLiteral("Развернуть"));
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        const QRect r = rect();
        p.fillRect(r, toQColor(clBtnFace));
        const bool down = isDown();
        drawEdge(p, r, down);
        const QColor ink = isEnabled() ? toQColor(clBtnText) : toQColor(clGrayText);
        p.translate(down ? 1 : 0, down ? 1 : 0);
        const int cx = r.width() / 2, cy = r.height() / 2;
        p.setPen(QPen(ink, 1));
        switch (kind_) {
        case ButtonKind::Minimize:
            p.fillRect(cx - 4, cy + 2, 8, 2, ink);
            break;
        case ButtonKind::Maximize:
            if (window_->isMaximizedByFrame()) {
                p.drawRect(cx - 2, cy - 5, 7, 6);
                p.drawLine(cx - 2, cy - 4, cx + 5, cy - 4);
                p.fillRect(cx - 5, cy - 2, 8, 7, toQColor(clBtnFace));
                p.drawRect(cx - 5, cy - 2, 7, 6);
                p.drawLine(cx - 5, cy - 1, cx + 2, cy - 1);
            } else {
                p.drawRect(cx - 5, cy - 5, 9, 8);
                p.drawLine(cx - 5, cy - 4, cx + 4, cy - 4);
            }
            break;
        case ButtonKind::Close:
            p.setPen(QPen(ink, 2, Qt::SolidLine, Qt::FlatCap));
            p.drawLine(cx - 4, cy - 4, cx + 3, cy + 3);
            p.drawLine(cx + 3, cy - 4, cx - 4, cy + 3);
            break;
        }
    }

private:
    ButtonKind kind_;
    FramedWindow* window_;
};

}  // namespace

// ---------------------------------------------------------------- caption

FrameCaption::FrameCaption(FramedWindow* window) : QWidget(window), window_(window)
{
    setObjectName(QStringLiteral("frameCaption"));
    auto* minimize = new CaptionButton(ButtonKind::Minimize, window, this);
    auto* maximize = new CaptionButton(ButtonKind::Maximize, window, this);
    auto* close = new CaptionButton(ButtonKind::Close, window, this);
    minimize->setObjectName(QStringLiteral("minimizeButton"));
    maximize->setObjectName(QStringLiteral("maximizeButton"));
    close->setObjectName(QStringLiteral("closeButton"));
    connect(minimize, &QAbstractButton::clicked, window, guarded([window] { window->minimizeWindow(); }));
    connect(maximize, &QAbstractButton::clicked, window, guarded([window] { window->toggleMaximized(); }));
    connect(close, &QAbstractButton::clicked, window, guarded([window] { window->close(); }));
    minimize_ = minimize;
    maximize_ = maximize;
    close_ = close;
}

void FrameCaption::addButton(QWidget* button)
{
    button->setParent(this);
    extra_.emplace_back(button);
    button->show();
    layoutButtons();
}

QRect FrameCaption::iconRect() const { return QRect(3, (height() - 16) / 2, 16, 16); }

void FrameCaption::updateButtons()
{
    const BorderIcons icons = window_->borderIcons();
    const BorderStyle style = window_->borderStyle();
    const bool dialog = style == BorderStyle::Dialog;
    close_->setVisible(icons.systemMenu && style != BorderStyle::None);
    // A dialog shows only the close button; a fixed window shows maximize only when asked for.
    minimize_->setVisible(icons.systemMenu && !dialog && icons.minimize);
    maximize_->setVisible(icons.systemMenu && !dialog && icons.maximize);
    maximize_->setEnabled(style == BorderStyle::Sizeable);
    layoutButtons();
    update();
}

void FrameCaption::layoutButtons()
{
    const int y = (height() - kButtonHeight) / 2;
    int x = width() - 2 - kButtonWidth;
    if (close_->isVisibleTo(this)) {
        close_->move(x, y);
        x -= kButtonWidth + 2;
    }
    if (maximize_->isVisibleTo(this)) {
        maximize_->move(x, y);
        x -= kButtonWidth;
    }
    if (minimize_->isVisibleTo(this)) {
        minimize_->move(x, y);
        x -= kButtonWidth;
    }
    int ownButtons = 0;
    for (QWidget* own : {close_, maximize_, minimize_})
        ownButtons += own->isVisibleTo(this) ? 1 : 0;
    // Each extra button's right offset grows by its width and the gap it asks for.
    int rightOffset = 2;
    for (auto& b : extra_) {
        if (b && b->isVisibleTo(this)) {
            rightOffset += b->property("separatorWidth").toInt() + kButtonWidth - 2;
            const int left = extraButtonLeft(window_->width(), window_->borderWidth(), ownButtons, rightOffset);
            b->move(left - window_->borderWidth(), (height() - b->height()) / 2);
        }
    }
}

int FrameCaption::extraButtonLeft(int windowWidth, int borderWidth, int ownButtons, int rightOffset)
{
    // The own buttons sit 2 pixels in from the frame, the close box 2 pixels
    // apart from the others.
    const int ownArea = ownButtons == 0 ? 0 : 2 + ownButtons * kButtonWidth + (ownButtons > 1 ? 2 : 0);
    return windowWidth - borderWidth - ownArea - rightOffset;
}

void FrameCaption::resizeEvent(QResizeEvent*) { layoutButtons(); }

void FrameCaption::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const bool active = window_->isActiveLook();
    QLinearGradient g(0, 0, width(), 0);
    g.setColorAt(0, toQColor(active ? clActiveCaption : clInactiveCaption));
    g.setColorAt(1, toQColor(active ? clGradientActiveCaption : clGradientInactiveCaption));
    p.fillRect(rect(), g);
    int textLeft = 5;
    if (window_->borderIcons().systemMenu && window_->borderStyle() != BorderStyle::Dialog) {
        const QIcon icon = window_->windowIcon();
        if (!icon.isNull())
            icon.paint(&p, iconRect());
        textLeft = iconRect().right() + 5;
    }
    QFont f = font();
    f.setFamily(QStringLiteral("Tahoma"));
    f.setBold(true);
    f.setPixelSize(12);
    p.setFont(f);
    p.setPen(toQColor(active ? clCaptionText : clInactiveCaptionText));
    int right = width() - 4;
    for (QWidget* b : {close_, maximize_, minimize_})
        if (b->isVisibleTo(this))
            right = std::min(right, b->x() - 4);
    for (auto& b : extra_)
        if (b && b->isVisibleTo(this))
            right = std::min(right, b->x() - 4);
    const QRect textRect(textLeft, 0, std::max(0, right - textLeft), height());
    p.drawText(textRect, Qt::AlignVCenter | Qt::AlignLeft,
               p.fontMetrics().elidedText(window_->windowTitle(), Qt::ElideRight, textRect.width()));
}

void FrameCaption::mousePressEvent(QMouseEvent* event)
{
    safeCall([&] {
        const QPoint global = event->globalPosition().toPoint();
        if (event->button() == Qt::RightButton) {
            window_->popupWindowMenu(global);
            return;
        }
        if (event->button() != Qt::LeftButton)
            return;
        if (window_->borderIcons().systemMenu && window_->borderStyle() != BorderStyle::Dialog &&
            iconRect().contains(event->position().toPoint())) {
            window_->popupWindowMenu(mapToGlobal(QPoint(0, height())));
            return;
        }
        window_->activateWindow();
        window_->raise();
        if (window_->isMaximizedByFrame())
            return;
        dragging_ = true;
        dragStartGlobal_ = global;
        dragStartGeometry_ = window_->geometry();
    });
}

void FrameCaption::mouseMoveEvent(QMouseEvent* event)
{
    if (!dragging_)
        return;
    safeCall([&] {
        const QPoint delta = event->globalPosition().toPoint() - dragStartGlobal_;
        window_->moveByUser(dragStartGeometry_.translated(delta));
    });
}

void FrameCaption::mouseReleaseEvent(QMouseEvent* event)
{
    if (!dragging_ || event->button() != Qt::LeftButton)
        return;
    dragging_ = false;
    safeCall([&] { window_->endUserMove(); });
}

void FrameCaption::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    safeCall([&] {
        if (window_->borderIcons().systemMenu && window_->borderStyle() != BorderStyle::Dialog &&
            iconRect().contains(event->position().toPoint())) {
            window_->close();
        } else if (window_->borderStyle() == BorderStyle::Sizeable && window_->borderIcons().maximize) {
            window_->toggleMaximized();
        }
    });
}

// ---------------------------------------------------------------- window

FramedWindow::FramedWindow(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint),
      caption_(new FrameCaption(this)),
      client_(new QWidget(this)),
      windowMenu_(new QMenu(this)),
      onScreen_(new OnScreenPainting(this))
{
    setAttribute(Qt::WA_QuitOnClose, false);
    // The frame fills all it paints, so the window system's background is
    // never needed; it would fill the whole window, on the screen or not.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    client_->setObjectName(QStringLiteral("client"));
    client_->setAutoFillBackground(true);
    windowMenu_->setObjectName(QStringLiteral("windowMenu"));
    restoreAction_ = windowMenu_->addAction(QStringLiteral("Восстановить"));
    moveAction_ = windowMenu_->addAction(QStringLiteral("Переместить"));
    sizeAction_ = windowMenu_->addAction(QStringLiteral("Размер"));
    minimizeAction_ = windowMenu_->addAction(QStringLiteral("Свернуть"));
    maximizeAction_ = windowMenu_->addAction(QStringLiteral("Развернуть"));
    windowMenu_->addSeparator();
    closeAction_ = windowMenu_->addAction(QStringLiteral("Закрыть"));
    closeAction_->setShortcut(QKeySequence(Qt::ALT | Qt::Key_F4));
    QFont bold = closeAction_->font();
    bold.setBold(true);
    closeAction_->setFont(bold);
    connect(restoreAction_, &QAction::triggered, this, guarded([this] {
                if (isMinimized())
                    showNormal();
                else if (maximized_)
                    toggleMaximized();
            }));
    connect(moveAction_, &QAction::triggered, this, guarded([this] { startKeyboardMode(false); }));
    connect(sizeAction_, &QAction::triggered, this, guarded([this] { startKeyboardMode(true); }));
    connect(minimizeAction_, &QAction::triggered, this, guarded([this] { minimizeWindow(); }));
    connect(maximizeAction_, &QAction::triggered, this, guarded([this] {
                if (!maximized_)
                    toggleMaximized();
            }));
    connect(closeAction_, &QAction::triggered, this, guarded([this] { close(); }));
    connect(windowMenu_, &QMenu::aboutToShow, this, [this] { updateWindowMenu(); });
    auto* altSpace = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_Space), this);
    connect(altSpace, &QShortcut::activated, this,
            guarded([this] { popupWindowMenu(caption_->mapToGlobal(QPoint(0, caption_->height()))); }));
    auto* altF4 = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_F4), this);
    connect(altF4, &QShortcut::activated, this, guarded([this] { close(); }));
    setColor(color_);
    resize(300, 200);
    caption_->updateButtons();
}

FramedWindow::~FramedWindow()
{
    for (FrameHook* hook : std::vector<FrameHook*>(hooks_))
        if (hasHook(hook))
            hook->windowDestroyed();
    hooks_.clear();
}

void FramedWindow::setBorderStyle(BorderStyle style)
{
    const QSize client(clientWidth(), clientHeight());
    borderStyle_ = style;
    caption_->setVisible(style != BorderStyle::None);
    caption_->updateButtons();
    setClientSize(client.width(), client.height());
}

void FramedWindow::setBorderIcons(BorderIcons icons)
{
    borderIcons_ = icons;
    caption_->updateButtons();
}

void FramedWindow::setCaption(const QString& text)
{
    setWindowTitle(text);
    caption_->update();
}

void FramedWindow::setColor(TColor color)
{
    color_ = color;
    QPalette pal = client_->palette();
    pal.setColor(QPalette::Window, toQColor(color));
    client_->setPalette(pal);
}

int FramedWindow::borderWidth() const
{
    switch (borderStyle_) {
    case BorderStyle::Sizeable:
        return kSizableBorder;
    case BorderStyle::None:
        return 0;
    default:
        return kFixedBorder;
    }
}

bool FramedWindow::isActiveLook() const { return isActiveWindow(); }

void FramedWindow::setMenuBar(QMenuBar* bar)
{
    const QSize client(clientWidth(), clientHeight());
    delete menuBar_;
    menuBar_ = bar;
    if (bar) {
        bar->setParent(this);
        bar->setNativeMenuBar(false);
        bar->show();
    }
    setClientSize(client.width(), client.height());
}

int FramedWindow::frameHeight() const
{
    return 2 * borderWidth() + (borderStyle_ == BorderStyle::None ? 0 : kCaptionHeight) +
           (menuBar_ ? kMenuBarHeight : 0);
}

// A hidden window gets its resize event only when shown; lay the children
// out at once so the controls see their real sizes before that.
void FramedWindow::setBounds(int l, int t, int w, int h)
{
    setGeometry(l, t, w, h);
    layoutChildren();
}

void FramedWindow::setOuterSize(int w, int h)
{
    resize(w, h);
    layoutChildren();
}

int FramedWindow::clientWidth() const { return std::max(0, width() - frameWidth()); }

int FramedWindow::clientHeight() const { return std::max(0, height() - frameHeight()); }

void FramedWindow::setClientSize(int w, int h) { setOuterSize(w + frameWidth(), h + frameHeight()); }

void FramedWindow::layoutChildren()
{
    const int b = borderWidth();
    const int captionHeight = borderStyle_ == BorderStyle::None ? 0 : kCaptionHeight;
    caption_->setGeometry(b, b, width() - 2 * b, captionHeight);
    int y = b + captionHeight;
    if (menuBar_) {
        menuBar_->setGeometry(b, y, width() - 2 * b, kMenuBarHeight);
        y += kMenuBarHeight;
    }
    client_->setGeometry(b, y, clientWidth(), clientHeight());
}

void FramedWindow::resizeEvent(QResizeEvent*)
{
    onScreen_->forget();
    layoutChildren();
}

void FramedWindow::paintEvent(QPaintEvent* event)
{
    QPainter p(this);
    p.setClipRegion(onScreen_->paintArea(event->region()));
    p.fillRect(rect(), toQColor(clBtnFace));
    if (borderStyle_ == BorderStyle::None)
        return;
    drawEdge(p, rect(), false);
}

void FramedWindow::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::ActivationChange || event->type() == QEvent::WindowTitleChange)
        caption_->update();
    QWidget::changeEvent(event);
}

void FramedWindow::setVisible(bool visible)
{
    if (visible && !isVisible()) {
        for (FrameHook* hook : std::vector<FrameHook*>(hooks_))
            if (hasHook(hook))
                safeCall([hook] { hook->aboutToShow(); });
        // A window manager forgets the state of a withdrawn window.
        if (topmost_)
            applyTopmost();
    } else if (!visible && isVisible() && !hiding_) {
        // A hook may animate the hiding while events go on; a second request
        // meanwhile must not start it again.
        hiding_ = true;
        for (FrameHook* hook : std::vector<FrameHook*>(hooks_))
            if (hasHook(hook))
                safeCall([hook] { hook->aboutToHide(); });
        hiding_ = false;
    }
    QWidget::setVisible(visible);
}

QEvent::Type TopmostChangedEvent::eventType()
{
    static const QEvent::Type type = QEvent::Type(QEvent::registerEventType());
    return type;
}

bool FramedWindow::event(QEvent* event)
{
    if (event->type() == QEvent::WinIdChange && internalWinId()) {
        if (hadNativeWindow_) {
            if (topmost_)
                applyTopmost();
            for (FrameHook* hook : std::vector<FrameHook*>(hooks_))
                if (hasHook(hook))
                    safeCall([hook] { hook->windowRecreated(); });
        }
        hadNativeWindow_ = true;
    }
    if (hooks_.empty())
        return QWidget::event(event);
    const std::vector<FrameHook*> chain(hooks_);
    return dispatchThroughHooks(chain, chain.size(), event);
}

// The hook at count - 1 sees the event first and hands it on down the chain
// to the window's own handling, unless it marks it handled.
bool FramedWindow::dispatchThroughHooks(const std::vector<FrameHook*>& chain, std::size_t count, QEvent* event)
{
    if (count == 0)
        return QWidget::event(event);
    FrameHook* hook = chain[count - 1];
    if (!hasHook(hook))
        return dispatchThroughHooks(chain, count - 1, event);
    bool handled = false;
    safeCall([&] { handled = hook->eventBefore(event); });
    const bool result = handled ? true : dispatchThroughHooks(chain, count - 1, event);
    if (hasHook(hook))
        safeCall([&] { hook->eventAfter(event); });
    return result;
}

void FramedWindow::setTopmost(bool on)
{
    if (on == topmost_)
        return;
    topmost_ = on;
    applyTopmost();
    TopmostChangedEvent changed(on);
    QCoreApplication::sendEvent(this, &changed);
}

void FramedWindow::applyTopmost()
{
    if (stacking_)
        stacking_->setAbove(this, topmost_);
}

void FramedWindow::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    if (!event->spontaneous())
        for (FrameHook* hook : std::vector<FrameHook*>(hooks_))
            if (hasHook(hook))
                safeCall([hook] { hook->hidden(); });
}

void FramedWindow::closeEvent(QCloseEvent* event)
{
    CloseAction action = mainWindow_ ? CloseAction::Free : CloseAction::Hide;
    const bool ok = safeCall([&] { FormClose(action); });
    if (!ok || action == CloseAction::None) {
        event->ignore();
        return;
    }
    if (action == CloseAction::Minimize) {
        event->ignore();
        minimizeWindow();
        return;
    }
    event->accept();
    emit closed();
    if (mainWindow_ && action == CloseAction::Free)
        QApplication::quit();
}

void FramedWindow::insertWindowMenuItem(int position, QAction* action)
{
    const QList<QAction*> actions = windowMenu_->actions();
    QAction* before = position >= 0 && position < actions.size() ? actions[position] : nullptr;
    windowMenu_->insertAction(before, action);
}

void FramedWindow::showUntilClosed()
{
    QEventLoop loop;
    connect(this, &FramedWindow::closed, &loop, &QEventLoop::quit);
    show();
    activateWindow();
    raise();
    loop.exec();
}

void FramedWindow::popupWindowMenu(const QPoint& globalPos)
{
    if (!borderIcons_.systemMenu || borderStyle_ == BorderStyle::None)
        return;
    updateWindowMenu();
    windowMenu_->popup(globalPos);
}

void FramedWindow::updateWindowMenu()
{
    const bool sizable = borderStyle_ == BorderStyle::Sizeable;
    const bool minimized = isMinimized();
    restoreAction_->setEnabled(maximized_ || minimized);
    moveAction_->setEnabled(!maximized_);
    sizeAction_->setEnabled(sizable && !maximized_ && !minimized);
    minimizeAction_->setEnabled(borderIcons_.minimize && borderStyle_ != BorderStyle::Dialog && !minimized);
    maximizeAction_->setEnabled(borderIcons_.maximize && sizable && !maximized_);
}

void FramedWindow::addCaptionButton(QWidget* button) { caption_->addButton(button); }

void FramedWindow::addHook(FrameHook* hook)
{
    if (std::find(hooks_.begin(), hooks_.end(), hook) == hooks_.end())
        hooks_.push_back(hook);
}

void FramedWindow::removeHook(FrameHook* hook) { hooks_.erase(std::remove(hooks_.begin(), hooks_.end(), hook), hooks_.end()); }

bool FramedWindow::hasHook(const FrameHook* hook) const
{
    return std::find(hooks_.begin(), hooks_.end(), hook) != hooks_.end();
}

void FramedWindow::minimizeWindow()
{
    for (FrameHook* hook : std::vector<FrameHook*>(hooks_))
        if (hasHook(hook) && hook->minimizing())
            return;
    // Without a window manager nothing could show an iconified window again.
    if (DesktopServices::hasWindowManager())
        showMinimized();
    else
        hide();
}

void FramedWindow::toggleMaximized()
{
    if (maximized_) {
        maximized_ = false;
        setGeometry(normalGeometry_);
    } else {
        normalGeometry_ = geometry();
        maximized_ = true;
        QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen();
        setGeometry(s->availableGeometry());
    }
    caption_->update();
    caption_->maximizeButton()->update();
}

void FramedWindow::moveByUser(const QRect& proposedRect)
{
    QRect proposed = proposedRect;
    for (FrameHook* hook : std::vector<FrameHook*>(hooks_))
        if (hasHook(hook))
            safeCall([&] { hook->moving(proposed); });
    setGeometry(proposed);
}

void FramedWindow::endUserMove()
{
    for (FrameHook* hook : std::vector<FrameHook*>(hooks_))
        if (hasHook(hook))
            safeCall([hook] { hook->moveEnded(); });
}

Qt::Edges FramedWindow::edgesAt(const QPoint& pos) const
{
    Qt::Edges edges;
    if (borderStyle_ != BorderStyle::Sizeable || maximized_)
        return edges;
    const int grip = kSizableBorder + 12;  // corners are easier to catch
    const bool nearLeft = pos.x() < kSizableBorder, nearRight = pos.x() >= width() - kSizableBorder;
    const bool nearTop = pos.y() < kSizableBorder, nearBottom = pos.y() >= height() - kSizableBorder;
    if (nearLeft || (pos.x() < grip && (nearTop || nearBottom)))
        edges |= Qt::LeftEdge;
    if (nearRight || (pos.x() >= width() - grip && (nearTop || nearBottom)))
        edges |= Qt::RightEdge;
    if (nearTop || (pos.y() < grip && (nearLeft || nearRight)))
        edges |= Qt::TopEdge;
    if (nearBottom || (pos.y() >= height() - grip && (nearLeft || nearRight)))
        edges |= Qt::BottomEdge;
    return edges;
}

void FramedWindow::mousePressEvent(QMouseEvent* event)
{
    if (keyMode_ != KeyMode::Off) {
        finishKeyboardMode(true);
        return;
    }
    sizingEdges_ = event->button() == Qt::LeftButton ? edgesAt(event->position().toPoint()) : Qt::Edges();
    pressGlobal_ = event->globalPosition().toPoint();
    pressGeometry_ = geometry();
}

void FramedWindow::mouseMoveEvent(QMouseEvent* event)
{
    if (!sizingEdges_) {
        const Qt::Edges e = edgesAt(event->position().toPoint());
        const bool diagonalA = e == (Qt::LeftEdge | Qt::TopEdge) || e == (Qt::RightEdge | Qt::BottomEdge);
        const bool diagonalB = e == (Qt::RightEdge | Qt::TopEdge) || e == (Qt::LeftEdge | Qt::BottomEdge);
        setCursor(diagonalA                                       ? Qt::SizeFDiagCursor
                  : diagonalB                                     ? Qt::SizeBDiagCursor
                  : e & (Qt::LeftEdge | Qt::RightEdge)            ? Qt::SizeHorCursor
                  : e & (Qt::TopEdge | Qt::BottomEdge)            ? Qt::SizeVerCursor
                                                                  : Qt::ArrowCursor);
        return;
    }
    const QPoint d = event->globalPosition().toPoint() - pressGlobal_;
    QRect g = pressGeometry_;
    const int minW = kMinimumWidth, minH = frameHeight();
    if (sizingEdges_ & Qt::LeftEdge)
        g.setLeft(std::min(g.left() + d.x(), g.right() - minW + 1));
    if (sizingEdges_ & Qt::RightEdge)
        g.setRight(std::max(g.right() + d.x(), g.left() + minW - 1));
    if (sizingEdges_ & Qt::TopEdge)
        g.setTop(std::min(g.top() + d.y(), g.bottom() - minH + 1));
    if (sizingEdges_ & Qt::BottomEdge)
        g.setBottom(std::max(g.bottom() + d.y(), g.top() + minH - 1));
    setGeometry(g);
}

void FramedWindow::mouseReleaseEvent(QMouseEvent*) { sizingEdges_ = {}; }

void FramedWindow::startKeyboardMode(bool sizing)
{
    keyMode_ = sizing ? KeyMode::Size : KeyMode::Move;
    keyModeStart_ = geometry();
    activateWindow();
    setFocus(Qt::OtherFocusReason);
    grabKeyboard();
}

void FramedWindow::finishKeyboardMode(bool keep)
{
    const bool moving = keyMode_ == KeyMode::Move;
    keyMode_ = KeyMode::Off;
    releaseKeyboard();
    if (!keep)
        setGeometry(keyModeStart_);
    else if (moving)
        endUserMove();
}

void FramedWindow::keyPressEvent(QKeyEvent* event)
{
    if (keyMode_ == KeyMode::Off) {
        QWidget::keyPressEvent(event);
        return;
    }
    safeCall([&] {
        const int step = event->modifiers() & Qt::ControlModifier ? 1 : 8;
        int dx = 0, dy = 0;
        switch (event->key()) {
        case Qt::Key_Left: dx = -step; break;
        case Qt::Key_Right: dx = step; break;
        case Qt::Key_Up: dy = -step; break;
        case Qt::Key_Down: dy = step; break;
        case Qt::Key_Return:
        case Qt::Key_Enter: finishKeyboardMode(true); return;
        case Qt::Key_Escape: finishKeyboardMode(false); return;
        default: return;
        }
        if (keyMode_ == KeyMode::Move)
            moveByUser(geometry().translated(dx, dy));
        else
            resize(std::max(kMinimumWidth, width() + dx), std::max(frameHeight(), height() + dy));
    });
}
