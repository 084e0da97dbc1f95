#pragma once

#include "cWarning.h"
#include "roCollection.h"
#include "roModelKey.h"

/// The warnings and advisories of a forecast (element warnings), unkeyed as the parser fills them.
/// A document without the element leaves it empty and not Available.
class cWarnings : public roCollection<cWarning> {
public:
    /// Library only: objects come from the library's factory.
    explicit cWarnings(roModelKey);
    ~cWarnings();

    /// Appends a warning; a non-empty sKey already present throws roCollectionError.
    std::shared_ptr<cWarning> Add(const QString &Code, const QString &Status, const QString &WarningClass,
                                  const QString &Name, bool Partial, const QString &sKey = {});

    /// The list is current and complete: the element is there and not available="false".
    bool Available() const { return m_Available; }
    /// Sets Available.
    void setAvailable(bool value) { m_Available = value; }
    /// The service holds only an old report (attribute stale="true").
    bool Stale() const { return m_Stale; }
    /// Sets Stale.
    void setStale(bool value) { m_Stale = value; }
    /// Issue time of the warning report as general date text, "-" when unreadable, empty when not given.
    const QString &Publictime() const { return m_Publictime; }
    /// Sets Publictime.
    void setPublictime(const QString &value) { m_Publictime = value; }
    /// The area the warnings are for, e.g. 東京地方 (attribute area; empty when not given).
    const QString &Area() const { return m_Area; }
    /// Sets Area.
    void setArea(const QString &value) { m_Area = value; }

private:
    bool m_Available = false;
    bool m_Stale = false;
    QString m_Publictime;
    QString m_Area;
};
