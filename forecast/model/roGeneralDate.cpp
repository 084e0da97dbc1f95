#include "roGeneralDate.h"

#include <QStringList>
#include <QVarLengthArray>

#include <array>

namespace ro {
namespace {

bool isAllDigits(QStringView s)
{
    if (s.isEmpty())
        return false;
    for (QChar c : s) {
        if (c < u'0' || c > u'9')
            return false;
    }
    return true;
}

// The value of a short run of ASCII digits (already checked by the caller).
int digitsValue(QStringView digits)
{
    int value = 0;
    for (QChar c : digits)
        value = value * 10 + (c.unicode() - u'0');
    return value;
}

using Tokens = QVarLengthArray<QStringView, 8>;

// 1..12 for an English month name or its three-letter abbreviation (any
// letter case), else 0.
int monthOf(QStringView token)
{
    static constexpr std::array<QLatin1StringView, 12> names = {
        QLatin1StringView("JANUARY"), QLatin1StringView("FEBRUARY"), QLatin1StringView("MARCH"),
        QLatin1StringView("APRIL"),   QLatin1StringView("MAY"),      QLatin1StringView("JUNE"),
        QLatin1StringView("JULY"),    QLatin1StringView("AUGUST"),   QLatin1StringView("SEPTEMBER"),
        QLatin1StringView("OCTOBER"), QLatin1StringView("NOVEMBER"), QLatin1StringView("DECEMBER")};
    if (token.size() < 3)
        return 0;
    for (std::size_t i = 0; i < names.size(); ++i) {
        const QLatin1StringView name = names[i];
        if (token.compare(name, Qt::CaseInsensitive) == 0 || token.compare(name.left(3), Qt::CaseInsensitive) == 0)
            return static_cast<int>(i) + 1;
    }
    return token.compare(QLatin1StringView("SEPT"), Qt::CaseInsensitive) == 0 ? 9 : 0;
}

// "H:mm" or "H:mm:ss"; hours 0-23.
std::optional<QTime> timeOf(QStringView token)
{
    const QList<QStringView> parts = token.split(u':');
    if (parts.size() < 2 || parts.size() > 3)
        return std::nullopt;
    for (int i = 0; i < parts.size(); ++i) {
        if (!isAllDigits(parts[i]) || parts[i].size() > 2 || (i > 0 && parts[i].size() != 2))
            return std::nullopt;
    }
    const int h = digitsValue(parts[0]);
    const int m = digitsValue(parts[1]);
    const int s = parts.size() == 3 ? digitsValue(parts[2]) : 0;
    if (h > 23 || m > 59 || s > 59)
        return std::nullopt;
    return QTime(h, m, s);
}

std::optional<QDate> dateOf(int year, int month, int day)
{
    if (year < 100 || year > 9999)
        return std::nullopt;
    const QDate date(year, month, day);
    if (!date.isValid())
        return std::nullopt;
    return date;
}

int dayOf(QStringView token)
{
    return isAllDigits(token) && token.size() <= 2 ? digitsValue(token) : 0;
}

int yearOf(QStringView token)
{
    return isAllDigits(token) && token.size() == 4 ? digitsValue(token) : 0;
}

// Tokens are views into the text being parsed.
std::optional<QDate> dateFromTokens(const Tokens &tokens)
{
    if (tokens.size() == 1) {
        const QList<QStringView> parts = tokens[0].split(u'/');
        if (parts.size() != 3 || !isAllDigits(parts[1]) || !isAllDigits(parts[2]) || parts[1].size() > 2)
            return std::nullopt;
        const int year = yearOf(parts[0]);
        const int day = dayOf(parts[2]);
        if (year == 0 || day == 0)
            return std::nullopt;
        return dateOf(year, digitsValue(parts[1]), day);
    }
    if (tokens.size() != 3)
        return std::nullopt;
    if (int month = monthOf(tokens[1]); month != 0) { // 08 DEC 2006
        const int day = dayOf(tokens[0]);
        const int year = yearOf(tokens[2]);
        return day && year ? dateOf(year, month, day) : std::nullopt;
    }
    if (int month = monthOf(tokens[0]); month != 0) { // DEC 08 2006
        const int day = dayOf(tokens[1]);
        const int year = yearOf(tokens[2]);
        return day && year ? dateOf(year, month, day) : std::nullopt;
    }
    return std::nullopt;
}

std::optional<QDateTime> parseDateTime(QStringView view);

} // namespace

QString GeneralDateText(const QDateTime &dateTime)
{
    if (!dateTime.isValid())
        return {};
    const QDate date = dateTime.date();
    const QTime time = dateTime.time();
    const bool withDate = date != ZeroDate();
    const bool withTime = !withDate || time.hour() != 0 || time.minute() != 0 || time.second() != 0;
    const int year = date.year();
    if (withDate && (year < 1000 || year > 9999)) {
        // Rare: let the calendar pad or sign the year.
        const QString dateText = date.toString(QStringLiteral("yyyy/MM/dd"));
        return withTime ? dateText + u' ' + time.toString(QStringLiteral("H:mm:ss")) : dateText;
    }
    // Written by hand: this runs for every date of every document read.
    char16_t buffer[20];
    qsizetype n = 0;
    auto two = [&](int v) {
        buffer[n++] = char16_t(u'0' + v / 10);
        buffer[n++] = char16_t(u'0' + v % 10);
    };
    if (withDate) {
        two(year / 100);
        two(year % 100);
        buffer[n++] = u'/';
        two(date.month());
        buffer[n++] = u'/';
        two(date.day());
    }
    if (withTime) {
        if (withDate)
            buffer[n++] = u' ';
        if (time.hour() >= 10)
            buffer[n++] = char16_t(u'0' + time.hour() / 10);
        buffer[n++] = char16_t(u'0' + time.hour() % 10);
        buffer[n++] = u':';
        two(time.minute());
        buffer[n++] = u':';
        two(time.second());
    }
    return QString(reinterpret_cast<const QChar *>(buffer), n);
}

std::optional<QDateTime> ParseDateTime(const QString &text)
{
    return parseDateTime(text);
}

namespace {

std::optional<QDateTime> parseDateTime(QStringView view)
{
    Tokens tokens;
    qsizetype start = -1;
    for (qsizetype i = 0; i <= view.size(); ++i) {
        const bool separator = i == view.size() || view[i].isSpace() || view[i] == u',';
        if (separator && start >= 0) {
            tokens.append(view.mid(start, i - start));
            start = -1;
        } else if (!separator && start < 0) {
            start = i;
        }
    }
    std::optional<QTime> time;
    bool pm = false;
    bool meridiem = false;
    Tokens dateTokens;
    for (const QStringView token : tokens) {
        const bool am = token.compare(QLatin1StringView("AM"), Qt::CaseInsensitive) == 0;
        const bool pmToken = token.compare(QLatin1StringView("PM"), Qt::CaseInsensitive) == 0;
        if (token.contains(u':')) {
            if (time)
                return std::nullopt;
            time = timeOf(token);
            if (!time)
                return std::nullopt;
        } else if (am || pmToken) {
            if (meridiem || !time)
                return std::nullopt;
            meridiem = true;
            pm = pmToken;
        } else {
            dateTokens.append(token);
        }
    }
    if (meridiem) {
        int hour = time->hour();
        if (hour < 1 || hour > 12)
            return std::nullopt;
        hour = (hour % 12) + (pm ? 12 : 0);
        time = QTime(hour, time->minute(), time->second());
    }
    std::optional<QDate> date;
    if (dateTokens.isEmpty()) {
        if (!time)
            return std::nullopt;
        date = ZeroDate();
    } else {
        date = dateFromTokens(dateTokens);
        if (!date)
            return std::nullopt;
    }
    // Naive local date/time: no zone, so no daylight-saving gaps can move it.
    return QDateTime(*date, time.value_or(QTime(0, 0)), Qt::UTC);
}

} // namespace

std::optional<QDateTime> NormalizeDateTime(const QString &text)
{
    // The usual case without a copy: ASCII text, at most a leading day name
    // with its comma and no other comma. Upper case would change nothing for
    // the parser there, and no other day name can be removed.
    QStringView view(text);
    qsizetype zone = view.indexOf(u'+');
    if (zone < 0)
        zone = view.indexOf(u'-');
    if (zone >= 0)
        view.truncate(zone);
    bool ascii = true;
    for (QChar c : view)
        ascii = ascii && c.unicode() < 0x80;
    if (ascii) {
        QStringView rest = view;
        while (!rest.isEmpty() && rest.front().isSpace())
            rest = rest.mid(1);
        static constexpr QLatin1StringView days[] = {
            QLatin1StringView("SUN,"), QLatin1StringView("MON,"), QLatin1StringView("TUE,"), QLatin1StringView("WED,"),
            QLatin1StringView("THU,"), QLatin1StringView("FRI,"), QLatin1StringView("SAT,")};
        for (const QLatin1StringView day : days) {
            if (rest.startsWith(day, Qt::CaseInsensitive)) {
                rest = rest.mid(day.size());
                break;
            }
        }
        if (!rest.contains(u','))
            return parseDateTime(rest);
    }
    QString s = text;
    qsizetype cut = s.indexOf(u'+');
    if (cut < 0)
        cut = s.indexOf(u'-');
    if (cut >= 0)
        s.truncate(cut);
    s = s.toUpper();
    for (const char *day : {"SUN,", "MON,", "TUE,", "WED,", "THU,", "FRI,", "SAT,"})
        s.remove(QLatin1String(day), Qt::CaseSensitive);
    return ParseDateTime(s.trimmed());
}

QString NormalizeDate(const QString &text)
{
    const auto dateTime = NormalizeDateTime(text);
    return dateTime ? GeneralDateText(*dateTime) : QStringLiteral("-");
}

} // namespace ro
