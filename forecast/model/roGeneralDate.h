#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>

#include <optional>

namespace ro {

/// Day 0 of the classic date type (30 December 1899): a date/time on this day
/// is a time of day alone.
inline QDate ZeroDate()
{
    return QDate(1899, 12, 30);
}

/// General date text, Japanese form "yyyy/MM/dd H:mm:ss": the time is left out
/// at midnight, the date is left out on the zero date. An invalid date/time
/// (no date at all) gives empty text.
QString GeneralDateText(const QDateTime &dateTime);

/// Reads a date/time the way the platform's date parser does: "08 DEC 2006",
/// "DEC 08 2006", "2006/12/08", each optionally with "H:mm[:ss]" (and AM/PM),
/// or a time alone (on the zero date). Month names in any letter case.
std::optional<QDateTime> ParseDateTime(const QString &text);

/// The service's RFC-822-like date ("Fri, 08 Dec 2006 11:00:00 +0900") as a
/// date/time; the zone offset is cut off, not applied. Nothing when unreadable.
std::optional<QDateTime> NormalizeDateTime(const QString &text);

/// NormalizeDateTime as general date text, or "-" when unreadable.
QString NormalizeDate(const QString &text);

} // namespace ro
