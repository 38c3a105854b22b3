#pragma once
// PLS lists: "FileN=" keys of the [playlist] section, in the order of N;
// titles, lengths and other keys are ignored.
#include "PlaylistReader.h"

class PlsPlaylistReader : public PlaylistReader {
protected:
    void collect(const QByteArray& bytes, const QString& folder, PlaylistRead& out) const override;
};
