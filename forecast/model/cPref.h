#pragma once

#include "roModelKey.h"

#include <QString>

#include <memory>
#include <utility>

class cCities;

/// One prefecture of an area.
class cPref {
public:
    /// Library only: objects come from the library's factory.
    explicit cPref(roModelKey);
    ~cPref();
    cPref(const cPref &) = delete;
    cPref &operator=(const cPref &) = delete;

    /// The prefecture's cities (created empty on first read).
    std::shared_ptr<cCities> Cities() const;

    /// The prefecture element's title attribute.
    const QString &Title() const { return m_Title; }
    /// Sets Title.
    void setTitle(QString value) { m_Title = std::move(value); }

private:
    mutable std::shared_ptr<cCities> m_Cities;
    QString m_Title;
};
