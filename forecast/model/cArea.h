#pragma once

#include "roModelKey.h"

#include <QString>

#include <memory>
#include <utility>

class cPrefs;

/// One area of the area list.
class cArea {
public:
    /// Library only: objects come from the library's factory.
    explicit cArea(roModelKey);
    ~cArea();
    cArea(const cArea &) = delete;
    cArea &operator=(const cArea &) = delete;

    /// The area's prefectures (created empty on first read).
    std::shared_ptr<cPrefs> Prefs() const;

    /// The area element's source attribute.
    const QString &Source() const { return m_Source; }
    /// Sets Source.
    void setSource(QString value) { m_Source = std::move(value); }
    /// The area element's title attribute.
    const QString &Title() const { return m_Title; }
    /// Sets Title.
    void setTitle(QString value) { m_Title = std::move(value); }

private:
    mutable std::shared_ptr<cPrefs> m_Prefs;
    QString m_Source;
    QString m_Title;
};
