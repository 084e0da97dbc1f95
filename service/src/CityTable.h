#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace forecastd {

/// What JMA's constant tables say about one forecast area (class10), generated from them.
struct CityInfo {
    QString title;              ///< display title (main station's name, or the area's own name)
    QStringList stations;       ///< AMeDAS stations of the short-range forecast, main one first
    QStringList weeklyAreas;    ///< candidate weekly-forecast areas
    QStringList weeklyStations; ///< stations of the weekly forecast for this area
};

/// Lookup in the generated class10 table.
class CityTable {
public:
    /// The entry of a class10 code, or none for an area the table does not know.
    static std::optional<CityInfo> Lookup(const QString &class10);
};

} // namespace forecastd
