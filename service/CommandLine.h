#pragma once

#include "ForecastService.h"

#include <QDateTime>
#include <QString>

#include <memory>
#include <variant>

class QCoreApplication;

namespace forecastd {

class ForecastSource;

/// What the service was asked to do, from its command line.
struct CommandLine {
    ForecastService::Options service;
    QString offlineDir;   ///< serve files from here; empty: fetch from upstream
    QDateTime asOf;       ///< with offlineDir: newest reports issued at or before this (invalid: all)
    QString upstream;     ///< JMA's base URL, no trailing slash
    QString iconsDir;     ///< write the icons here and exit, when set
    QString accessLog;    ///< one line per request here, when set
    int exitIdleSecs = 0; ///< end after this long without a request; 0: never
};

/// Reads the command line of `app` (--help and --version exit here). A bad value is reported on stderr
/// and gives the exit status instead.
std::variant<CommandLine, int> ParseCommandLine(const QCoreApplication &app);

/// The data source the command line names; null (reported on stderr, `status` set) when it cannot be had.
std::shared_ptr<ForecastSource> OpenSource(const CommandLine &line, int &status);

} // namespace forecastd
