#pragma once
// Process-wide state kept by the shell between its windows. The application
// owns the one object and hands it to the windows and helpers that use it;
// the media windows see their part only.
#include "media/MediaShared.h"

struct ShellState : MediaState {
    int StartCount = 0;          // stored start count before this start
    bool LoadLastPlaylist = false;
    int SlideDelay = 0;          // whole seconds
    bool SlideShowActive = false;
};
