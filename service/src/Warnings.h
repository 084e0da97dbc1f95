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
    QString status;       ///< 継続 when every part of the area says so, else the first other status met
    bool partial = false; ///< not in force in every municipality of the area
};

/// The warnings and advisories in force in one forecast area (class10).
struct CityWarnings {
    std::vector<WarningInForce> inForce; ///< most severe class first, then by code; each code once
    QDateTime reportTime;                ///< of the warning file

    /// The city's warnings and advisories: whatever is neither 解除 nor 「発表警報・注意報はなし」 in the
    /// class10's own entry or in any of its class20s. A kind is partial when some municipality does not
    /// have it in force; a municipality the file does not list takes the class10's own entry. None
    /// (error set) when the file covers neither, as when it is another office's.
    static std::optional<CityWarnings> Gather(const WarningReport &report, const AreaTree &areas,
                                              const QString &class10, QString &error);

    /// One line per class in force, most severe first: 「【警報】大雨（一部）、洪水」. Each phenomenon
    /// appears once, under its most severe class, marked （一部） when that kind is partial. The first
    /// line ends with the issue time (「 8/13 21:20発表」).
    QStringList Lines() const;
};

/// When a warning report may be shown as current.
namespace WarningFreshness {
/// Longest time since JMA last confirmed our copy (a fetch or a 304): a few failed re-checks pass.
inline constexpr qint64 kMaxUnconfirmedSecs = 60 * 60;
/// Longest time a report may lag behind the forecast report: quiet weeks pass, a frozen source does not.
inline constexpr qint64 kMaxBehindForecastSecs = 30 * 24 * 3600;

/// Whether a copy JMA confirmed at `confirmed` is still trusted at `now`; an invalid `confirmed` (data
/// not fetched from JMA, as offline) always is.
bool Confirmed(const QDateTime &confirmed, const QDateTime &now);
/// Whether a warning report issued at `reportTime` keeps up with the forecast issued at `forecastTime`.
bool AbreastOfForecast(const QDateTime &reportTime, const QDateTime &forecastTime);
} // namespace WarningFreshness

/// The line that stands in for the warnings when they cannot be had.
QString warningsUnavailableNote();
/// The line that stands in for the warnings of a report too old to show.
QString warningsStaleNote(const QDateTime &reportTime);

} // namespace forecastd
