#pragma once
// Keeping a top-level window above all others on the desktop.
#include <QAbstractNativeEventFilter>
#include <QObject>
#include <QPointer>
#include <QWidget>

#include <optional>
#include <vector>

class WindowStacking {
public:
    virtual ~WindowStacking() = default;
    // Puts the window into the group kept above the other windows, or takes
    // it out, without moving, sizing or activating it.
    virtual void setAbove(QWidget* window, bool above) = 0;
    // What the desktop records for the window; nothing where it cannot say.
    virtual std::optional<bool> reportedAbove(QWidget* window) const = 0;
};

// On X11 the window manager is asked with the _NET_WM_STATE_ABOVE client
// message; a window not mapped yet gets the state in its _NET_WM_STATE
// property, which the manager reads when it maps it. With no window manager
// nobody keeps a window above, so a pinned window raises itself whenever
// another window is mapped or restacked.
class X11WindowStacking : public QObject, public WindowStacking, private QAbstractNativeEventFilter {
public:
    explicit X11WindowStacking(QObject* parent = nullptr);
    ~X11WindowStacking() override;

    void setAbove(QWidget* window, bool above) override;
    std::optional<bool> reportedAbove(QWidget* window) const override;

private:
    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;
    bool isPinned(quint32 nativeWindow) const;
    void raisePinned();

    std::vector<QPointer<QWidget>> pinned_;
    bool watchingRoot_ = false;
    bool raiseQueued_ = false;
};
