#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <optional>
#include <vector>

namespace forecastd {

/// One pinpoint location (a municipality) of the forecast document.
struct PinpointLocation {
    QString title;
    QString link;
    QDateTime publictime;
};

/// One warning or advisory in force, as its own element.
struct WarningElement {
    QString code;
    QString status;
    QString warningClass; ///< 特別警報, 危険警報, 警報 or 注意報
    QString name;
    bool partial = false; ///< in force in part of the area only
};

/// The chance of rain of one 6-hour slot.
struct RainChance {
    QString hours;   ///< "06-12"
    QString percent; ///< "20"
};

/// The warnings and chance of rain as elements of their own (days that carry them).
struct ForecastExtras {
    bool warningsKnown = false;           ///< false: the warning file could not be had, or is too old
    bool warningsStale = false;           ///< the report is there but too old to show
    QDateTime warningsTime;               ///< report time of the warning file, when known
    QString warningsArea;                 ///< the class10's name
    std::vector<WarningElement> warnings; ///< in force, most severe first
    bool rainChanceKnown = true;          ///< false: the forecast's chance-of-rain series was unreadable
    std::vector<RainChance> rainChances;  ///< the day's slots
};

/// Everything the forecast document (`lwws`) carries; written by Write().
struct ForecastDocument {
    QString version = QStringLiteral("1.0");
    QString author;
    QString area, pref, city; ///< attributes of `location`
    QString title;
    QString link;
    QString forecastday; ///< the requested day word
    QDateTime forecastdate;
    QString day;
    QDateTime publictime;
    QString telop;
    QString description;
    QString imageTitle, imageLink, imageUrl;
    int imageWidth = 0;
    int imageHeight = 0;
    QString maxCelsius, maxFahrenheit, minCelsius, minFahrenheit; ///< empty when not known
    std::vector<PinpointLocation> pinpoints;
    std::optional<ForecastExtras> extras; ///< written after description; the program's reader skips them

    /// The XML document, UTF-8, properly escaped.
    QByteArray Write() const;
};

/// Removes characters XML 1.0 cannot carry (controls other than tab and line breaks).
QString xmlSafe(const QString &text);

} // namespace forecastd
