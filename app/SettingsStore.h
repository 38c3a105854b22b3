#pragma once
// Reading the settings at start-up and writing them at close.
namespace SettingsStore {

// The main window's reading while it is created: playlist look, size,
// playlist, options, font, delay text and its place; then the "L_P" rule and
// the slide-show delay.
void readMainWindow();

// The video window's start-up work: count the start, greet a first start and
// restore the other windows' places.
void countStartAndPlaceWindows();

// Everything, written when the main window closes. Raises on failure, and the
// main window then stays open.
void writeAtClose();

}  // namespace SettingsStore
