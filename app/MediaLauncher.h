#pragma once
// Sends a file to the window that shows or plays it, by the file's extension.
#include <QPointer>
#include <QString>

class Playlist;
class QFileDialog;

class MediaLauncher {
public:
    // dialog is the main window's media file dialog, shared with the add command.
    MediaLauncher(Playlist* playlist, QFileDialog* dialog);

    // Asks for a file and launches the first one chosen.
    void openFile();
    // Launches the selected entry, selecting the first when none is; raises
    // EListError on an empty playlist.
    void runSelected();
    void launch(const QString& file);

private:
    Playlist* playlist_;
    QPointer<QFileDialog> dialog_;
};
