#pragma once

#include "ForecastBuilder.h"

#include <QDateTime>
#include <QString>

#include <memory>

namespace forecastd {

struct AreaTree;
struct ForecastReport;
struct Overview;
struct WarningReport;

/// The area hierarchy, or why there is none.
struct AreasResult {
    std::shared_ptr<const AreaTree> areas; ///< null on failure
    ServiceError error;                    ///< set when areas is null
};

/// The data of one forecast file office at one moment.
struct OfficeResult {
    std::shared_ptr<const ForecastReport> report; ///< null on failure
    std::shared_ptr<const Overview> overview;     ///< may be null: the document goes without it
    QDateTime now;                                ///< the clock for this data ("today" in JST)
    ServiceError error;                           ///< set when report is null
    QString overviewError;                        ///< why there is no overview, when one was expected
};

/// The warning file of an office, or why there is none.
struct WarningResult {
    std::shared_ptr<const WarningReport> report; ///< null when it cannot be had: documents go with a note
    QString error;                               ///< set when report is null (for the log)
    QDateTime confirmed; ///< when JMA last confirmed this copy (fetched or 304); invalid when not from JMA
};

/// Where the service's JMA data comes from (a folder, or JMA itself). Called from many threads.
class ForecastSource {
public:
    virtual ~ForecastSource() = default;
    /// The area hierarchy (area.json).
    virtual AreasResult Areas() = 0;
    /// The forecast (and overview) of an office's forecast file.
    virtual OfficeResult Office(const QString &fileOffice) = 0;
    /// The warnings and advisories file of an office (the class10's own office, which for 014030 and
    /// 460040 is not the forecast file's).
    virtual WarningResult WarningFile(const QString &office) = 0;
};

} // namespace forecastd
