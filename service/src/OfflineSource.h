#pragma once

#include "ForecastSource.h"

#include <QDateTime>
#include <QHash>
#include <QString>

#include <memory>
#include <vector>

namespace forecastd {

/// JMA-format JSON files from a folder: area.json, forecast/{office}[_suffix].json,
/// overview_forecast/{office}[_suffix].json and the warning files warning/{office}[_suffix].json and
/// warning-r8/{office}[_suffix].json (either format in either folder). The clock is pinned to each
/// report's own time.
class OfflineSource : public ForecastSource {
public:
    /// Reads the folder. With a valid `asOf`, takes for each office the newest report (and warning
    /// file) issued at or before it, else the newest. Returns null and sets error when area.json is
    /// missing or bad.
    static std::unique_ptr<OfflineSource> Open(const QString &folder, const QDateTime &asOf, QString &error);

    AreasResult Areas() override;
    OfficeResult Office(const QString &fileOffice) override;
    WarningResult WarningFile(const QString &office) override;

    /// Problems met while reading the folder (bad files), for the log.
    QStringList Warnings() const { return m_warnings; }

private:
    OfflineSource() = default;
    void readWarnings(const QString &folder, const QDateTime &asOf);

    std::shared_ptr<const AreaTree> m_areas;
    QHash<QString, std::shared_ptr<const ForecastReport>> m_reports;
    QHash<QString, std::vector<std::shared_ptr<const Overview>>> m_overviews;
    QHash<QString, QString> m_badOffices; ///< office -> why its only files could not be read
    QHash<QString, std::shared_ptr<const WarningReport>> m_warningFiles;
    QHash<QString, QString> m_badWarningFiles; ///< office -> why none of its warning files could be used
    QStringList m_warnings;
};

} // namespace forecastd
