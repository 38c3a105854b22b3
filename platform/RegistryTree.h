#pragma once
// The registry's data: keys holding typed values and sub-keys, both in the
// order they were created. Names compare without regard to case, as the
// registry's do; the spelling of the first creation is kept. Both are also
// indexed by name, so a key of millions of values reads in linear time.
#include <QByteArray>
#include <QHash>
#include <QString>

#include <memory>
#include <vector>

// Value types, numbered as the registry numbers them.
enum RegType : quint32 {
    rtNone = 0,
    rtString = 1,
    rtExpandString = 2,
    rtBinary = 3,
    rtDWord = 4,
    rtQWord = 11,
};

struct RegValue {
    QString name;
    quint32 type = rtNone;
    // The bytes as the registry holds them: a string is UTF-8 with its closing
    // NUL, a DWORD four bytes little-endian.
    QByteArray data;
    // Set on a large value in a remembered copy of the store, whose data was
    // dropped to save memory; such a value is never read, and is written back
    // by copying its text from the store file.
    bool elided = false;
    // Where the value's text (after "=") stands in the store text it was read
    // from or last written to; textOffset is -1 for a value made in memory.
    qsizetype textOffset = -1;
    qsizetype textLength = 0;

    static RegValue dword(const QString& name, quint32 value);
    static RegValue utf8String(const QString& name, QByteArray utf8);
};

class RegKey {
public:
    explicit RegKey(QString name = {}) : name_(std::move(name)) {}
    RegKey(const RegKey&) = delete;
    RegKey& operator=(const RegKey&) = delete;

    const QString& name() const { return name_; }

    RegKey* subKey(const QString& name) const;
    RegKey& ensureSubKey(const QString& name);
    const std::vector<std::unique_ptr<RegKey>>& subKeys() const { return subKeys_; }

    const RegValue* value(const QString& name) const;
    // Replaces a value of the same name where it stands, or appends it.
    void setValue(RegValue value);
    const std::vector<RegValue>& values() const { return values_; }
    // Records where values()[index]'s text now stands in the store text.
    void setValueText(std::size_t index, qsizetype offset, qsizetype length);

    // A copy of the whole tree; value data is shared until written.
    std::unique_ptr<RegKey> clone() const;

private:
    QString name_;
    std::vector<RegValue> values_;
    QHash<QString, std::size_t> valueIndex_;  // folded name -> position in values_
    std::vector<std::unique_ptr<RegKey>> subKeys_;
    QHash<QString, RegKey*> subKeyIndex_;  // folded name -> key
};

// Whether text can name a key: not empty, no "\" and nothing the text file
// cannot keep on one line.
bool isValidKeyName(const QString& name);
