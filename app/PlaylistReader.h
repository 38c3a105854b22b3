#pragma once
// Reads the entries of a playlist file. Our own playlists are plain text, one
// entry a line; lists written by other players (M3U, M3U8, PLS) are read too,
// their entries turned into paths the launcher can open.
#include <QByteArray>
#include <QString>
#include <QStringList>

#include <memory>

class PlaylistReader {
public:
    virtual ~PlaylistReader() = default;

    // bytes: the whole file; folder: the folder the list lies in, against
    // which relative entries are resolved.
    virtual QStringList read(const QByteArray& bytes, const QString& folder) const = 0;

    // The reader for a file, chosen by its extension (any case); every
    // other name is read as our own playlist text.
    static std::unique_ptr<PlaylistReader> forFile(const QString& path);

protected:
    // Text lines of a foreign list: UTF-8 when the bytes are valid UTF-8,
    // otherwise Windows-1251; a leading byte-order mark dropped; each line
    // trimmed of surrounding blanks.
    static QStringList textLines(const QByteArray& bytes);

    // An entry as the launcher wants it: a file:// URI decoded to its path,
    // a relative path (with "/" or "\" between its parts) made absolute
    // against the list's folder; other URIs and absolute paths unchanged.
    static QString resolveEntry(const QString& entry, const QString& folder);
};

// Our own playlist text (one entry a line, kept exactly as written).
class QxPlaylistReader : public PlaylistReader {
public:
    QStringList read(const QByteArray& bytes, const QString& folder) const override;
};
