#pragma once
// The playlist: an ordered list of text entries (normally full file paths)
// with at most one selected. It is the model behind the main window's list.
#include "app/PlaylistEntries.h"

#include <QAbstractListModel>
#include <QByteArray>
#include <QString>
#include <QStringList>

class Playlist : public QAbstractListModel {
    Q_OBJECT
public:
    explicit Playlist(QObject* parent = nullptr);

    int count() const;
    QString at(int index) const;  // raises EListError "List index out of bounds (%d)"
    // The first kMaxDrawnEntryChars characters of the text after the entry's
    // last "/", read without converting the rest of a long entry; raises as
    // at() does.
    QString fileNameAt(int index) const;
    QStringList entries() const;

    int selectedIndex() const { return selected_; }  // -1 when none
    void setSelectedIndex(int index);                 // -1 clears; out of range raises EListError

    void append(const QString& entry);
    void append(const QStringList& entries);
    void clear();
    void setEntries(const QStringList& entries);  // replaces all; selection lost
    void setEntries(PlaylistEntries entries);
    void deleteSelected();                         // keeps the selection near the removed entry
    // Grows with every change of the entries: equal revisions, equal entries.
    quint64 revision() const { return revision_; }

    // The stored form: every entry followed by CR LF, in UTF-8.
    QByteArray utf8Text() const { return entries_.encoded(); }

    // Playlist files. load takes the entries readPlaylistFile reads, false
    // when the list was cut; what that raises leaves the playlist unchanged.
    // save replaces the file atomically and raises EFCreateError("Cannot
    // create file %s"), leaving any old file intact.
    bool loadFromFile(const QString& path);
    void saveToFile(const QString& path) const;

    // The display text of an entry longer than the list can draw is only
    // what its elision keeps (PlaylistEntries::shownAt); the edit text is
    // the entry whole.
    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

signals:
    void selectionChanged(int index);

private:
    void checkIndex(int index) const;  // raises EListError for one out of range

    PlaylistEntries entries_;
    int selected_ = -1;
    quint64 revision_ = 0;
};

// The name a playlist is saved under: ".qx" is appended to the name chosen,
// whatever it already ends with.
QString playlistSaveName(const QString& chosen);

// What the list draws of an entry: no more characters than any row can show,
// taken from the side its elision keeps. Laying out megabytes of text on every
// repaint would freeze the window; the entry itself stays whole.
inline constexpr qsizetype kMaxDrawnEntryChars = 4096;
QString entryDrawnText(const QString& entry, Qt::TextElideMode elision);
