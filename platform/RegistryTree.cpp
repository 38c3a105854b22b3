#include "RegistryTree.h"

namespace {
bool sameName(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}
}  // namespace

RegValue RegValue::dword(const QString& name, quint32 value)
{
    RegValue v{name, rtDWord, QByteArray(4, '\0')};
    for (int i = 0; i < 4; ++i)
        v.data[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    return v;
}

RegValue RegValue::string(const QString& name, const QString& text, quint32 type)
{
    QByteArray data = text.toUtf8();
    data.append('\0');
    return RegValue{name, type, std::move(data)};
}

RegKey* RegKey::subKey(const QString& name) const
{
    for (const auto& k : subKeys_)
        if (sameName(k->name(), name))
            return k.get();
    return nullptr;
}

RegKey& RegKey::ensureSubKey(const QString& name)
{
    if (RegKey* k = subKey(name))
        return *k;
    subKeys_.push_back(std::make_unique<RegKey>(name));
    return *subKeys_.back();
}

const RegValue* RegKey::value(const QString& name) const
{
    for (const auto& v : values_)
        if (sameName(v.name, name))
            return &v;
    return nullptr;
}

void RegKey::setValue(RegValue value)
{
    for (auto& v : values_)
        if (sameName(v.name, value.name)) {
            v.type = value.type;
            v.data = std::move(value.data);
            return;
        }
    values_.push_back(std::move(value));
}

bool isValidKeyName(const QString& name)
{
    if (name.isEmpty() || name.size() > 255)
        return false;
    for (QChar c : name)
        if (c == u'\\' || c == u'\r' || c == u'\n' || c == QChar(0))
            return false;
    return true;
}
