#pragma once
// The per-user registry file: $XDG_CONFIG_HOME/kaleidor/user.reg (or
// ~/.config/kaleidor/user.reg). Read without locking, since every change
// leaves a complete file; changed under an advisory lock by re-reading the
// newest file, replaying one accessor's changes on it and either renaming a
// synced temporary file over it, or, when only numbers change to numbers of
// the same width, overwriting their digits in place (any mix of old and new
// digits is still a whole file). So running copies of the program never lose
// each other's values and a failed commit leaves a complete file.
//
// A store that is a symbolic link (dotfile managers keep it elsewhere) is
// written through the link: the file it leads to is replaced in its own
// folder, and the link stays as it is.
//
// The last state this process read or wrote is remembered, keyed by the
// file's identity, size and times: while the file is unchanged it is not
// parsed again, neither by the next accessor nor by a commit. Values larger
// than kRememberedValueBytes are not kept in that memory, only where their
// text stands in the file: a commit that writes such a value unchanged copies
// that text from the file without parsing it.
#include "platform/RegistryTree.h"

#include <QString>
#include <QStringList>

#include <sys/stat.h>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

// One change an accessor made: a key it created, a value it wrote, or a
// value it kept.
struct RegChange {
    QStringList keyPath;  // names below the root
    std::optional<RegValue> value;
    // A kept value (named keptName) stays as the store file holds it while
    // that is the text this process remembers, so a large value written back
    // unchanged is neither made nor escaped again; otherwise makeKept()
    // makes the value that is written.
    QString keptName;
    std::function<RegValue()> makeKept;
};

// Makes the key path (and writes or keeps the value) in root; false when
// root already held all of it.
bool applyChange(RegKey& root, const RegChange& change);

class UserRegistry {
public:
    static QString defaultPath();

    // A store file larger than this cannot be taken whole: it is treated as
    // damaged (moved aside), never read into memory.
    static constexpr qint64 kMaxStoreBytes = 512LL * 1024 * 1024;
    static constexpr qsizetype kRememberedValueBytes = 64 * 1024;

    explicit UserRegistry(QString path = defaultPath());

    const QString& path() const { return path_; }

    // The store as it is now. A missing or unreadable file is an empty store
    // (an unreadable one is then refused by commit, so it is never
    // overwritten). A file that cannot be taken whole (not parsed, too large,
    // not a regular file) is renamed aside and the store starts empty;
    // movedAside() then names the copy. With Remembered the tree may hold
    // elided values (see RegValue::elided); Whole always reads the file.
    enum class Detail { Remembered, Whole };
    std::unique_ptr<RegKey> load(Detail detail = Detail::Remembered);

    // Applies changes to the newest file in one atomic replacement. Raises
    // ERegistryException "Failed to set data for '%s'" with firstValueName
    // when the file cannot be written; the old file then stays as it was.
    void commit(const std::vector<RegChange>& changes, const QString& firstValueName);

    // Takes the store's lock, waiting a few seconds for another copy's
    // commit, and holds it until unlock() (copies of this object share it):
    // a value read by load() and written back by commit() meanwhile cannot
    // lose another copy's change of it. False when the lock cannot be had;
    // commits then fail until unlock().
    bool lock();
    void unlock();

    // Where a damaged file was last moved by this object's loads and
    // commits; empty when none was.
    const QString& movedAside() const { return movedAside_; }

    // Commits leave temporary files named after the store with this between
    // a dot and six letters or digits, and ".tmp" after them; a name nobody
    // else gives a file.
    static constexpr char kTemporaryTag[] = "kaleidor-commit-";

private:
    class Lock;
    enum class ReadResult { Missing, Parsed, Damaged, Unreadable };
    ReadResult readText(QByteArray& text, struct stat& st) const;
    ReadResult read(RegKey& root, struct stat* st = nullptr) const;
    std::shared_ptr<Lock> takeLock() const;
    bool moveAside(const QByteArray& target);

    QString path_;
    QString movedAside_;
    std::shared_ptr<Lock> lock_;  // while held by lock()
};
