#include "RegistryTree.h"

namespace {
QString folded(const QString& name)
{
    return name.toCaseFolded();
}
}  // namespace

RegValue RegValue::dword(const QString& name, quint32 value)
{
    RegValue v{name, rtDWord, QByteArray(4, '\0')};
    for (int i = 0; i < 4; ++i)
        v.data[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    return v;
}

RegValue RegValue::utf8String(const QString& name, QByteArray utf8)
{
    utf8.append('\0');
    return RegValue{name, rtString, std::move(utf8)};
}

RegKey* RegKey::subKey(const QString& name) const
{
    return subKeyIndex_.value(folded(name), nullptr);
}

RegKey& RegKey::ensureSubKey(const QString& name)
{
    RegKey*& slot = subKeyIndex_[folded(name)];
    if (!slot) {
        subKeys_.push_back(std::make_unique<RegKey>(name));
        slot = subKeys_.back().get();
    }
    return *slot;
}

const RegValue* RegKey::value(const QString& name) const
{
    const auto it = valueIndex_.constFind(folded(name));
    return it == valueIndex_.cend() ? nullptr : &values_[*it];
}

void RegKey::setValue(RegValue value)
{
    QString key = folded(value.name);
    const auto it = valueIndex_.constFind(key);
    if (it != valueIndex_.cend()) {
        RegValue& v = values_[*it];
        v.type = value.type;
        v.data = std::move(value.data);
        v.elided = value.elided;
        v.textOffset = value.textOffset;
        v.textLength = value.textLength;
        return;
    }
    valueIndex_.insert(std::move(key), values_.size());
    values_.push_back(std::move(value));
}

void RegKey::setValueText(std::size_t index, qsizetype offset, qsizetype length)
{
    values_[index].textOffset = offset;
    values_[index].textLength = length;
}

std::unique_ptr<RegKey> RegKey::clone() const
{
    auto copy = std::make_unique<RegKey>(name_);
    copy->values_ = values_;
    copy->valueIndex_ = valueIndex_;
    for (const auto& sub : subKeys_) {
        copy->subKeys_.push_back(sub->clone());
        copy->subKeyIndex_.insert(folded(sub->name()), copy->subKeys_.back().get());
    }
    return copy;
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
