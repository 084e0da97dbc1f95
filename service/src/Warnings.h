#pragma once

#include "WarningCodes.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace forecastd {

struct AreaTree;
struct WarningReport;

/// One warning or advisory in force somewhere in a city's area.
struct WarningInForce {
    WarningCode kind;
    QString status; ///< 継続 when every part of the area says so, else the first other status met
};

/// The warnings and advisories in force in one forecast area (class10).
struct CityWarnings {
    std::vector<WarningInForce> inForce; ///< most severe class first, then by code; each code once
    QDateTime reportTime;                ///< of the warning file

    /// The city's warnings and advisories: whatever is neither 解除 nor 「発表警報・注意報はなし」 in the
    /// class10's own entry or in any of its class20s. None (error set) when the file covers neither, as
    /// when it is another office's.
    static std::optional<CityWarnings> Gather(const WarningReport &report, const AreaTree &areas,
                                              const QString &class10, QString &error);

    /// One line per class in force, most severe first: 「【警報】大雨、洪水」. Each phenomenon appears
    /// once, under its most severe class.
    QStringList Lines() const;
};

/// The line that stands in for the warnings when they cannot be had.
QString warningsUnavailableNote();

} // namespace forecastd
