#pragma once

#include "TestPaths.h"

#include <QByteArray>
#include <QDateTime>
#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <memory>

class cWeather;
class cAreas;

/// Skips the current test, with a clear message, when the JMA fixture folder is not there.
#define REQUIRE_FIXTURES()                                                                                             \
    do {                                                                                                               \
        if (servicetest::jmaFixtures().isEmpty())                                                                      \
            GTEST_SKIP() << "this check runs against the real JMA samples, not found at " SKYCASTER_JMA_FIXTURES       \
                            " (configure with -DSKYCASTER_JMA_FIXTURES=DIR)";                                          \
    } while (false)

namespace servicetest {

/// The JMA fixture folder, or empty (after GTEST_SKIP in the caller) when it is missing.
QString jmaFixtures();

/// What the program sees of a forecast document: the model from roWeather::GetWeather.
struct ParsedWeather {
    bool result = false;               ///< GetWeather's result
    int messageBoxes = 0;              ///< boxes shown while parsing
    std::shared_ptr<cWeather> weather; ///< null when the program would drop the forecast
    QByteArray document;               ///< what was parsed
};

/// Parses a forecast document the way the program does (a temporary file and GetWeather).
ParsedWeather parseWeather(const QByteArray &document);

/// Parses an area list the way the program does; null when GetArea refused it or dropped it.
std::shared_ptr<cAreas> parseAreas(const QByteArray &document, int *messageBoxes = nullptr);

/// A file's bytes; fails the test when it cannot be read.
QByteArray fixture(const QString &relative);

/// JST time from ISO text ("2026-01-05T18:00:00+09:00").
QDateTime jst(const char *iso);

/// The service's own elements beside the forecast: warnings and chance of rain.
struct DocumentExtras {
    bool hasWarnings = false;    ///< a warnings element is there
    bool warningsKnown = false;  ///< it is not marked unavailable
    bool warningsStale = false;  ///< marked as too old to show
    QDateTime warningsTime;      ///< its publictime
    QString warningsArea;        ///< its area
    QStringList warnings;        ///< "code status class name[ partial]" per warning element, in document order
    bool rainChanceKnown = true; ///< the rainchance element is not marked unavailable
    bool hasRainChance = false;  ///< a rainchance element is there
    QStringList rainChances;     ///< "hours=percent" per period
};

/// The warnings and rainchance elements of a forecast document.
DocumentExtras documentExtras(const QByteArray &document);

/// The document without its warnings and rainchance elements: what the service served before it had them.
QByteArray withoutExtras(const QByteArray &document);

/// What roweather-dump prints for a document (the whole model, result and outcome), without the file name.
QJsonObject dumpModel(const QByteArray &document);

/// The description's lines that the rule derives from warning elements ("code status class name[ partial]"):
/// one per class in force, most severe first, each phenomenon once under its most severe class, （一部）
/// when partial, the issue time after the first line.
QStringList expectedWarningLines(const DocumentExtras &extras);

/// 「降水確率 ...」 for a class10 on a date, read straight from a forecast file's pops; empty when none.
QString expectedRainLine(const QByteArray &forecastJson, const QString &class10, const QDate &date);

/// Checks today's or tomorrow's description: the warning lines the document's elements give (or the
/// note), the chance of rain as the forecast file has it, then the city's own weather ("東京 今日…"),
/// the credit last; and that the rainchance element says what the line says.
void expectWarningLines(const ParsedWeather &parsed, const QByteArray &forecastJson, const QString &class10,
                        const char *dayLabel);

/// The Tokyo report of 2026-01-05 17:00 moved onto another office's class10 areas and their main
/// stations, for offices the fixtures hold warnings but no forecast of.
QByteArray forecastMovedTo(const QString &office);

} // namespace servicetest
