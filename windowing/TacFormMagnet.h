#pragma once
// The window magnet of one framed window. For now it holds the switch the
// settings dialog flips; the snapping reads it.
#include <QObject>

class FramedWindow;

class TacFormMagnet : public QObject {
    Q_OBJECT
public:
    explicit TacFormMagnet(FramedWindow* owner);

    bool active() const { return active_; }
    void setActive(bool on) { active_ = on; }

    FramedWindow* form() const;

private:
    bool active_ = true;
};
