#pragma once
// Start-up and shutdown of the program. The application owns the settings in
// force and the shell state, builds the seven windows in their fixed order,
// hands each what it uses and connects what one window asks of another.
#include "MainWindowReading.h"
#include "Settings.h"
#include "ShellState.h"
#include "platform/MediaEngine.h"

#include <atomic>
#include <future>
#include <memory>
#include <optional>

class MediaLauncher;
class QApplication;
class SlideShow;

class Application {
public:
    // engines builds the media engine of the music and video windows; the
    // main window takes readAhead's reading when it holds one, else reads
    // the store itself.
    explicit Application(MediaEngineFactory engines = makeMediaBackend,
                         std::future<MainWindowReading> readAhead = {});
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // Chooses the X11 platform when none is forced: the program places its own windows.
    static void selectPlatform();
    // Sets the title, the program icon and the language of Qt's own dialogs.
    static void initialize(QApplication& app);
    // The whole program: initialise, create the windows, run the event loop.
    static int run(int argc, char** argv);

    // Creates the seven windows in their fixed order, each followed by its
    // creation handler; the main window is shown once its handler has run
    // and gets the stored playlist once all of them are built.
    void createWindows();
    // Destroys the windows (in reverse order of creation).
    void destroyWindows();
    // Loads the media engine's parts on a worker thread once the main window
    // has painted, so that the first launch is not slowed by them.
    void preloadMediaWhenIdle();

    ShellState& state() { return state_; }
    // The settings in force; the options follow the settings dialog.
    const Settings& settings() const { return settings_; }
    MediaLauncher* launcher() const { return launcher_.get(); }
    SlideShow* slideShow() const { return slideShow_.get(); }

private:
    void readMainWindow();
    void fillPlaylist();
    void countStartAndPlaceWindows();
    void writeAtClose();
    void connectWindows();
    void chooseListFont();
    void chooseListColor();
    void resetLook();
    // Everything but the playlist, which the close writes only when needed.
    Settings gathered() const;

    MediaEngineFactory engines_;
    std::future<MainWindowReading> readAhead_;
    ShellState state_;
    Settings settings_;
    PlaylistEntries storedEntries_;  // the stored playlist until the main window takes it
    // The playlist's revision when it held what the store held.
    std::optional<quint64> storedPlaylist_;
    std::unique_ptr<MediaLauncher> launcher_;
    std::unique_ptr<SlideShow> slideShow_;
    std::future<void> mediaPreload_;
    std::atomic_bool stopPreload_{false};
};
