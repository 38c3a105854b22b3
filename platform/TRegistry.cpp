#include "TRegistry.h"

#include "platform/Errors.h"

#include <QScopeGuard>

namespace {

[[noreturn]] void raise(const char* pattern, const QString& name)
{
    throw ERegistryException(Exception::format(QString::fromLatin1(pattern), name));
}

}  // namespace

TRegistry::TRegistry() : TRegistry(UserRegistry::defaultPath()) {}

TRegistry::TRegistry(const QString& storeFile) : store_(storeFile), root_(store_.load()) {}

TRegistry::~TRegistry() = default;

bool TRegistry::OpenKey(const QString& path, bool canCreate)
{
    const bool fromRoot = path.startsWith(u'\\') || !current_;
    QStringList target = fromRoot ? QStringList() : currentPath_;
    RegKey* key = fromRoot ? root_.get() : current_;
    const QStringList parts = path.split(u'\\', Qt::SkipEmptyParts);
    for (const QString& part : parts)
        if (!isValidKeyName(part))
            return false;
    // Look before creating anything, so that a failure changes nothing.
    RegKey* found = key;
    for (const QString& part : parts) {
        found = found ? found->subKey(part) : nullptr;
        if (!found && !canCreate)
            return false;
    }
    for (const QString& part : parts) {
        key = &key->ensureSubKey(part);
        target.append(key->name());
    }
    if (!found)
        changes_.push_back(RegChange{target, std::nullopt, {}, {}});
    current_ = key;
    currentPath_ = target;
    return true;
}

const RegValue* TRegistry::valueOrNull(const QString& name) const
{
    if (!current_)
        return nullptr;
    const RegValue* v = current_->value(name);
    if (v && v->elided) {
        loadWhole();
        v = current_->value(name);
    }
    return v;
}

void TRegistry::loadWhole() const
{
    root_ = store_.load(UserRegistry::Detail::Whole);
    for (const RegChange& change : changes_)
        applyChange(*root_, change);
    current_ = root_.get();
    for (const QString& name : currentPath_)
        current_ = &current_->ensureSubKey(name);
}

bool TRegistry::ValueExists(const QString& name) const
{
    return valueOrNull(name) != nullptr;
}

int TRegistry::ReadInteger(const QString& name) const
{
    const RegValue* v = valueOrNull(name);
    if (!v || v->data.size() > 4)
        raise("Failed to get data for '%s'", name);
    if (v->type != rtDWord)
        raise("Invalid data type for '%s'", name);
    quint32 x = 0;
    for (int i = 0; i < v->data.size(); ++i)
        x |= quint32(quint8(v->data[i])) << (8 * i);
    return static_cast<int>(x);
}

bool TRegistry::ReadBool(const QString& name) const
{
    return ReadInteger(name) != 0;
}

QString TRegistry::ReadString(const QString& name) const
{
    return QString::fromUtf8(ReadStringUtf8(name));
}

QByteArray TRegistry::ReadStringUtf8(const QString& name) const
{
    const RegValue* v = valueOrNull(name);
    if (!v || v->data.isEmpty())
        return {};
    if (v->type != rtString && v->type != rtExpandString)
        raise("Invalid data type for '%s'", name);
    const qsizetype nul = v->data.indexOf('\0');
    return nul < 0 ? v->data : v->data.left(nul);
}

void TRegistry::write(RegValue value)
{
    if (!current_)
        raise("Failed to set data for '%s'", value.name);
    current_->setValue(value);
    changes_.push_back(RegChange{currentPath_, std::move(value), {}, {}});
}

void TRegistry::WriteInteger(const QString& name, int value)
{
    write(RegValue::dword(name, static_cast<quint32>(value)));
}

void TRegistry::WriteBool(const QString& name, bool value)
{
    WriteInteger(name, value ? 1 : 0);
}

void TRegistry::WriteString(const QString& name, const QString& value)
{
    WriteStringUtf8(name, value.toUtf8());
}

// A text of megabytes handed over whole is kept, not copied.
void TRegistry::WriteStringUtf8(const QString& name, QByteArray utf8)
{
    write(RegValue::utf8String(name, std::move(utf8)));
}

void TRegistry::KeepStringUtf8(const QString& name, const std::function<QByteArray()>& make)
{
    if (!current_)
        raise("Failed to set data for '%s'", name);
    const RegValue* remembered = current_->value(name);
    if (!remembered || !remembered->elided) {
        WriteStringUtf8(name, make());
        return;
    }
    RegChange change{currentPath_, std::nullopt, name, [name, make] { return RegValue::utf8String(name, make()); }};
    changes_.push_back(std::move(change));
}

bool TRegistry::LockStore()
{
    current_ = nullptr;
    currentPath_.clear();
    changes_.clear();
    const bool locked = store_.lock();
    root_ = store_.load();
    return locked;
}

void TRegistry::CloseKey()
{
    std::vector<RegChange> changes;
    changes.swap(changes_);
    current_ = nullptr;
    currentPath_.clear();
    const auto unlock = qScopeGuard([this] { store_.unlock(); });
    QString first;
    for (const RegChange& c : changes)
        if (c.value || c.makeKept) {
            first = c.value ? c.value->name : c.keptName;
            break;
        }
    store_.commit(changes, first);
}

QString TRegistry::CurrentPath() const
{
    if (!current_)
        return {};
    return QLatin1Char('\\') + currentPath_.join(u'\\');
}
