#include "MainWindowReading.h"

#include "PlaylistText.h"
#include "platform/TRegistry.h"

MainWindowReading MainWindowReading::read()
{
    MainWindowReading r;
    TRegistry reg;
    r.settings = SettingsStore::load(reg, r.failure);
    r.damagedStoreMovedTo = reg.DamagedStoreMovedTo();
    r.playlist = PlaylistText::splitUtf8(r.settings.playlist);
    r.settings.playlist = QByteArray();
    return r;
}

std::future<MainWindowReading> MainWindowReading::readAhead()
{
    return std::async(std::launch::async, &MainWindowReading::read);
}
