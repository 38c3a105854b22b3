#pragma once
// A top-level window that draws its own frame: caption with icon, text and
// caption buttons, borders, an optional menu bar band and the client area.
// Moving by the caption and sizing by the borders are done here, so hooks can
// adjust a move (snapping) under any window manager or none.
#include "Colors.h"
#include "OnScreenPainting.h"

#include <QEvent>
#include <QIcon>
#include <QPointer>
#include <QRect>
#include <QWidget>

#include <vector>

class QMenu;
class QAction;
class QMenuBar;
class FrameCaption;

enum class BorderStyle { Sizeable, Single, Dialog, None };

struct BorderIcons {
    bool systemMenu = true;
    bool minimize = true;
    bool maximize = true;
};

enum class CloseAction { None, Hide, Free, Minimize };

class WindowStacking;

// Sent to a framed window when its always-on-top state has changed, so its
// hooks can follow; it is not sent when a request leaves the state as it was.
class TopmostChangedEvent : public QEvent {
public:
    explicit TopmostChangedEvent(bool topmost) : QEvent(eventType()), topmost_(topmost) {}
    static QEvent::Type eventType();
    bool topmost() const { return topmost_; }

private:
    bool topmost_;
};

// A framed window's hook: it sees the window's events and its moves, showing
// and hiding. Several hooks on one window form a chain in the order they were
// added: the hook added last sees an event first, and one that marks it
// handled keeps it from the earlier hooks and from the window itself; the
// after-handlers then run from the first hook added to the last, each with
// the event as the window left it.
class FrameHook {
public:
    virtual ~FrameHook() = default;
    // Returns true to mark the event handled.
    virtual bool eventBefore(QEvent* event) { (void)event; return false; }
    virtual void eventAfter(QEvent* event) { (void)event; }
    // The window's native window was made anew; hooks stay, and one that set
    // something on the old native window sets it again.
    virtual void windowRecreated() {}
    // The window is being moved by the user; proposed is the outer rectangle
    // in screen coordinates it is about to take, and a hook may change it.
    virtual void moving(QRect& proposed) { (void)proposed; }
    virtual void moveEnded() {}
    virtual void aboutToShow() {}
    // The window is about to be hidden; it is still on screen.
    virtual void aboutToHide() {}
    virtual void hidden() {}
    // The window is about to be minimized; a hook that does it its own way
    // (into the tray, rolled up) returns true and the window stays as it is.
    virtual bool minimizing() { return false; }
    // The window is being destroyed; its hooks must not reach it afterwards.
    virtual void windowDestroyed() {}
};

class FramedWindow : public QWidget {
    Q_OBJECT
public:
    static constexpr int kSizableBorder = 4;
    static constexpr int kFixedBorder = 3;
    static constexpr int kCaptionHeight = 26;
    static constexpr int kMenuBarHeight = 20;

    explicit FramedWindow(QWidget* parent = nullptr);
    ~FramedWindow() override;

    // Look.
    void setBorderStyle(BorderStyle style);
    BorderStyle borderStyle() const { return borderStyle_; }
    void setBorderIcons(BorderIcons icons);
    BorderIcons borderIcons() const { return borderIcons_; }
    void setCaption(const QString& text);
    QString caption() const { return windowTitle(); }
    void setColor(TColor color);
    TColor color() const { return color_; }
    int borderWidth() const;
    bool isActiveLook() const;

    // Menu bar in the band below the caption; the window takes ownership.
    void setMenuBar(QMenuBar* bar);
    QMenuBar* menuBar() const { return menuBar_; }

    // The client area: controls are children of this widget.
    QWidget* client() const { return client_; }

    // Outer geometry in screen coordinates and the client size.
    int left() const { return x(); }
    int top() const { return y(); }
    int outerWidth() const { return width(); }
    int outerHeight() const { return height(); }
    void setLeft(int l) { move(l, y()); }
    void setTop(int t) { move(x(), t); }
    void setBounds(int l, int t, int w, int h);
    void setOuterSize(int w, int h);
    int clientWidth() const;
    int clientHeight() const;
    void setClientSize(int w, int h);
    int frameWidth() const { return 2 * borderWidth(); }
    int frameHeight() const;

    // Window menu: "Восстановить", "Переместить", "Размер", "Свернуть",
    // "Развернуть", separator, "Закрыть".
    QMenu* windowMenu() const { return windowMenu_; }
    // Inserts an item at a position among the menu's entries (separators
    // count); a position past the end appends.
    void insertWindowMenuItem(int position, QAction* action);
    void popupWindowMenu(const QPoint& globalPos);

