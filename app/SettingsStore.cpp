#include "SettingsStore.h"

#include "ShellState.h"

ShellState Shell;

namespace SettingsStore {

void readMainWindow() {}

void countStartAndPlaceWindows() {}

void writeAtClose() {}

}  // namespace SettingsStore
