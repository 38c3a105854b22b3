#include "Timer.h"

#include "SafeCall.h"

Timer::Timer(QObject* parent, int interval, bool enabled) : QObject(parent), interval_(interval), enabled_(enabled)
{
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, [this] {
        if (onTimer)
            safeCall(onTimer);
    });
    rearm();
}

void Timer::setInterval(int ms)
{
    if (ms == interval_)
        return;
    interval_ = ms;
    rearm();
}

void Timer::setEnabled(bool on)
{
    if (on == enabled_)
        return;
    enabled_ = on;
    rearm();
}

void Timer::rearm()
{
    timer_.stop();
    if (enabled_ && interval_ > 0)
        timer_.start(interval_);
}
