#include "Playlist.h"

#include "PlaylistReader.h"
#include "platform/Errors.h"

#include <QSaveFile>

#include <climits>
#include <unistd.h>

Playlist::Playlist(QObject* parent) : QAbstractListModel(parent) {}

int Playlist::count() const
{
    return static_cast<int>(entries_.size());
}

void Playlist::checkIndex(int index) const
{
    if (index < 0 || index >= count())
        throw EListError(Exception::format(QStringLiteral("List index out of bounds (%d)"), index));
}

QString Playlist::at(int index) const
{
    checkIndex(index);
    return entries_.at(index);
}

QString Playlist::fileNameAt(int index) const
{
    checkIndex(index);
    return entries_.fileNameAt(index, kMaxDrawnEntryChars);
}

QStringList Playlist::entries() const
{
    return entries_.toStringList();
}

void Playlist::setSelectedIndex(int index)
{
    if (index < -1 || index >= count())
        throw EListError(Exception::format(QStringLiteral("List index out of bounds (%d)"), index));
    if (index == selected_)
        return;
    selected_ = index;
    emit selectionChanged(index);
}

void Playlist::append(const QString& entry)
{
    append(QStringList{entry});
}

void Playlist::append(const QStringList& entries)
{
    if (entries.isEmpty())
        return;
    if (entries.size() > INT_MAX - count())
        throw EListError(QStringLiteral("Unable to insert a line"));
    // One notice for the whole batch: a view then lays out once.
    beginInsertRows({}, count(), count() + int(entries.size()) - 1);
    entries_.append(entries);
    ++revision_;
    endInsertRows();
}

void Playlist::clear()
{
    setEntries(PlaylistEntries());
}

void Playlist::setEntries(const QStringList& entries)
{
    setEntries(PlaylistEntries(entries));
}

void Playlist::setEntries(PlaylistEntries entries)
{
    if (entries.size() > INT_MAX)
        throw EListError(QStringLiteral("Unable to insert a line"));
    beginResetModel();
    entries_ = std::move(entries);
    ++revision_;
    const bool hadSelection = selected_ != -1;
    selected_ = -1;
    endResetModel();
    if (hadSelection)
        emit selectionChanged(-1);
}

void Playlist::deleteSelected()
{
    const int i = selected_;
    if (i < 0)
        return;
    beginRemoveRows({}, i, i);
    entries_.removeAt(i);
    ++revision_;
    selected_ = -1;
    endRemoveRows();
    // The entry that followed takes its place; after the last, the new last.
    selected_ = i < count() ? i : i - 1;
    emit selectionChanged(selected_);
}

bool Playlist::loadFromFile(const QString& path)
{
    PlaylistRead read = readPlaylistFile(path);
    setEntries(std::move(read.entries));
    return !read.cut;
}

void Playlist::saveToFile(const QString& path) const
{
    // Written beside the target and renamed over it: a failure leaves any old
    // file as it was.
    QSaveFile file(path);
    const QByteArray bytes = entries_.encoded();
    // Unbuffered: a failure of the final buffer flush would otherwise go
    // unnoticed by commit(), which then puts a cut file in place.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) || file.write(bytes) != bytes.size()
        || ::fsync(file.handle()) != 0 || !file.commit())
        throw EFCreateError(Exception::format(QStringLiteral("Cannot create file %s"), path));
}

int Playlist::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : count();
}

QVariant Playlist::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= count())
        return {};
    if (role == Qt::DisplayRole)
        return entries_.shownAt(index.row(), kMaxDrawnEntryChars);
    if (role == Qt::EditRole)
        return entries_.at(index.row());
    return {};
}

QString playlistSaveName(const QString& chosen)
{
    return chosen + QStringLiteral(".qx");
}

QString entryDrawnText(const QString& entry, Qt::TextElideMode elision)
{
    constexpr qsizetype keep = kMaxDrawnEntryChars;
    if (entry.size() <= keep)
        return entry;
    switch (elision) {
    case Qt::ElideLeft:
        return entry.right(keep);
    case Qt::ElideMiddle:
        return entry.left(keep / 2) + entry.right(keep / 2);
    case Qt::ElideRight:
    case Qt::ElideNone:
        break;
    }
    return entry.left(keep);
}
