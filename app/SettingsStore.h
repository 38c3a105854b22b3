#pragma once
// Reading the settings at start-up and writing them at close, between the
// store and a Settings value; the windows never meet the store.
#include "Settings.h"

#include <QByteArray>
#include <QString>

#include <functional>

class TRegistry;

namespace SettingsStore {

// A reading reads each value on its own: a missing value keeps its design
// value silently; a value of the wrong type keeps it too, and the first such
// message is kept for the caller to show once the reading is over. A run that
// ended without closing the main window must not cost the user every later
// setting.
struct ReadFailure {
    QString message;  // empty when every value read
    void keep(const QString& text)
    {
        if (message.isEmpty())
            message = text;
    }
};

// The main window's values, in the store's order, then its place. Closes
// the key.
Settings load(TRegistry& reg, ReadFailure& failure);

struct StartCount {
    int before = 0;     // the stored count before this start
    bool first = false; // the count now stored is 1
};
// Counts the start in reg under the store's lock, creating the key when
// absent, and commits it; a counter of another type is not counted. A
// counter that cannot be read or written is kept in failure. Closes the key.
StartCount countStart(TRegistry& reg, ReadFailure& failure);

// The other windows' places (music, screen, settings dialog, video,
// thumbnails, in this order), when the position key exists. Closes the key.
void loadPlaces(TRegistry& reg, Settings& settings, ReadFailure& failure);

// Every value in the store's order; raises on the first that cannot be
// written, and then nothing is committed. With unchangedPlaylist given, the
// playlist is the one this process read from the store: it is left as the
// store holds it while the store is unchanged, and otherwise written from
// unchangedPlaylist()'s text instead of settings.playlist.
// The settings are taken by value so that a playlist of megabytes is handed
// to the store without a copy.
void save(TRegistry& reg, Settings settings, const std::function<QByteArray()>& unchangedPlaylist = {});

}  // namespace SettingsStore
