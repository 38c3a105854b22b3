#pragma once
// M3U and M3U8 lists: one entry a line; blank lines, comments and the
// extended "#EXT" lines are skipped.
#include "PlaylistReader.h"

class M3uPlaylistReader : public PlaylistReader {
protected:
    void collect(const QByteArray& bytes, const QString& folder, PlaylistRead& out) const override;
};
