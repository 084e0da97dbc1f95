#pragma once

#include "roModelKey.h"

#include <QString>

#include <memory>
#include <utility>

/// One city of a prefecture.
class cCity {
public:
    /// Library only: objects come from the library's factory.
    explicit cCity(roModelKey);
    ~cCity();
    cCity(const cCity &) = delete;
    cCity &operator=(const cCity &) = delete;

    /// The city element's source attribute.
    const QString &Source() const { return m_Source; }
    /// Sets Source.
    void setSource(QString value) { m_Source = std::move(value); }
    /// The city element's id attribute.
    const QString &ID() const { return m_ID; }
    /// Sets ID.
    void setID(QString value) { m_ID = std::move(value); }
    /// The city element's title attribute.
    const QString &Title() const { return m_Title; }
    /// Sets Title.
    void setTitle(QString value) { m_Title = std::move(value); }

private:
    QString m_Source;
    QString m_ID;
    QString m_Title;
};
