#pragma once

#include "cLocation.h"
#include "roCollection.h"
#include "roModelKey.h"
#include <QDateTime>

/// The point forecasts of a forecast (unkeyed as the parser fills them).
class cLocations : public roCollection<cLocation> {
public:
    /// Library only: objects come from the library's factory.
    explicit cLocations(roModelKey);
    ~cLocations();

    /// Appends a point forecast; Publictime becomes general date text (empty for an invalid date/time).
    /// A non-empty sKey already present throws roCollectionError.
    std::shared_ptr<cLocation> Add(const QString &Title, const QString &Link, const QDateTime &Publictime,
                                   const QString &sKey = {});
};
