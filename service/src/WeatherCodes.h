#pragma once

#include <QString>

#include <optional>

namespace forecastd {

/// One entry of JMA's weather code table, as the service uses it.
struct WeatherCode {
    QString code;  ///< JMA weather code ("101")
    QString icon;  ///< day icon name without extension ("101")
    QString group; ///< JMA's group ("100" 晴, "200" 曇, "300" 雨, "400" 雪)
    QString telop; ///< short Japanese text ("晴時々曇")
};

/// JMA's weather code table (generated from JMA's own), with the fallback for codes it lacks.
class WeatherCodes {
public:
    /// The entry of a code; an unknown code in 1xx..4xx falls back on its group (first digit x 100),
    /// anything else has no entry.
    static std::optional<WeatherCode> Lookup(const QString &code);
    /// Every icon name of the table, each once.
    static QStringList IconNames();
};

} // namespace forecastd
