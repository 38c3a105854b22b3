#pragma once
// Runs a timed effect step by step on a timer. The steps run from the event
// loop, so input, paints and other timers go on between them; a caller that
// must not return before the effect ends waits in a local event loop, never
// in a loop that polls for events.
#include <QObject>
#include <QTimer>

#include <functional>

class EffectStepper : public QObject {
    Q_OBJECT
public:
    explicit EffectStepper(QObject* parent = nullptr);
    // A running effect ends here: its waiters return.
    ~EffectStepper() override;

    // Calls step at once and then every intervalMs until it returns false or
    // stop() is called. A step that throws ends the effect; the failure goes
    // to the error box. A running effect is stopped first.
    void start(int intervalMs, std::function<bool()> step);
    void stop();
    bool isRunning() const { return running_; }

    // Returns once the effect has ended (at once when none runs).
    void wait();
    // start, then wait.
    void run(int intervalMs, std::function<bool()> step);

    // An effect planned to last lengthMs: frame gets the share of that time
    // gone by (0 at once, then rising, exactly 1 on its last call), read
    // from the clock rather than counted in ticks, so frames that come late
    // are skipped and the effect is never stretched. It ends after the call
    // with 1 or when stop() is called.
    void startTimed(int intervalMs, int lengthMs, std::function<void(double)> frame);
    void runTimed(int intervalMs, int lengthMs, std::function<void(double)> frame);

    // Milliseconds since some fixed point; a steady clock unless a test sets one.
    std::function<qint64()> clock;

signals:
    void finished();

private:
    void tick();

    QTimer timer_;
    std::function<bool()> step_;
    bool running_ = false;
    bool inStep_ = false;
    unsigned generation_ = 0;  // tells a step's own effect from one started by it
};
