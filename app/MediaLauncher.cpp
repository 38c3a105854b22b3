#include "MediaLauncher.h"

#include "Playlist.h"

#include <QFileDialog>

MediaLauncher::MediaLauncher(Playlist* playlist, QFileDialog* dialog) : playlist_(playlist), dialog_(dialog) {}

void MediaLauncher::openFile()
{
    if (!dialog_ || dialog_->exec() != QDialog::Accepted)
        return;
    const QStringList chosen = dialog_->selectedFiles();
    if (!chosen.isEmpty())
        launch(chosen.first());
}

void MediaLauncher::runSelected()
{
    if (playlist_->selectedIndex() < 0 && playlist_->count() > 0)
        playlist_->setSelectedIndex(0);
    launch(playlist_->at(playlist_->selectedIndex()));
}

void MediaLauncher::launch(const QString& file) { (void)file; }
