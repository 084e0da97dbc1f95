#include "roPropertyBag.h"

#include <algorithm>

QVariant roPropertyBag::ReadProperty(const QString &name, const QVariant &defaultValue) const
{
    for (const auto &[key, value] : m_entries) {
        if (key == name)
            return value;
    }
    return defaultValue;
}

void roPropertyBag::WriteProperty(const QString &name, const QVariant &value, const QVariant &defaultValue)
{
    auto it = std::find_if(m_entries.begin(), m_entries.end(), [&](const auto &e) { return e.first == name; });
    if (defaultValue.isValid() && value == defaultValue) {
        if (it != m_entries.end())
            m_entries.erase(it);
        return;
    }
    if (it != m_entries.end())
        it->second = value;
    else
        m_entries.append({name, value});
}

bool roPropertyBag::Contains(const QString &name) const
{
    return std::any_of(m_entries.begin(), m_entries.end(), [&](const auto &e) { return e.first == name; });
}

QStringList roPropertyBag::Keys() const
{
    QStringList keys;
    keys.reserve(m_entries.size());
    for (const auto &entry : m_entries)
        keys.append(entry.first);
    return keys;
}

QVariantMap roPropertyBag::toVariantMap() const
{
    QVariantMap map;
    for (const auto &[key, value] : m_entries)
        map.insert(key, value);
    return map;
}

roPropertyBag roPropertyBag::fromVariantMap(const QVariantMap &map)
{
    roPropertyBag bag;
    for (auto it = map.cbegin(); it != map.cend(); ++it)
        bag.m_entries.append({it.key(), it.value()});
    return bag;
}
