#pragma once

#include "roModelKey.h"

#include <QString>

#include <memory>

/// One point forecast of cLocations.
class cLocation {
public:
    /// Library only: objects come from the library's factory.
    explicit cLocation(roModelKey);
    ~cLocation();
    cLocation(const cLocation &) = delete;
    cLocation &operator=(const cLocation &) = delete;

    /// Publication time as general date text.
    const QString &Publictime() const { return m_Publictime; }
    /// Sets Publictime.
    void setPublictime(const QString &value) { m_Publictime = value; }
    /// Text of the location's link element.
    const QString &Link() const { return m_Link; }
    /// Sets Link.
    void setLink(const QString &value) { m_Link = value; }
    /// Text of the location's title element.
    const QString &Title() const { return m_Title; }
    /// Sets Title.
    void setTitle(const QString &value) { m_Title = value; }

private:
    QString m_Publictime;
    QString m_Link;
    QString m_Title;
};
