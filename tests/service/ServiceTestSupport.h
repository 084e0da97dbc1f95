#pragma once

#include "TestPaths.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <memory>

class cWeather;
class cAreas;

/// Skips the current test, with a clear message, when the JMA fixture folder is not there.
#define REQUIRE_FIXTURES()                                                                                             \
    do {                                                                                                               \
        if (servicetest::jmaFixtures().isEmpty())                                                                      \
            GTEST_SKIP() << "JMA fixtures not found at " SKYCASTER_JMA_FIXTURES                                        \
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
};

/// Parses a forecast document the way the program does (a temporary file and GetWeather).
ParsedWeather parseWeather(const QByteArray &document);

/// Parses an area list the way the program does; null when GetArea refused it or dropped it.
std::shared_ptr<cAreas> parseAreas(const QByteArray &document, int *messageBoxes = nullptr);

/// A file's bytes; fails the test when it cannot be read.
QByteArray fixture(const QString &relative);

/// JST time from ISO text ("2026-01-05T18:00:00+09:00").
QDateTime jst(const char *iso);

} // namespace servicetest
