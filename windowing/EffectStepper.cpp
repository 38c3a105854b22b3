#include "EffectStepper.h"

#include "SafeCall.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QPointer>

#include <algorithm>
#include <memory>

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

void EffectStepper::startTimed(int intervalMs, int lengthMs, std::function<void(double)> frame)
{
    auto steady = std::make_shared<QElapsedTimer>();
    steady->start();
    const std::function<qint64()> now = clock ? clock : [steady] { return steady->elapsed(); };
    const qint64 begin = now();
    start(intervalMs, [now, begin, lengthMs, frame = std::move(frame)] {
        const double share = lengthMs <= 0 ? 1.0 : std::clamp(double(now() - begin) / lengthMs, 0.0, 1.0);
        frame(share);
        return share < 1;
    });
}

void EffectStepper::runTimed(int intervalMs, int lengthMs, std::function<void(double)> frame)
{
    startTimed(intervalMs, lengthMs, std::move(frame));
    wait();
}
