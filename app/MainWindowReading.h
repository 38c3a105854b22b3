#pragma once
// What the main window's creation takes from the store: its settings, the
// playlist split into entries, and what went wrong on the way. Reading and
// splitting a store of megabytes takes a while, so a start can have it done
// on worker threads while the application itself comes up.
#include "Settings.h"
#include "SettingsStore.h"

#include <QString>
#include <QStringList>

#include <future>

struct MainWindowReading {
    Settings settings;  // its playlist text is left empty
    // The stored playlist's entries. Splitting them takes longest, so the
    // settings are ready before them.
    std::future<QStringList> playlist;
    SettingsStore::ReadFailure failure;
    QString damagedStoreMovedTo;  // empty unless the reading moved a damaged store aside

    // Reads the user's store now; the playlist is split when it is asked for.
    static MainWindowReading read();
    // The reading on a worker thread, the playlist split on another one; the
    // futures raise what the reading and the splitting raised.
    static std::future<MainWindowReading> readAhead();
};
