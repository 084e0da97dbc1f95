#pragma once

#include "ForecastDocument.h"

#include <QDateTime>
#include <QString>

#include <optional>
#include <variant>

namespace forecastd {

struct AreaTree;
struct OfficeResult;
struct WarningResult;

/// A refusal with its HTTP status and a short text for the client.
struct ServiceError {
    int status = 500;
    QString text;
};

/// A requested city placed in JMA's hierarchy.
struct CityRef {
    QString class10;    ///< 6-digit code
    QString office;     ///< the office (府県予報区) it belongs to, whose warning file holds it
    QString fileOffice; ///< the office whose forecast file holds it
    QString center;     ///< the region (地方予報区)
};

/// Icon size as served; the document reports the same.
inline constexpr int kIconWidth = 50;
inline constexpr int kIconHeight = 31;

/// Builds forecast documents from JMA's data. Values are always chosen by date, never by position.
class ForecastBuilder {
public:
    /// Day index of a day word ("today" 0, "tomorrow" 1, "dayaftertomorrow" 2), none otherwise.
    static std::optional<int> DayIndex(const QString &dayWord);

    /// Normalises a requested city id (a 5-digit id gets its leading zero back) and places it.
    static std::variant<CityRef, ServiceError> ResolveCity(const AreaTree &areas, const QString &cityParam);

    /// The forecast document of one city and day, from the data of the city's forecast file office
    /// (`office.report` must be set; `office.now` fixes "today", JST). `baseUrl` is the service's own
    /// absolute address (for the icon URL), without a trailing slash. Today's and tomorrow's documents
    /// carry the warnings in force (from `warnings`, the warning file of the city's office, when it is
    /// there and current) and the chance of rain. Optional parts that cannot be had leave a note.
    static std::variant<ForecastDocument, ServiceError> Build(const AreaTree &areas, const CityRef &city,
                                                              const OfficeResult &office, const WarningResult &warnings,
                                                              const QString &dayWord, const QString &baseUrl);

    /// Whether a day's document carries warnings and the chance of rain (today and tomorrow).
    static bool CarriesWarnings(const QString &dayWord);

    /// Display title of a class10 (main station's name where JMA's tables give one).
    static QString CityTitle(const AreaTree &areas, const QString &class10);

    /// Fahrenheit text, one decimal place, of a Celsius text; empty when that is not a number.
    static QString Fahrenheit(const QString &celsius);
};

} // namespace forecastd
