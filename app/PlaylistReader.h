#pragma once
// Reads the entries of a playlist file. Our own playlists are plain text, one
// entry a line; lists written by other players (M3U, M3U8, PLS) are read too,
// their entries turned into paths the launcher can open.
#include "PlaylistEntries.h"
#include "PlaylistText.h"

#include <QByteArray>
#include <QString>

#include <memory>

// What one load takes at most. A path is never longer than a few thousand
// bytes, so a longer line is no entry; and a million entries are far more
// than anyone plays, while a file of gigabytes would hold the program's
// memory and the list for minutes.
struct PlaylistLimits {
    qsizetype lineBytes = 32 * 1024;
    qsizetype entries = 1'000'000;
    qsizetype fileBytes = 64 * 1024 * 1024;
};

// The entries of one load; cut when the list held more than the limits let
// it take, the entries then being those that came first.
struct PlaylistRead {
    PlaylistEntries entries;
    bool cut = false;
    qsizetype maxEntries = PlaylistLimits().entries;

    // Appends entry; false (and cut) when the list is full.
    bool add(const QString& entry);
};

class PlaylistReader {
public:
    virtual ~PlaylistReader() = default;

    // bytes: the whole file; folder: the folder the list lies in, against
    // which relative entries are resolved. The text ends at its first NUL.
    PlaylistRead read(const QByteArray& bytes, const QString& folder, const PlaylistLimits& limits = {}) const;

    // The reader for a file, chosen by its extension (any case); every
    // other name is read as our own playlist text.
    static std::unique_ptr<PlaylistReader> forFile(const QString& path);

    // Whether a file of that name is a playlist rather than a media file:
    // our own ".qx" and the foreign lists.
    static bool isPlaylistFile(const QString& path);

protected:
    virtual void collect(const QByteArray& bytes, const QString& folder, PlaylistRead& out) const = 0;

    // The text lines of a foreign list, one at a time: UTF-8 when the bytes
    // are valid UTF-8, otherwise Windows-1251; a leading byte-order mark
    // dropped; each line trimmed of surrounding blanks.
    class TextLines {
    public:
        explicit TextLines(const QByteArray& bytes);
        bool next(QString& line);  // false after the last line

    private:
        QByteArray text_;
        PlaylistText::Lines lines_;
    };

    // An entry as the launcher wants it: a file:// URI decoded to its path,
    // a relative path (with "/" or "\" between its parts) made absolute
    // against the list's folder; other URIs and absolute paths unchanged.
    static QString resolveEntry(const QString& entry, const QString& folder);
};

// Our own playlist text (one entry a line, kept exactly as written).
class QxPlaylistReader : public PlaylistReader {
protected:
    void collect(const QByteArray& bytes, const QString& folder, PlaylistRead& out) const override;
};

// Reads a playlist file whole and takes its entries, within limits. Safe on
// any thread. Raises EFOpenError: "Cannot open file %s" when the file cannot
// be read, a refusal naming the line when a line is too long to be an entry.
PlaylistRead readPlaylistFile(const QString& path, const PlaylistLimits& limits = {});

// What the user is told after a load that was cut.
QString playlistCutMessage(const QString& path, qsizetype entries);
