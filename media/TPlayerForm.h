#pragma once
// The music and video windows are twins: a player bar, a seek bar and a
// read-out of position and length in seconds, kept current by a timer.
#include "media/TMediaPlayer.h"
#include "styled/TabfProgressBar.h"
#include "styled/TacHeader.h"
#include "windowing/FramedWindow.h"
#include "windowing/Timer.h"

class TPlayerForm : public FramedWindow {
    Q_OBJECT
public:
    // Pixel columns of the seek bar after the first; maps the last one to the maximum.
    static constexpr int kSeekColumns = 192;

    TPlayerForm(const QString& name, const QString& caption, TColor barColor, TColor barBack,
                const MediaEngineFactory& engines, QWidget* parent);

    // What the launcher drives: the player, the progress of a file of a
    // length, and stopping what plays.
    TMediaPlayer& player() { return *MediaPlayer1; }
    void startProgress(int lengthMs);
    void stopProgress();
    // A file that failed to open left nothing to stop.
    void stopPlayback();

    TMediaPlayer* MediaPlayer1;
    TabfProgressBar* P1;
    TacHeader* Lp;
    Timer* Timer1;

    void Timer1Timer();
    void P1MouseMove(int x);
    void P1MouseDown();
    void MediaPlayer1PostClick();

    int lastPointerX() const { return lastX_; }

    // The read-out of a position and a length in milliseconds.
    static QString readOut(int positionMs, int lengthMs);
    // The position a press on the seek bar chooses for the stored pointer x.
    static std::int64_t seekPosition(std::int32_t maximum, int x);

private:
    int lastX_ = 0;
};
