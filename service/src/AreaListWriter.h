#pragma once

#include <QByteArray>
#include <QString>

namespace forecastd {

struct AreaTree;

/// Writes the area list (RSS with `ldWeather:source`): regions, offices, forecast areas.
class AreaListWriter {
public:
    /// The list for JMA's hierarchy; city sources point at `baseUrl` (no trailing slash).
    static QByteArray Write(const AreaTree &areas, const QString &baseUrl);
};

} // namespace forecastd
