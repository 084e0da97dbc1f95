#include "JstTime.h"

#include <QLocale>

#include <array>

namespace forecastd::JstTime {

namespace {
constexpr int kJstOffset = 9 * 3600;
constexpr std::array<int, 3> kIssueHours = {5, 11, 17};
} // namespace

QTimeZone zone()
{
    return QTimeZone(kJstOffset);
}

QDateTime toJst(const QDateTime &t)
{
    return t.toTimeZone(zone());
}

QDateTime startOfDay(const QDate &d)
{
    return QDateTime(d, QTime(0, 0), zone());
}

QDateTime parseIso(const QString &text)
{
    // Only the full form with an explicit offset: a zone-less time would be read in the host's zone.
    if (text.size() < 20 ||
        !(text.endsWith(u'Z') || text.at(text.size() - 6) == u'+' || text.at(text.size() - 6) == u'-'))
        return {};
    const QDateTime t = QDateTime::fromString(text, Qt::ISODate);
    return t.isValid() ? toJst(t) : QDateTime();
}

QString rfc822(const QDateTime &t)
{
    const QDateTime j = toJst(t);
    return QLocale::c().toString(j, QStringLiteral("ddd, dd MMM yyyy HH:mm:ss")) + QStringLiteral(" +0900");
}

QString weekdayName(const QDate &d)
{
    return QLocale::c().dayName(d.dayOfWeek(), QLocale::LongFormat);
}

QDateTime nextIssueTime(const QDateTime &t)
{
    const QDateTime j = toJst(t);
    for (int day = 0; day < 2; ++day) {
        for (int hour : kIssueHours) {
            const QDateTime candidate(j.date().addDays(day), QTime(hour, 0), zone());
            if (candidate > j)
                return candidate;
        }
    }
    return {};
}

QDateTime lastIssueTime(const QDateTime &t)
{
    const QDateTime j = toJst(t);
    for (int day = 0; day < 2; ++day) {
        for (auto it = kIssueHours.rbegin(); it != kIssueHours.rend(); ++it) {
            const QDateTime candidate(j.date().addDays(-day), QTime(*it, 0), zone());
            if (candidate <= j)
                return candidate;
        }
    }
    return {};
}

} // namespace forecastd::JstTime
