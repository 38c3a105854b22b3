#include "Playlist.h"

#include "PlaylistReader.h"
#include "platform/Errors.h"
#include "platform/Utf8.h"
#include "platform/Windows1251.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <climits>
#include <cstring>
#include <unistd.h>

namespace {

// Splits at CR LF, lone CR and lone LF; LF CR is two breaks; a break at the
// very end adds no empty entry.
QStringList splitLines(const QString& text)
{
    QStringList lines;
    const QChar* p = text.constData();
    const qsizetype n = text.size();
    qsizetype start = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = p[i].unicode();
        if (c != u'\r' && c != u'\n')
            continue;
        lines.append(QString(p + start, i - start));
        if (c == u'\r' && i + 1 < n && p[i + 1] == u'\n')
            ++i;
        start = i + 1;
    }
    if (start < n)
        lines.append(QString(p + start, n - start));
    return lines;
}

}  // namespace

namespace PlaylistText {

QByteArray encode(const QStringList& entries)
{
    qsizetype size = 0;
    for (const QString& e : entries)
        size += e.size() + 2;
    QByteArray out;
    out.reserve(size + size / 4);  // most paths are ASCII; Cyrillic grows
    for (const QString& e : entries) {
        out.append(e.toUtf8());
        out.append("\r\n", 2);
    }
    return out;
}

QStringList decode(const QByteArray& bytes)
{
    const char* p = bytes.constData();
    const auto nul = static_cast<const char*>(std::memchr(p, '\0', size_t(bytes.size())));
    const qsizetype n = nul ? nul - p : bytes.size();
    return splitLines(isStrictUtf8(p, n) ? QString::fromUtf8(p, n) : fromWindows1251(p, n));
}

}  // namespace PlaylistText

Playlist::Playlist(QObject* parent) : QAbstractListModel(parent) {}

int Playlist::count() const
{
    return static_cast<int>(entries_.size());
}

const QString& Playlist::at(int index) const
{
    if (index < 0 || index >= count())
        throw EListError(Exception::format(QStringLiteral("List index out of bounds (%d)"), index));
    return entries_[size_t(index)];
}

QStringList Playlist::entries() const
{
    QStringList list;
    list.reserve(count());
    for (const QString& e : entries_)
        list.append(e);
    return list;
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
    entries_.insert(entries_.end(), entries.begin(), entries.end());
    endInsertRows();
}

void Playlist::clear()
{
    setEntries({});
}

void Playlist::setEntries(const QStringList& entries)
{
    if (entries.size() > INT_MAX)
        throw EListError(QStringLiteral("Unable to insert a line"));
    beginResetModel();
    entries_.assign(entries.begin(), entries.end());
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
    entries_.erase(entries_.begin() + i);
    selected_ = -1;
    endRemoveRows();
    // The entry that followed takes its place; after the last, the new last.
    selected_ = i < count() ? i : i - 1;
    emit selectionChanged(selected_);
}

void Playlist::setText(const QString& text)
{
    const qsizetype nul = text.indexOf(QChar(0));
    setEntries(splitLines(nul < 0 ? text : text.left(nul)));
}

void Playlist::loadFromFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw EFOpenError(Exception::format(QStringLiteral("Cannot open file %s"), path));
    // The text ends at its first NUL: reading stops there, so a large binary
    // file chosen by mistake is not read whole.
    QByteArray bytes;
    constexpr qint64 chunk = 1 << 20;
    for (;;) {
        const qsizetype old = bytes.size();
        bytes.resize(old + chunk);
        const qint64 got = file.read(bytes.data() + old, chunk);
        if (got < 0)
            throw EFOpenError(Exception::format(QStringLiteral("Cannot open file %s"), path));
        bytes.resize(old + got);
        if (got == 0 || std::memchr(bytes.constData() + old, '\0', size_t(got)))
            break;
    }
    setEntries(PlaylistReader::forFile(path)->read(bytes, QFileInfo(path).absolutePath()));
}

void Playlist::saveToFile(const QString& path) const
{
    // Written beside the target and renamed over it: a failure leaves any old
    // file as it was.
    QSaveFile file(path);
    const QByteArray bytes = PlaylistText::encode(entries());
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
    if (!index.isValid() || index.row() >= count() || (role != Qt::DisplayRole && role != Qt::EditRole))
        return {};
    return entries_[size_t(index.row())];
}

QString playlistSaveName(const QString& chosen)
{
    return chosen + QStringLiteral(".qx");
}

QString entryFileName(const QString& entry)
{
    return entry.mid(entry.lastIndexOf(u'/') + 1);
}
