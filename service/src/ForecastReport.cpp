#include "JmaData.h"

#include "JmaJson.h"

namespace forecastd {

using namespace jmajson;

namespace {

/// A string array of the same length as timeDefines.
QStringList parallel(const QJsonObject &area, const QString &key, qsizetype length, const QString &where)
{
    const QJsonArray a = array(member(area, key, where), where + u'.' + key);
    if (a.size() != length)
        throw BadData{QStringLiteral("%1.%2: %3 values for %4 times").arg(where, key).arg(a.size()).arg(length)};
    QStringList out;
    for (const QJsonValue &v : a)
        out.append(string(v, where + u'.' + key));
    return out;
}

struct Series {
    std::vector<QDateTime> times;
    QJsonArray areas;
};

Series series(const QJsonArray &timeSeries, int index, const QString &where)
{
    const QString w = QStringLiteral("%1.timeSeries[%2]").arg(where).arg(index);
    const QJsonObject ts = object(timeSeries.at(index), w);
    Series s;
    for (const QJsonValue &t : array(member(ts, QStringLiteral("timeDefines"), w), w + QStringLiteral(".timeDefines")))
        s.times.push_back(isoTime(t, w + QStringLiteral(".timeDefines")));
    s.areas = array(member(ts, QStringLiteral("areas"), w), w + QStringLiteral(".areas"));
    return s;
}

/// area.code and area.name of one entry of a series.
std::pair<QString, QString> areaOf(const QJsonObject &entry, const QString &where)
{
    const QJsonObject area = object(member(entry, QStringLiteral("area"), where), where + QStringLiteral(".area"));
    const QString code = string(member(area, QStringLiteral("code"), where + QStringLiteral(".area")), where);
    if (code.isEmpty())
        throw BadData{where + QStringLiteral(": empty area code")};
    return {code, area.value(QStringLiteral("name")).toString()};
}

/// The pops series of the short-range report: class10 -> values by time (areas without pops are left out).
QHash<QString, std::vector<TimedValue>> chancesOfRain(const Series &pops)
{
    QHash<QString, std::vector<TimedValue>> out;
    const QString w = QStringLiteral("report[0].timeSeries[1].areas");
    for (const QJsonValue &v : pops.areas) {
        const QJsonObject entry = object(v, w);
        if (!entry.contains(QStringLiteral("pops")))
            continue;
        const auto [code, name] = areaOf(entry, w);
        const QStringList values = parallel(entry, QStringLiteral("pops"), qsizetype(pops.times.size()), w);
        std::vector<TimedValue> list;
        for (qsizetype i = 0; i < values.size(); ++i)
            list.push_back({pops.times[size_t(i)], values[i]});
        out.insert(code, std::move(list));
    }
    return out;
}

} // namespace

std::shared_ptr<const ForecastReport> ForecastReport::Parse(const QByteArray &json, QString &error)
{
    try {
        const QJsonDocument doc = parseJson(json);
        if (!doc.isArray() || doc.array().isEmpty())
            throw BadData{QStringLiteral("forecast: not an array of reports")};
        const QJsonArray reports = doc.array();
        auto out = std::make_shared<ForecastReport>();

        // The short-range report: weather per class10, temperatures per station.
        const QJsonObject r0 = object(reports.at(0), QStringLiteral("report[0]"));
        out->publishingOffice = string(member(r0, QStringLiteral("publishingOffice"), QStringLiteral("report[0]")),
                                       QStringLiteral("publishingOffice"));
        out->reportTime = isoTime(member(r0, QStringLiteral("reportDatetime"), QStringLiteral("report[0]")),
                                  QStringLiteral("report[0].reportDatetime"));
        const QJsonArray ts0 = array(member(r0, QStringLiteral("timeSeries"), QStringLiteral("report[0]")),
                                     QStringLiteral("report[0].timeSeries"));
        if (ts0.isEmpty())
            throw BadData{QStringLiteral("report[0]: no time series")};
        const Series weather = series(ts0, 0, QStringLiteral("report[0]"));
        for (const QJsonValue &v : weather.areas) {
            const QString w = QStringLiteral("report[0].timeSeries[0].areas");
            const QJsonObject entry = object(v, w);
            const auto [code, name] = areaOf(entry, w);
            const qsizetype n = qsizetype(weather.times.size());
            const QStringList codes = parallel(entry, QStringLiteral("weatherCodes"), n, w);
            const QStringList texts = entry.contains(QStringLiteral("weathers"))
                                          ? parallel(entry, QStringLiteral("weathers"), n, w)
                                          : QStringList(n, QString());
            std::vector<DayWeather> days;
            for (qsizetype i = 0; i < n; ++i)
                days.push_back({weather.times[size_t(i)].date(), codes[i], texts[i]});
            out->weather.insert(code, std::move(days));
            out->class10Order.append(code);
        }
        if (out->weather.isEmpty())
            throw BadData{QStringLiteral("report[0]: no areas")};
        if (ts0.size() > 1) {
            try {
                out->pops = chancesOfRain(series(ts0, 1, QStringLiteral("report[0]")));
            } catch (const BadData &bad) {
                out->popsError = bad.what;
            }
        }
        if (ts0.size() > 2) {
            const Series temps = series(ts0, 2, QStringLiteral("report[0]"));
            for (const QJsonValue &v : temps.areas) {
                const QString w = QStringLiteral("report[0].timeSeries[2].areas");
                const QJsonObject entry = object(v, w);
                const auto [code, name] = areaOf(entry, w);
                const QStringList values = parallel(entry, QStringLiteral("temps"), qsizetype(temps.times.size()), w);
                std::vector<TimedValue> list;
                for (qsizetype i = 0; i < values.size(); ++i)
                    list.push_back({temps.times[size_t(i)], values[i]});
                out->temps.insert(code, std::move(list));
                out->stationOrder.append(code);
                out->stationNames.insert(code, name);
            }
        }

        // The weekly report, when the file carries one.
        if (reports.size() > 1) {
            const QJsonObject r1 = object(reports.at(1), QStringLiteral("report[1]"));
            out->weeklyReportTime = isoTime(member(r1, QStringLiteral("reportDatetime"), QStringLiteral("report[1]")),
                                            QStringLiteral("report[1].reportDatetime"));
            const QJsonArray ts1 = array(member(r1, QStringLiteral("timeSeries"), QStringLiteral("report[1]")),
                                         QStringLiteral("report[1].timeSeries"));
            if (!ts1.isEmpty()) {
                const Series week = series(ts1, 0, QStringLiteral("report[1]"));
                for (const QJsonValue &v : week.areas) {
                    const QString w = QStringLiteral("report[1].timeSeries[0].areas");
                    const QJsonObject entry = object(v, w);
                    const auto [code, name] = areaOf(entry, w);
                    const QStringList codes =
                        parallel(entry, QStringLiteral("weatherCodes"), qsizetype(week.times.size()), w);
                    std::vector<DayWeather> days;
                    for (qsizetype i = 0; i < codes.size(); ++i)
                        days.push_back({week.times[size_t(i)].date(), codes[i], QString()});
                    out->weekly.insert(code, std::move(days));
                }
            }
            if (ts1.size() > 1) {
                const Series temps = series(ts1, 1, QStringLiteral("report[1]"));
                for (const QJsonValue &v : temps.areas) {
                    const QString w = QStringLiteral("report[1].timeSeries[1].areas");
                    const QJsonObject entry = object(v, w);
                    const auto [code, name] = areaOf(entry, w);
                    const qsizetype n = qsizetype(temps.times.size());
                    const QStringList mins = parallel(entry, QStringLiteral("tempsMin"), n, w);
                    const QStringList maxs = parallel(entry, QStringLiteral("tempsMax"), n, w);
                    std::vector<DayTemps> days;
                    for (qsizetype i = 0; i < n; ++i)
                        days.push_back({temps.times[size_t(i)].date(), mins[i], maxs[i]});
                    out->weeklyTemps.insert(code, std::move(days));
                    if (!out->stationNames.contains(code))
                        out->stationNames.insert(code, name);
                }
            }
        }
        return out;
    } catch (const BadData &bad) {
        error = bad.what;
        return nullptr;
    }
}

} // namespace forecastd
