#pragma once
// What the main window's creation takes from the store: its settings, the
// playlist split into entries, and what went wrong on the way. Reading a
// store of megabytes takes a while, so a start can have it done on a worker
// thread while the application itself comes up.
#include "PlaylistEntries.h"
#include "Settings.h"
#include "SettingsStore.h"

#include <QString>

#include <future>

struct MainWindowReading {
    Settings settings;  // its playlist text is left empty
    PlaylistEntries playlist;
    SettingsStore::ReadFailure failure;
    QString damagedStoreMovedTo;  // empty unless the reading moved a damaged store aside

    // Reads the user's store now.
    static MainWindowReading read();
    // read() on a worker thread; the future raises what read() raised.
    static std::future<MainWindowReading> readAhead();
};
