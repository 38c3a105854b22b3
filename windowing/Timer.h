#pragma once
// A timer with the semantics the program relies on: setting a different
// interval or enabling restarts the countdown, setting the same interval
// changes nothing, and an interval of 0 or less arms nothing. Ticks run
// through safeCall.
#include <QObject>
#include <QTimer>
#include <functional>

class Timer : public QObject {
    Q_OBJECT
public:
    explicit Timer(QObject* parent = nullptr, int interval = 1000, bool enabled = true);

    int interval() const { return interval_; }
    void setInterval(int ms);
    bool enabled() const { return enabled_; }
    void setEnabled(bool on);
    bool isArmed() const { return timer_.isActive(); }
    // Milliseconds to the next tick; -1 when not armed.
    int remainingTime() const { return timer_.remainingTime(); }

    std::function<void()> onTimer;

private:
    void rearm();

    QTimer timer_;
    int interval_;
    bool enabled_;
};
