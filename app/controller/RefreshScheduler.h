#pragma once

#include <QDateTime>
#include <QString>

#include <optional>

/// What one tick of the refresh timer decides.
enum class TickDecision {
    PopupOpen,  ///< a pop-up is opening, shown or closing: nothing happens
    SameMinute, ///< the last automatic retrieval was in this calendar minute
    NotDue,     ///< neither the fixed minute nor the interval has come
    Retrieve,   ///< run the retrieval cycle now
};

/// The refresh timer's decision, free of widgets and of the real clock.
namespace RefreshScheduler {

/// Every hour a retrieval is due during this minute, whatever the interval.
inline constexpr int FixedMinute = 10;

/// The stored form of `LastAccessDate`: "yyyy/mm/dd hh:nn:ss".
QString FormatAccessDate(const QDateTime &time);

/// Reads `LastAccessDate`; nothing when the text is not such a date.
std::optional<QDateTime> ParseAccessDate(const QString &text);

/// Minute boundaries crossed from `from` to `to` (seconds ignored); negative when `to` is earlier.
qint64 MinuteBoundaries(const QDateTime &from, const QDateTime &to);

/// The decision of one tick at `now`, given the stored last access text, `Span` and the pop-up's state.
TickDecision DecideTick(const QDateTime &now, const QString &lastAccessDate, int span, int popupState);

/// `LastAccessDate` as start-up writes it: `Span` + 1 minutes before now, so the first tick retrieves.
QString BackdatedAccessDate(const QDateTime &now, int span);

} // namespace RefreshScheduler
