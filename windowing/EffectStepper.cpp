#include "EffectStepper.h"

#include "SafeCall.h"

#include <QEventLoop>
#include <QPointer>

#include <algorithm>

EffectStepper::EffectStepper(QObject* parent) : QObject(parent)
{
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, [this] { tick(); });
}

EffectStepper::~EffectStepper() { stop(); }

void EffectStepper::start(int intervalMs, std::function<bool()> step)
{
    stop();
    ++generation_;
    step_ = std::move(step);
    running_ = true;
    timer_.start(std::max(0, intervalMs));
    tick();
}

void EffectStepper::stop()
{
    if (!running_)
        return;
    running_ = false;
    timer_.stop();
    step_ = nullptr;
    emit finished();
}

void EffectStepper::tick()
{
    // A step that opens a nested loop (an error box) is not stepped again meanwhile.
    if (!running_ || inStep_)
        return;
    // The step may stop or restart the stepper, or delete it with its owner.
    const QPointer<EffectStepper> self(this);
    const unsigned generation = generation_;
    const std::function<bool()> step = step_;
    bool more = false;
    inStep_ = true;
    safeCall([&] { more = step(); });
    if (self)
        inStep_ = false;
    if (self && !more && generation_ == generation)
        stop();
}

void EffectStepper::wait()
{
    if (!running_)
        return;
    QEventLoop loop;
    connect(this, &EffectStepper::finished, &loop, &QEventLoop::quit);
    loop.exec();
}

void EffectStepper::run(int intervalMs, std::function<bool()> step)
{
    start(intervalMs, std::move(step));
    wait();
}
