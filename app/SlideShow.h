#pragma once
// The slide show: steps through the playlist on the main window's timer and
// shows its pictures. The menu items that start and stop it carry its state
// in their captions.
#include <QList>
#include <QPointer>

class QAction;
class Timer;

class SlideShow {
public:
    static constexpr int kFirstStepMs = 100;

    SlideShow(Timer* timer, QList<QAction*> toggleItems);

    // Starts when off, stops when on.
    void toggle();
    // Stops from outside (the screen window closing).
    void stop();
    // One tick of the timer.
    void step();

private:
    void showState();

    Timer* timer_;
    QList<QPointer<QAction>> items_;
};
