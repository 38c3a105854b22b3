#pragma once
// The settings accessor: opens a key of the per-user registry and reads and
// writes its values. Created for one operation and freed at its end.
//
// Writes are visible to this accessor at once and reach the file when
// CloseKey is called, all in one commit. Writes not yet committed when the
// accessor is destroyed are dropped: a sequence that failed half-way must not
// leave half of its values behind.
#include "platform/RegistryTree.h"
#include "platform/UserRegistry.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

class TRegistry {
public:
    TRegistry();  // the user's own store
    explicit TRegistry(const QString& storeFile);
    ~TRegistry();
    TRegistry(const TRegistry&) = delete;
    TRegistry& operator=(const TRegistry&) = delete;

    // A path beginning with "\" starts at the root, any other is relative to
    // the open key (or the root when none is open). On success the key
    // becomes the open key; on failure nothing changes. With canCreate every
    // missing level is created.
    bool OpenKey(const QString& path, bool canCreate);
    bool ValueExists(const QString& name) const;

    // Raise ERegistryException "Failed to get data for '%s'" for a missing
    // value or one longer than 4 bytes, "Invalid data type for '%s'" for
    // another type.
    int ReadInteger(const QString& name) const;
    bool ReadBool(const QString& name) const;
    // Missing or empty gives ""; string and expandable string give their text
    // up to the first NUL; other types raise "Invalid data type for '%s'".
    QString ReadString(const QString& name) const;
    // ReadString's text as the store keeps it, UTF-8: a long text is then
    // never held whole in UTF-16.
    QByteArray ReadStringUtf8(const QString& name) const;

    // Raise "Failed to set data for '%s'" when no key is open.
    void WriteInteger(const QString& name, int value);
    void WriteBool(const QString& name, bool value);
    void WriteString(const QString& name, const QString& value);
    void WriteStringUtf8(const QString& name, QByteArray utf8);
    // For a value the caller knows is still as this process last read or
    // wrote it: while the store is unchanged since then, a large such value
    // is left as it stands; otherwise make() gives its text, as for
    // WriteStringUtf8. Raises as the writes do.
    void KeepStringUtf8(const QString& name, const std::function<QByteArray()>& make);

    // From now until CloseKey (or the accessor's end) holds the store's lock
    // and shows the store as it is now: a value read and written back in
    // between, as a counter is, cannot lose another running copy's change of
    // it. Closes the open key and drops writes not committed. False when the
    // lock cannot be had; CloseKey then fails.
    bool LockStore();

    // Commits this accessor's writes, closes the open key and lets the
    // store's lock go. A failed commit raises "Failed to set data for '%s'"
    // with the first value written; the writes are dropped and the file keeps
    // its old content.
    void CloseKey();

    // "\Qx\настройки"-style path of the open key; empty when none is open.
    QString CurrentPath() const;

    // Where a damaged store file was last moved when this accessor read it
    // (or committed); empty when it was not.
    QString DamagedStoreMovedTo() const { return store_.movedAside(); }

private:
    const RegValue* valueOrNull(const QString& name) const;
    void loadWhole() const;
    void write(RegValue value);

    mutable UserRegistry store_;
    // Replaced by the whole file when a read meets a value the remembered
    // store left out; what the accessor shows does not change by it.
    mutable std::unique_ptr<RegKey> root_;
    mutable RegKey* current_ = nullptr;
    QStringList currentPath_;
    std::vector<RegChange> changes_;
};
