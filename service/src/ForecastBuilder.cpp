#include "ForecastBuilder.h"

#include "CityTable.h"
#include "ForecastSource.h"
#include "JmaData.h"
#include "JstTime.h"
#include "Warnings.h"
#include "WeatherCodes.h"

#include <QLocale>

#include <algorithm>

namespace forecastd {

namespace {

const QString kJmaForecast = QStringLiteral("https://www.jma.go.jp/bosai/forecast/");
const QString kCredit = QStringLiteral("出典：気象庁ホームページ");

/// An overview belongs to a report when it was written for the same issue (a few minutes before it).
constexpr qint64 kOverviewPairingSecs = 6 * 3600;

bool isNumber(const QString &text)
{
    bool ok = false;
    text.trimmed().toDouble(&ok);
    return ok && !text.trimmed().isEmpty();
}

QString officeLink(const QString &office)
{
    return kJmaForecast + QStringLiteral("#area_type=offices&area_code=") + office;
}

/// The weekly area of a class10 among those the weekly report carries.
QString weeklyArea(const ForecastReport &report, const CityRef &city, const std::optional<CityInfo> &info)
{
    if (info) {
        for (const QString &candidate : info->weeklyAreas)
            if (report.weekly.contains(candidate))
                return candidate;
    }
    for (const QString &candidate : {city.class10, city.office})
        if (report.weekly.contains(candidate))
            return candidate;
    if (report.weekly.size() == 1)
        return report.weekly.begin().key();
    return {};
}

/// The short-range station of a class10: the table's first station the report carries, or the
/// station in the same position as the area when the table does not know it.
QString station(const ForecastReport &report, const CityRef &city, const std::optional<CityInfo> &info)
{
    if (info) {
        for (const QString &s : info->stations)
            if (report.temps.contains(s))
                return s;
        return {};
    }
    const qsizetype i = report.class10Order.indexOf(city.class10);
    if (i >= 0 && report.class10Order.size() == report.stationOrder.size())
        return report.stationOrder.at(i);
    return {};
}

QString weeklyStation(const ForecastReport &report, const std::optional<CityInfo> &info)
{
    if (!info)
        return {};
    for (const QStringList &list : {info->stations, info->weeklyStations})
        for (const QString &s : list)
            if (report.weeklyTemps.contains(s))
                return s;
    return {};
}

QString shortRangeTemp(const ForecastReport &report, const QString &stationCode, const QDate &date, int hour)
{
    for (const TimedValue &v : report.temps.value(stationCode))
        if (v.time.date() == date && v.time.time().hour() == hour && v.time.time().minute() == 0 && isNumber(v.value))
            return v.value.trimmed();
    return {};
}

const DayTemps *weeklyTemps(const ForecastReport &report, const QString &stationCode, const QDate &date)
{
    const auto it = report.weeklyTemps.constFind(stationCode);
    if (it == report.weeklyTemps.constEnd())
        return nullptr;
    for (const DayTemps &t : *it)
        if (t.date == date)
            return &t;
    return nullptr;
}

QString dayLabel(int index)
{
    static const QString labels[] = {QStringLiteral("今日"), QStringLiteral("明日"), QStringLiteral("明後日")};
    return labels[index];
}

/// The day's chance-of-rain slots that have a value.
std::vector<RainChance> rainChances(const ForecastReport &report, const QString &class10, const QDate &date)
{
    std::vector<RainChance> out;
    for (const TimedValue &v : report.pops.value(class10)) {
        if (v.time.date() != date || !isNumber(v.value))
            continue;
        const int start = v.time.time().hour();
        out.push_back({QStringLiteral("%1-%2").arg(start, 2, 10, QChar(u'0')).arg(start + 6, 2, 10, QChar(u'0')),
                       v.value.trimmed()});
    }
    return out;
}

/// 「降水確率 06-12時 20% 12-18時 30%」, empty without slots.
QString rainChanceLine(const std::vector<RainChance> &chances)
{
    if (chances.empty())
        return {};
    QStringList parts{QStringLiteral("降水確率")};
    for (const RainChance &r : chances)
        parts.append(QStringLiteral("%1時 %2%").arg(r.hours, r.percent));
    return parts.join(u' ');
}

QString rainChanceUnavailableNote()
{
    return QStringLiteral("降水確率を取得できませんでした");
}

QString overviewUnavailableNote()
{
    return QStringLiteral("天気概況を取得できませんでした");
}

/// The city's warnings as elements and lines, when the warning file is there, covers the city and is current.
void addWarnings(ForecastExtras &extras, QStringList &lines, const AreaTree &areas, const CityRef &city,
                 const OfficeResult &office, const WarningResult &warnings)
{
    QString error = warnings.error;
    const auto inForce =
        warnings.report ? CityWarnings::Gather(*warnings.report, areas, city.class10, error) : std::nullopt;
    if (!inForce) {
        if (warnings.report)
            qWarning("warnings of %s: %s", qPrintable(city.class10), qPrintable(error));
        lines.append(warningsUnavailableNote());
        return;
    }
    extras.warningsTime = inForce->reportTime;
    if (!WarningFreshness::Confirmed(warnings.confirmed, office.now) ||
        !WarningFreshness::AbreastOfForecast(inForce->reportTime, office.report->reportTime)) {
        extras.warningsStale = true;
        lines.append(warningsStaleNote(inForce->reportTime));
        return;
    }
    extras.warningsKnown = true;
    extras.warningsArea = areas.class10s.value(city.class10).name;
    for (const WarningInForce &w : inForce->inForce)
        extras.warnings.push_back(
            {w.kind.code, w.status, WarningCodes::ClassName(w.kind.warningClass), w.kind.name, w.partial});
    lines.append(inForce->Lines());
}

/// The warnings and chance of rain of a day: the elements, and the description's first lines.
ForecastExtras extrasOf(const AreaTree &areas, const CityRef &city, const OfficeResult &office,
                        const WarningResult &warnings, const QDate &date, QStringList &lines)
{
    ForecastExtras extras;
    addWarnings(extras, lines, areas, city, office, warnings);
    const ForecastReport &report = *office.report;
    extras.rainChanceKnown = report.popsError.isEmpty();
    extras.rainChances = rainChances(report, city.class10, date);
    const QString rain = extras.rainChanceKnown ? rainChanceLine(extras.rainChances) : rainChanceUnavailableNote();
    if (!rain.isEmpty())
        lines.append(rain);
    return extras;
}

} // namespace

bool ForecastBuilder::CarriesWarnings(const QString &dayWord)
{
    const auto index = DayIndex(dayWord);
    return index && *index < 2;
}

std::optional<int> ForecastBuilder::DayIndex(const QString &dayWord)
{
    if (dayWord == QLatin1String("today"))
        return 0;
    if (dayWord == QLatin1String("tomorrow"))
        return 1;
    if (dayWord == QLatin1String("dayaftertomorrow"))
        return 2;
    return std::nullopt;
}

std::variant<CityRef, ServiceError> ForecastBuilder::ResolveCity(const AreaTree &areas, const QString &cityParam)
{
    QString id = cityParam;
    const bool digits =
        !id.isEmpty() && std::all_of(id.begin(), id.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
    if (!digits || (id.size() != 5 && id.size() != 6))
        return ServiceError{400, QStringLiteral("city must be a 6-digit area code")};
    if (id.size() == 5)
        id.prepend(u'0');
    const auto c10 = areas.class10s.constFind(id);
    if (c10 == areas.class10s.constEnd())
        return ServiceError{404, QStringLiteral("unknown city %1").arg(id)};
    CityRef ref;
    ref.class10 = id;
    ref.office = c10->parent;
    ref.fileOffice = forecastFileOffice(ref.office);
    const auto office = areas.offices.constFind(ref.office);
    if (office == areas.offices.constEnd())
        return ServiceError{502, QStringLiteral("area data: no office %1 for city %2").arg(ref.office, id)};
    ref.center = office->parent;
    return ref;
}

QString ForecastBuilder::CityTitle(const AreaTree &areas, const QString &class10)
{
    if (const auto info = CityTable::Lookup(class10))
        return info->title;
    return areas.class10s.value(class10).name;
}

QString ForecastBuilder::Fahrenheit(const QString &celsius)
{
    bool ok = false;
    const double c = celsius.trimmed().toDouble(&ok);
    if (!ok || celsius.trimmed().isEmpty())
        return {};
    return QString::number(c * 9.0 / 5.0 + 32.0, 'f', 1);
}

std::variant<ForecastDocument, ServiceError> ForecastBuilder::Build(const AreaTree &areas, const CityRef &city,
                                                                    const OfficeResult &office,
                                                                    const WarningResult &warnings,
                                                                    const QString &dayWord, const QString &baseUrl)
{
    const ForecastReport &report = *office.report;
    const Overview *overview = office.overview.get();
    const QDateTime &now = office.now;
    const auto dayIndex = DayIndex(dayWord);
    if (!dayIndex)
        return ServiceError{400, QStringLiteral("day must be today, tomorrow or dayaftertomorrow")};
    const QDate date = JstTime::toJst(now).date().addDays(*dayIndex);
    const auto info = CityTable::Lookup(city.class10);

    // Weather: the short-range entry of that date, else the weekly one (which has no text).
    QString code;
    QString weatherText;
    for (const DayWeather &d : report.weather.value(city.class10)) {
        if (d.date == date) {
            code = d.code;
            weatherText = d.text;
            break;
        }
    }
    if (code.isEmpty()) {
        const QString week = weeklyArea(report, city, info);
        for (const DayWeather &d : report.weekly.value(week)) {
            if (d.date == date && !d.code.isEmpty()) {
                code = d.code;
                break;
            }
        }
    }
    if (code.isEmpty())
        return ServiceError{
            503, QStringLiteral("no forecast for %1 on %2 in the report of %3")
                     .arg(city.class10, date.toString(Qt::ISODate), report.reportTime.toString(Qt::ISODate))};
    const auto weather = WeatherCodes::Lookup(code);
    if (!weather)
        return ServiceError{502, QStringLiteral("unknown weather code %1").arg(code)};

    // Temperatures: maximum at 09:00, minimum at 00:00 of the date (not on the issue day, where
    // JMA's 00:00 entry repeats the maximum); the weekly report fills what is missing.
    const QString st = station(report, city, info);
    QString maxC = st.isEmpty() ? QString() : shortRangeTemp(report, st, date, 9);
    QString minC = (st.isEmpty() || date == report.reportTime.date()) ? QString() : shortRangeTemp(report, st, date, 0);
    if (maxC.isEmpty() || minC.isEmpty()) {
        if (const DayTemps *w = weeklyTemps(report, weeklyStation(report, info), date)) {
            if (maxC.isEmpty() && isNumber(w->max))
                maxC = w->max.trimmed();
            if (minC.isEmpty() && isNumber(w->min))
                minC = w->min.trimmed();
        }
    }

    ForecastDocument doc;
    doc.author = report.publishingOffice;
    doc.area = areas.centers.value(city.center).name;
    doc.pref = areas.offices.value(city.office).name;
    doc.city = CityTitle(areas, city.class10);
    doc.title = QStringLiteral("%1 %2 - %3の天気").arg(doc.pref, doc.city, dayLabel(*dayIndex));
    doc.link = officeLink(city.office);
    doc.forecastday = dayWord;
    doc.forecastdate = JstTime::startOfDay(date);
    doc.day = JstTime::weekdayName(date);
    doc.publictime = report.reportTime;
    doc.telop = weather->telop;

    QStringList parts;
    if (!weatherText.isEmpty()) {
        QString text = weatherText;
        text.replace(QChar(0x3000), u' ');
        parts.append(QStringLiteral("%1 %2（%3）: %4")
                         .arg(doc.city, dayLabel(*dayIndex), QLocale::c().toString(date, QStringLiteral("M/d")),
                              text.simplified()));
    }
    if (overview && qAbs(overview->reportTime.secsTo(report.reportTime)) <= kOverviewPairingSecs) {
        if (!overview->headline.isEmpty())
            parts.append(overview->headline);
        parts.append(overview->text);
    } else if (!overview && !office.overviewError.isEmpty()) {
        parts.append(overviewUnavailableNote());
    }
    parts.append(kCredit);
    doc.description = parts.join(QStringLiteral("\n\n"));
    // What matters most comes first: the pop-up shows only the first few lines.
    if (CarriesWarnings(dayWord)) {
        QStringList lines;
        doc.extras = extrasOf(areas, city, office, warnings, date, lines);
        lines.append(doc.description);
        doc.description = lines.join(u'\n');
    }

    doc.imageTitle = weather->telop;
    doc.imageLink = doc.link;
    doc.imageUrl = baseUrl + QStringLiteral("/forecast/img/") + weather->icon + QStringLiteral(".png");
    doc.imageWidth = kIconWidth;
    doc.imageHeight = kIconHeight;
    doc.maxCelsius = maxC;
    doc.maxFahrenheit = Fahrenheit(maxC);
    doc.minCelsius = minC;
    doc.minFahrenheit = Fahrenheit(minC);

    for (const QString &c20 : areas.Class20sOf(city.class10))
        doc.pinpoints.push_back({areas.class20s.value(c20).name,
                                 kJmaForecast + QStringLiteral("#area_type=class20s&area_code=") + c20,
                                 report.reportTime});
    return doc;
}

} // namespace forecastd
