#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <vector>

namespace forecastd {

/// One pinpoint location (a municipality) of the forecast document.
struct PinpointLocation {
    QString title;
    QString link;
    QDateTime publictime;
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

    /// The XML document, UTF-8, properly escaped.
    QByteArray Write() const;
};

/// Removes characters XML 1.0 cannot carry (controls other than tab and line breaks).
QString xmlSafe(const QString &text);

} // namespace forecastd
