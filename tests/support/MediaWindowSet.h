#pragma once
// The three media windows and a launcher over them, without the main window
// or the settings dialog: the options and the shell state are plain values
// the test sets. The design references Form2, Form3 and Form8 point at them
// while the set lives (the screen and video windows reach each other there).
#include "app/MediaLauncher.h"
#include "app/Playlist.h"
#include "app/Settings.h"
#include "app/ShellState.h"
#include "media/TForm2.h"
#include "media/TForm3.h"
#include "media/TForm8.h"
#include "platform/MediaEngine.h"

#include <memory>

struct MediaWindowSet {
    explicit MediaWindowSet(const MediaEngineFactory& engines = makeMediaBackend)
    {
        Form2 = new TForm2(engines);
        Form3 = new TForm3(state);
        Form8 = new TForm8(engines);
        launcher = std::make_unique<MediaLauncher>(&playlist, nullptr, MediaWindows{*Form2, *Form3, *Form8},
                                                   options, state);
    }
    ~MediaWindowSet()
    {
        launcher.reset();
        delete Form8;
        Form8 = nullptr;
        delete Form3;
        Form3 = nullptr;
        delete Form2;
        Form2 = nullptr;
    }
    MediaWindowSet(const MediaWindowSet&) = delete;
    MediaWindowSet& operator=(const MediaWindowSet&) = delete;

    ShellState state;
    Options options;
    Playlist playlist;
    std::unique_ptr<MediaLauncher> launcher;
};
