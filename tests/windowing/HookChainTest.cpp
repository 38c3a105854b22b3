// The hook chain of a framed window: order, handled events, hooks leaving
// during an event, a new native window, and the always-on-top state the hooks
// are told about.
#include "TestSupport.h"
#include "platform/Errors.h"
#include "platform/WindowStacking.h"
#include "windowing/EffectStepper.h"
#include "windowing/TacFormHookComponent.h"
#include "windowing/TcbFormHookComponent.h"

#include <QCoreApplication>
#include <QTimer>
#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

const QEvent::Type kProbe = QEvent::Type(QEvent::User + 7);

struct Window : FramedWindow {
    QStringList* log = nullptr;
    void recreateNativeWindow()
    {
        destroy();
        create();
    }
    void customEvent(QEvent* e) override
    {
        if (e->type() == kProbe)
            *log << QStringLiteral("window");
    }
};

struct Recorder : TacFormHookComponent {
    Recorder(FramedWindow* w, QString name, QStringList& log) : TacFormHookComponent(w), name(std::move(name)), log(log) {}
    bool eventBefore(QEvent* e) override
    {
        if (e->type() == kProbe || e->type() == TopmostChangedEvent::eventType()) {
            log << name + QStringLiteral(" before");
            if (onBefore)
                onBefore();
            return handles;
        }
        return false;
    }
    void eventAfter(QEvent* e) override
    {
        if (e->type() == kProbe)
            log << name + QStringLiteral(" after");
        if (e->type() == TopmostChangedEvent::eventType())
            log << name + QStringLiteral(" topmost ") + (static_cast<TopmostChangedEvent*>(e)->topmost() ? "on" : "off");
    }
    void windowRecreated() override { log << name + QStringLiteral(" recreated"); }
    QString name;
    QStringList& log;
    bool handles = false;
    std::function<void()> onBefore;
};

struct FakeStacking : WindowStacking {
    QList<bool> requests;
    void setAbove(QWidget*, bool above) override { requests << above; }
    std::optional<bool> reportedAbove(QWidget*) const override { return std::nullopt; }
};

void probe(QWidget& w)
{
    QEvent e(kProbe);
    QCoreApplication::sendEvent(&w, &e);
}

TEST(HookChain, LaterHooksSeeEventsFirstAndAHandledEventStopsThere)
{
    QStringList log;
    Window w;
    w.log = &log;
    auto* a = new Recorder(&w, "A", log);
    auto* b = new Recorder(&w, "B", log);
    probe(w);
    EXPECT_EQ(log, (QStringList{"B before", "A before", "window", "A after", "B after"}));

    log.clear();
    b->handles = true;
    probe(w);
    EXPECT_EQ(log, (QStringList{"B before", "B after"}));

    // A hook that goes away during an event is not called afterwards.
    log.clear();
    b->handles = false;
    b->onBefore = [&] { delete a; };
    probe(w);
    EXPECT_EQ(log, (QStringList{"B before", "window", "B after"}));
}

TEST(HookChain, HooksOutliveANewNativeWindowAndTheWindowOutlivesItsHooks)
{
    QStringList log;
    auto w = std::make_unique<Window>();
    w->log = &log;
    FakeStacking stacking;
    w->setStacking(&stacking);
    auto* a = new Recorder(w.get(), "A", log);
    w->show();
    w->setTopmost(true);
    log.clear();
    stacking.requests.clear();
    w->recreateNativeWindow();
    probe(*w);
    EXPECT_EQ(log, (QStringList{"A recreated", "A before", "window", "A after"}));
    EXPECT_EQ(stacking.requests, QList<bool>{true});  // the new native window is kept above too
    EXPECT_EQ(a->form(), w.get());

    // Destroyed with the window: nothing dangles.
    QPointer<Recorder> gone(a);
    w.reset();
    EXPECT_TRUE(gone.isNull());
}

TEST(HookChain, TopmostChangesAreToldOnceAndKeptOverHiding)
{
    QStringList log;
    Window w;
    w.log = &log;
    FakeStacking stacking;
    w.setStacking(&stacking);
    auto* a = new Recorder(&w, "A", log);
    w.show();
    a->setFormTopmost(true);
    a->setFormTopmost(true);  // unchanged: no notice, no request
    EXPECT_TRUE(a->formTopmost());
    EXPECT_EQ(log, (QStringList{"A before", "A topmost on"}));
    EXPECT_EQ(stacking.requests, QList<bool>{true});
    w.hide();
    w.show();
    EXPECT_EQ(stacking.requests, (QList<bool>{true, true}));
    w.setTopmost(false);
    EXPECT_EQ(log.last(), QStringLiteral("A topmost off"));
    EXPECT_EQ(stacking.requests.last(), false);
}

TEST(HookChain, ComponentsRefuseAnOwnerThatIsNotAWindow)
{
    QObject notAWindow;
    for (auto make : {std::function<void()>([&] { TacFormHookComponent c(&notAWindow); }),
                      std::function<void()>([&] { TcbFormHookComponent c(&notAWindow); })}) {
        try {
            make();
            ADD_FAILURE() << "accepted a plain object";
        } catch (const EInvalidOperation& e) {
            EXPECT_EQ(e.message(), QStringLiteral("Owner must be TWinControl or its successor!"));
        }
    }
}

TEST(EffectStepper, StepsOnATimerWhileEventsGoOnAndTheWaitEndsWithTheSteps)
{
    EffectStepper stepper;
    int steps = 0, ticks = 0;
    QTimer other;
    QObject::connect(&other, &QTimer::timeout, [&] { ++ticks; });
    other.start(1);
    stepper.run(10, [&] { return ++steps < 5; });
    EXPECT_EQ(steps, 5);
    EXPECT_FALSE(stepper.isRunning());
    EXPECT_GT(ticks, 0);

    // A step that throws ends the effect; the error goes to the error box.
    ModalWatcher boxes;
    stepper.run(1, [&]() -> bool { throw EInvalidOperation(QStringLiteral("broken step")); });
    EXPECT_FALSE(stepper.isRunning());
    ASSERT_EQ(boxes.seen().size(), 1);
    EXPECT_TRUE(boxes.seen()[0].text.startsWith(QStringLiteral("broken step")));
}

TEST(EffectStepper, ATimedEffectSkipsLateFramesAndEndsOnTime)
{
    const struct {
        int length;
        qint64 frameCost;  // clock time each frame takes
        std::vector<double> shares;
    } cases[] = {
        {100, 45, {0, 0.45, 0.9, 1}},
        {100, 300, {0, 1}},  // one slow frame: the next is the last
        {0, 0, {1}},         // no time: the end at once
        {-5, 10, {1}},
    };
    for (const auto& c : cases) {
        EffectStepper stepper;
        qint64 now = 1000;
        stepper.clock = [&] { return now; };
        std::vector<double> shares;
        stepper.runTimed(1, c.length, [&](double share) {
            shares.push_back(share);
            now += c.frameCost;
        });
        EXPECT_EQ(shares, c.shares) << c.length << " " << c.frameCost;
        EXPECT_FALSE(stepper.isRunning());
    }
}

TEST(EffectStepper, AWaitEndsWhenTheStepperGoesAway)
{
    auto* owner = new QObject;
    auto* stepper = new EffectStepper(owner);
    QTimer::singleShot(20, owner, [owner] { owner->deleteLater(); });
    QPointer<EffectStepper> alive(stepper);
    stepper->run(5, [] { return true; });
    EXPECT_TRUE(alive.isNull());
}

}  // namespace
