#pragma once
// Process-wide state kept by the shell between its windows.
struct ShellState {
    int StartCount = 0;          // stored start count before this start
    bool LoadLastPlaylist = false;
    int SlideDelay = 0;          // whole seconds
    bool SlideShowActive = false;
    // Stored options as read at start-up, held for the settings dialog.
    bool StoredShrinkPictures = true;  // "Lit_p"
    bool StoredLoadLastPlaylist = true;  // "L_P"; unlike LoadLastPlaylist, true when nothing was read
    bool StoredTrayIcon = true;        // "IC_S"
    bool StoredWheelResize = true;     // "K_R"
};

extern ShellState Shell;
