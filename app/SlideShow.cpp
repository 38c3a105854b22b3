#include "SlideShow.h"

#include "MediaLauncher.h"
#include "Playlist.h"
#include "ShellState.h"
#include "windowing/Timer.h"

#include <QAction>

#include <algorithm>
#include <cstdint>
#include <limits>

SlideShow::SlideShow(ShellState& state, Playlist& playlist, MediaLauncher& launcher, Timer& timer,
                     QList<QAction*> toggleItems)
    : state_(state), playlist_(playlist), launcher_(launcher), timer_(timer)
{
    for (QAction* item : toggleItems)
        items_.append(item);
}

void SlideShow::toggle()
{
    state_.SlideShowActive = !state_.SlideShowActive;
    if (state_.SlideShowActive) {
        // The first step comes 100 ms after the start; the delay counts from the first picture.
        timer_.setInterval(kFirstStepMs);
        timer_.setEnabled(true);
    } else {
        timer_.setEnabled(false);
    }
    showState();
}

void SlideShow::stop()
{
    timer_.setEnabled(false);
    state_.SlideShowActive = false;
    showState();
}

int SlideShow::delayInterval(int seconds)
{
    const std::int64_t ms = std::int64_t(seconds) * 1000;
    return int(std::clamp<std::int64_t>(ms, 0, std::numeric_limits<int>::max()));
}

void SlideShow::step()
{
    // The picture error dialog runs its own event loop; ticks that come
    // meanwhile would pile up dialogs on top of it.
    if (showing_)
        return;
    if (playlist_.count() == 0) {
        stop();
        return;
    }
    const int selected = playlist_.selectedIndex();
    const int next = selected == playlist_.count() - 1 ? 0 : selected + 1;
    playlist_.setSelectedIndex(next);
    const QString file = playlist_.at(next);
    if (mediaKindOf(file) != MediaKind::Picture)
        return;
    showing_ = true;
    bool shown = false;
    try {
        shown = launcher_.showPicture(file);
    } catch (...) {
        showing_ = false;
        throw;
    }
    showing_ = false;
    if (shown && state_.SlideShowActive) {
        // Only a changed interval restarts the countdown: the rhythm stays one step per delay.
        timer_.setInterval(delayInterval(state_.SlideDelay));
        timer_.setEnabled(true);
    }
}

void SlideShow::showState()
{
    const QString caption =
        state_.SlideShowActive ? QStringLiteral("Остановить слайд-шоу") : QStringLiteral("Запустить слайд-шоу");
    for (const QPointer<QAction>& item : items_)
        if (item)
            item->setText(caption);
}
