#pragma once
// Start-up and shutdown of the program.
class QApplication;

namespace Application {

// Chooses the X11 platform when none is forced: the program places its own windows.
void selectPlatform();

// Sets the title and the program icon.
void initialize(QApplication& app);

// Creates the seven windows in their fixed order, each followed by its
// creation handler; the main window is shown once its handler has run.
void createWindows();

// Destroys the windows (in reverse order of creation).
void destroyWindows();

// The whole program: initialise, create the windows, run the event loop.
int run(int argc, char** argv);

}  // namespace Application
