#include "SlideShow.h"

#include "ShellState.h"
#include "windowing/Timer.h"

#include <QAction>

SlideShow::SlideShow(Timer* timer, QList<QAction*> toggleItems) : timer_(timer)
{
    for (QAction* item : toggleItems)
        items_.append(item);
}

void SlideShow::toggle()
{
    Shell.SlideShowActive = !Shell.SlideShowActive;
    if (Shell.SlideShowActive) {
        // The first step comes 100 ms after the start; the delay counts from the first picture.
        timer_->setInterval(kFirstStepMs);
        timer_->setEnabled(true);
    } else {
        timer_->setEnabled(false);
    }
    showState();
}

void SlideShow::stop()
{
    timer_->setEnabled(false);
    Shell.SlideShowActive = false;
    showState();
}

void SlideShow::step() {}

void SlideShow::showState()
{
    const QString caption =
        Shell.SlideShowActive ? QStringLiteral("Остановить слайд-шоу") : QStringLiteral("Запустить слайд-шоу");
    for (const QPointer<QAction>& item : items_)
        if (item)
            item->setText(caption);
}
