#include "MainWindowReading.h"

#include "platform/TRegistry.h"

#include <utility>

MainWindowReading MainWindowReading::read()
{
    MainWindowReading r;
    TRegistry reg;
    r.settings = SettingsStore::load(reg, r.failure);
    r.damagedStoreMovedTo = reg.DamagedStoreMovedTo();
    r.playlist = PlaylistEntries::fromUtf8Lines(std::exchange(r.settings.playlist, QByteArray()));
    return r;
}

std::future<MainWindowReading> MainWindowReading::readAhead()
{
    return std::async(std::launch::async, &MainWindowReading::read);
}
