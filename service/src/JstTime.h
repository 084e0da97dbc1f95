#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTimeZone>

/// Time helpers of the forecast service: JMA works in Japan Standard Time, whatever the host's zone.
namespace forecastd::JstTime {

/// UTC+09:00 without daylight saving.
QTimeZone zone();

/// The instant in JST.
QDateTime toJst(const QDateTime &t);

/// Midnight JST of a date.
QDateTime startOfDay(const QDate &d);

/// Parses JMA's ISO 8601 text ("2026-01-05T17:00:00+09:00"); invalid when it is not one.
QDateTime parseIso(const QString &text);

/// The date form the program parses: "Mon, 05 Jan 2026 17:00:00 +0900" (English names, JST).
QString rfc822(const QDateTime &t);

/// English weekday name ("Monday").
QString weekdayName(const QDate &d);

/// The first of JMA's issue times (05:00, 11:00, 17:00 JST) strictly after t.
QDateTime nextIssueTime(const QDateTime &t);

/// The last issue time at or before t.
QDateTime lastIssueTime(const QDateTime &t);

} // namespace forecastd::JstTime
