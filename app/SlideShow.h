#pragma once
// The slide show: steps through the playlist on the main window's timer and
// shows its pictures. The menu items that start and stop it carry its state
// in their captions.
#include <QList>
#include <QPointer>

class MediaLauncher;
class Playlist;
class QAction;
class Timer;
struct ShellState;

class SlideShow {
public:
    static constexpr int kFirstStepMs = 100;

    // The timer interval for a delay in whole seconds: never more than a
    // timer can hold, and 0 (no further step) for a delay of 0 or less.
    static int delayInterval(int seconds);

    // Steps through playlist, showing its pictures with launcher; keeps its
    // on/off state and reads the delay in state.
    SlideShow(ShellState& state, Playlist& playlist, MediaLauncher& launcher, Timer& timer,
              QList<QAction*> toggleItems);

    // Starts when off, stops when on.
    void toggle();
    // Stops from outside (the screen window closing).
    void stop();
    // One tick of the timer.
    void step();

private:
    void showState();

    ShellState& state_;
    Playlist& playlist_;
    MediaLauncher& launcher_;
    Timer& timer_;
    QList<QPointer<QAction>> items_;
    bool showing_ = false;  // a step is loading or reporting a picture
};
