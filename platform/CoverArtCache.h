#pragma once
// Puts the playing file's embedded cover picture where the desktop's media
// controls can read it: one file in a folder of the program's own under the
// user's cache folder. A new cover replaces the file of the last one, and the
// cache removes its file when it is destroyed; the first cover written also
// removes those of programs that ended without removing theirs. The folder
// so holds no more than one cover per running program.
#include <QByteArray>
#include <QString>

class CoverArtCache {
public:
    // cacheRoot: the user's cache folder; the covers go to
    // <cacheRoot>/kaleidor/covers.
    explicit CoverArtCache(QString cacheRoot = defaultRoot());
    ~CoverArtCache();
    CoverArtCache(const CoverArtCache&) = delete;
    CoverArtCache& operator=(const CoverArtCache&) = delete;

    static QString defaultRoot();

    // The file:// URL of a file holding cover, a picture in the format
    // suffix names; empty for no cover, and when the folder is not the
    // program's own (a symbolic link, another user's) or the file cannot be
    // written.
    QString urlFor(const QByteArray& cover, const QString& suffix);

private:
    int openFolder() const;
    void removeFile();

    QString cacheRoot_;
    QByteArray cover_;  // what the file holds
    QString suffix_;
    QString fileName_;  // inside the covers folder; empty when there is none
    QString url_;
    bool leftoversRemoved_ = false;
};
