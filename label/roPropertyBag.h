#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantMap>

#include <utility>

/// The design settings a host keeps for a control: keys in the order they were written, values as QVariant.
class roPropertyBag {
public:
    /// The stored value of a key, or defaultValue when the key is missing.
    QVariant ReadProperty(const QString &name, const QVariant &defaultValue = {}) const;

    /// Stores a value; a value equal to defaultValue is not stored (an earlier entry of that key is dropped).
    void WriteProperty(const QString &name, const QVariant &value, const QVariant &defaultValue = {});

    /// Whether the key is stored.
    bool Contains(const QString &name) const;

    /// The stored keys in write order.
    QStringList Keys() const;

    /// Number of stored keys.
    int Count() const { return static_cast<int>(m_entries.size()); }

    /// The entries as a map, for hosts that store a QVariantMap.
    QVariantMap toVariantMap() const;

    /// A bag holding the entries of a map (keys in the map's order).
    static roPropertyBag fromVariantMap(const QVariantMap &map);

private:
    QList<std::pair<QString, QVariant>> m_entries;
};
