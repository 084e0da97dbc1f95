#include "RefreshScheduler.h"

namespace RefreshScheduler {
namespace {

const QString kStoredFormat = QStringLiteral("yyyy/MM/dd HH:mm:ss");
const QString kMinuteFormat = QStringLiteral("yyyyMMddHHmm");

QDateTime truncatedToMinute(const QDateTime &time)
{
    QDateTime result = time;
    result.setTime(QTime(time.time().hour(), time.time().minute()));
    return result;
}

} // namespace

QString FormatAccessDate(const QDateTime &time)
{
    return time.toString(kStoredFormat);
}

std::optional<QDateTime> ParseAccessDate(const QString &text)
{
    // Hand-edited files may drop the seconds or pad the hour with a blank.
    const QString trimmed = text.trimmed();
    for (const auto &format : {kStoredFormat, QStringLiteral("yyyy/MM/dd H:mm:ss"), QStringLiteral("yyyy/MM/dd HH:mm"),
                               QStringLiteral("yyyy/MM/dd")}) {
        QDateTime parsed = QDateTime::fromString(trimmed, format);
        if (parsed.isValid())
            return parsed;
    }
    return std::nullopt;
}

qint64 MinuteBoundaries(const QDateTime &from, const QDateTime &to)
{
    return truncatedToMinute(from).secsTo(truncatedToMinute(to)) / 60;
}

TickDecision DecideTick(const QDateTime &now, const QString &lastAccessDate, int span, int popupState)
{
    if (popupState != 0)
        return TickDecision::PopupOpen;
    const auto last = ParseAccessDate(lastAccessDate);
    // An unreadable last access cannot be compared: the retrieval runs and writes a good one.
    if (!last)
        return TickDecision::Retrieve;
    if (last->toString(kMinuteFormat) == now.toString(kMinuteFormat))
        return TickDecision::SameMinute;
    // Absolute, so a clock set back behaves like one set forward.
    const bool fixedMinute = now.time().minute() == FixedMinute;
    const bool intervalPassed = std::abs(MinuteBoundaries(*last, now)) > span;
    return fixedMinute || intervalPassed ? TickDecision::Retrieve : TickDecision::NotDue;
}

QString BackdatedAccessDate(const QDateTime &now, int span)
{
    return FormatAccessDate(now.addSecs(-60LL * (static_cast<qint64>(span) + 1)));
}

} // namespace RefreshScheduler
