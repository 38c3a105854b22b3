#include "MainWindowReading.h"

#include "PlaylistText.h"
#include "platform/TRegistry.h"

#include <utility>

namespace {

MainWindowReading readSplitting(std::launch splitting)
{
    MainWindowReading r;
    TRegistry reg;
    r.settings = SettingsStore::load(reg, r.failure);
    r.damagedStoreMovedTo = reg.DamagedStoreMovedTo();
    r.playlist = std::async(splitting, [text = std::exchange(r.settings.playlist, QByteArray())] {
        return PlaylistText::splitUtf8(text);
    });
    return r;
}

}  // namespace

MainWindowReading MainWindowReading::read()
{
    return readSplitting(std::launch::deferred);
}

std::future<MainWindowReading> MainWindowReading::readAhead()
{
    return std::async(std::launch::async, readSplitting, std::launch::async);
}
