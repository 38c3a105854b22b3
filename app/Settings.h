#pragma once
// The settings as one value: what the store keeps between runs. A fresh
// value holds the design values of the windows, which stay in force for
// everything the store does not hold.
#include "windowing/Colors.h"
#include "windowing/Fonts.h"

#include <QString>

#include <optional>

// The switches of the settings dialog that other parts read.
struct Options {
    bool shrinkPictures = true;    // "Lit_p"
    bool loadLastPlaylist = true;  // "L_P"
    bool trayIcon = true;          // "IC_S"
    bool wheelResize = true;       // "K_R"
    bool operator==(const Options&) const = default;
};

// A window's stored left and top edges; a part never stored keeps the
// window where it is.
struct StoredPlace {
    std::optional<int> left;
    std::optional<int> top;
    bool operator==(const StoredPlace&) const = default;
};

struct Settings {
    TColor listColor = clSilver;  // "Fon"
    int width = 480;              // "F1_w", the main window's outer width
    int height = 267;             // "F1_h"
    QByteArray playlist;          // "Playlist", its text in UTF-8
    Options options;
    FontSpec listFont = designListFont();
    QString delayText = QStringLiteral("1");  // "Z"
    StoredPlace main, music, screen, settingsDialog, video, thumbnails;

    static FontSpec designListFont()
    {
        return fontSpec(QStringLiteral("Courier New"), -13, fsBold | fsItalic, clWindowText, 204);
    }
    bool operator==(const Settings&) const = default;
};
