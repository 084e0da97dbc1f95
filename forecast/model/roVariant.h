#pragma once

#include <QObject>
#include <QVariant>

#include <memory>
#include <variant>

/// The value of a variant property: empty, a plain value (QVariant) or an
/// object reference (shared QObject; a null reference is "Nothing").
class roVariant {
public:
    /// An empty variant (holds no value).
    roVariant() = default;
    /// A copy of a plain value; an invalid QVariant gives the empty variant.
    static roVariant fromValue(const QVariant &value);
    /// A reference to an object (may be null).
    static roVariant fromObject(std::shared_ptr<QObject> object);

    /// True when nothing was stored.
    bool isEmpty() const { return std::holds_alternative<std::monostate>(m_data); }
    /// True when an object reference is stored.
    bool isObject() const { return std::holds_alternative<std::shared_ptr<QObject>>(m_data); }
    /// The stored plain value (invalid when empty or an object).
    QVariant value() const;
    /// The stored object reference (null when empty or a plain value).
    std::shared_ptr<QObject> object() const;

private:
    std::variant<std::monostate, QVariant, std::shared_ptr<QObject>> m_data;
};

inline roVariant roVariant::fromValue(const QVariant &value)
{
    roVariant v;
    if (value.isValid())
        v.m_data = value;
    return v;
}

inline roVariant roVariant::fromObject(std::shared_ptr<QObject> object)
{
    roVariant v;
    v.m_data = std::move(object);
    return v;
}

inline QVariant roVariant::value() const
{
    if (const auto *p = std::get_if<QVariant>(&m_data))
        return *p;
    return {};
}

inline std::shared_ptr<QObject> roVariant::object() const
{
    if (const auto *p = std::get_if<std::shared_ptr<QObject>>(&m_data))
        return *p;
    return {};
}