    // Extra caption buttons sit left of the standard ones.
    void addCaptionButton(QWidget* button);
    FrameCaption* captionBar() const { return caption_; }

    void addHook(FrameHook* hook);
    void removeHook(FrameHook* hook);
    bool hasHook(const FrameHook* hook) const;

    // Keeping the window above all others. Changing the state tells the
    // window's hooks with a TopmostChangedEvent; the state survives hiding
    // and a new native window. The stacking facility is handed in by the
    // application (tests hand in a fake); without one the state is only kept.
    bool isTopmost() const { return topmost_; }
    void setTopmost(bool on);
    void setStacking(WindowStacking* stacking) { stacking_ = stacking; }
    WindowStacking* stacking() const { return stacking_; }

    // Closing the application's main window ends the program.
    void setMainWindow(bool on) { mainWindow_ = on; }
    bool isMainWindow() const { return mainWindow_; }

    void minimizeWindow();
    void toggleMaximized();
    bool isMaximizedByFrame() const { return maximized_; }

    // Moves and resizes the window as a caption drag would, through the hooks.
    void moveByUser(const QRect& proposed);
    void endUserMove();

    void setVisible(bool visible) override;

    // Shows the window in front and returns once it has been closed; timers
    // keep ticking meanwhile.
    void showUntilClosed();

    // The window's creation handler, run once by the application right after
    // the window has been built.
    virtual void FormCreate() {}

signals:
    void closed();

protected:
    // Called when the window is asked to close; default hides it.
    virtual void FormClose(CloseAction& action) { (void)action; }

    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool event(QEvent* event) override;

private:
    bool dispatchThroughHooks(const std::vector<FrameHook*>& chain, std::size_t count, QEvent* event);
    void applyTopmost();
    friend class FrameCaption;
    void layoutChildren();
    void updateWindowMenu();
    Qt::Edges edgesAt(const QPoint& pos) const;
    void startKeyboardMode(bool sizing);
    void finishKeyboardMode(bool keep);

    // First, as the children built below already send the window events.
    std::vector<FrameHook*> hooks_;
    WindowStacking* stacking_ = nullptr;
    bool topmost_ = false;
    bool hiding_ = false;
    bool hadNativeWindow_ = false;
    BorderStyle borderStyle_ = BorderStyle::Sizeable;
    BorderIcons borderIcons_;
    TColor color_ = clBtnFace;
    FrameCaption* caption_;
    QWidget* client_;
    QMenuBar* menuBar_ = nullptr;
    QMenu* windowMenu_;
    // A window larger than the screen paints its frame where it can be seen.
    OnScreenPainting* onScreen_;
    QAction* restoreAction_;
    QAction* moveAction_;
    QAction* sizeAction_;
    QAction* minimizeAction_;
    QAction* maximizeAction_;
    QAction* closeAction_;
    bool mainWindow_ = false;
    bool maximized_ = false;
    QRect normalGeometry_;

    // Sizing by the borders.
    Qt::Edges sizingEdges_;
    QPoint pressGlobal_;
    QRect pressGeometry_;

    // Keyboard move or size from the window menu.
    enum class KeyMode { Off, Move, Size } keyMode_ = KeyMode::Off;
    QRect keyModeStart_;
};

// The caption band: icon, text, caption buttons. Dragging it moves the window.
class FrameCaption : public QWidget {
    Q_OBJECT
public:
    static constexpr int kButtonWidth = 21;
    static constexpr int kButtonHeight = 19;

    // Left edge, in window coordinates, of an extra caption button: the
    // caption's free area ends left of the window's own buttons (one for the
    // close box, two more for the minimize and maximize boxes), and the
    // button's right offset counts back from there past the frame.
    static int extraButtonLeft(int windowWidth, int borderWidth, int ownButtons, int rightOffset);

    explicit FrameCaption(FramedWindow* window);
    void updateButtons();
    void addButton(QWidget* button);
    QRect iconRect() const;
    QWidget* closeButton() const { return close_; }
    QWidget* minimizeButton() const { return minimize_; }
    QWidget* maximizeButton() const { return maximize_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void layoutButtons();

    FramedWindow* window_;
    QWidget* minimize_;
    QWidget* maximize_;
    QWidget* close_;
    std::vector<QPointer<QWidget>> extra_;
    bool dragging_ = false;
    QPoint dragStartGlobal_;
    QRect dragStartGeometry_;
};
