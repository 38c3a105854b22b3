#include "TPlayerForm.h"

#include "windowing/Fonts.h"
#include "windowing/Rounding.h"

#include <limits>

TPlayerForm::TPlayerForm(const QString& name, const QString& caption, TColor barColor, TColor barBack,
                         const MediaEngineFactory& engines, QWidget* parent)
    : FramedWindow(parent),
      MediaPlayer1(new TMediaPlayer(client(), engines)),
      P1(new TabfProgressBar(client())),
      Lp(new TacHeader(client())),
      Timer1(new Timer(this, 1000, false))
{
    setObjectName(name);
    setCaption(caption);
    setBorderStyle(BorderStyle::Single);
    setBorderIcons({.systemMenu = true, .minimize = true, .maximize = false});
    setColor(clSeaGreen);
    client()->setFont(FontSpec().toQFont());
    setClientSize(194, 61);

    MediaPlayer1->setObjectName(QStringLiteral("MediaPlayer1"));
    MediaPlayer1->SetVisibleButtons({btPlay, btPause, btStop, btNext, btPrev, btStep, btBack});
    MediaPlayer1->SetAutoEnable(false);
    MediaPlayer1->SetEnabledButtons({btPlay, btPause, btStop, btNext, btPrev});
    MediaPlayer1->setGeometry(0, 0, 197, 20);
    MediaPlayer1->OnPostClick = [this](TMediaPlayer*, TMPBtnType) { MediaPlayer1PostClick(); };

    P1->setObjectName(QStringLiteral("P1"));
    P1->setGeometry(0, 24, 193, 9);
    P1->setBarColor(barColor);
    P1->setBackColor(barBack);
    P1->onMouseMove = [this](int x) { P1MouseMove(x); };
    P1->onMouseDown = [this] { P1MouseDown(); };

    Lp->setObjectName(QStringLiteral("Lp"));
    Lp->setGeometry(32, 40, 121, Lp->height());
    Lp->setGradient(clPurple, clTan);

    Timer1->onTimer = [this] { Timer1Timer(); };
}

void TPlayerForm::startProgress(int lengthMs)
{
    Timer1->setEnabled(true);
    P1->setPosition(0);
    P1->setMax(lengthMs);
}

void TPlayerForm::stopProgress() { Timer1->setEnabled(false); }

void TPlayerForm::stopPlayback()
{
    if (MediaPlayer1->DeviceOpen())
        MediaPlayer1->StopPlay();
}

QString TPlayerForm::readOut(int positionMs, int lengthMs)
{
    return QString::number(roundInt(positionMs / 1000.0)) + QStringLiteral(" / ") +
           QString::number(roundInt(lengthMs / 1000.0));
}

std::int64_t TPlayerForm::seekPosition(std::int32_t maximum, int x)
{
    return roundHalfEven(double(maximum) / kSeekColumns * x);
}

void TPlayerForm::Timer1Timer()
{
    // After a failed open the player has no device; the window waits for the
    // next good file instead of reporting the same failure every second.
    if (!MediaPlayer1->DeviceOpen())
        return;
    P1->setPosition(MediaPlayer1->QueryPosition());
    Lp->setCaption(readOut(MediaPlayer1->QueryPosition(), MediaPlayer1->QueryLength()));
    // At the end the player rewinds before it plays: the file loops.
    if (P1->position() == P1->max())
        MediaPlayer1->StartPlay();
}

void TPlayerForm::P1MouseMove(int x) { lastX_ = x; }

void TPlayerForm::P1MouseDown()
{
    const std::int64_t wanted = seekPosition(P1->max(), lastX_);
    P1->setPosition(static_cast<std::int32_t>(std::clamp<std::int64_t>(
        wanted, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max())));
    MediaPlayer1->SeekTo(P1->position());
    MediaPlayer1->StartPlay();
}

void TPlayerForm::MediaPlayer1PostClick()
{
    if (MediaPlayer1->QueryMode() == pmStopped)
        MediaPlayer1->SeekTo(0);
}
