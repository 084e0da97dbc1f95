#include "JmaData.h"

#include "JstTime.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>

namespace forecastd {

namespace {

/// Thrown inside the parsers only; turned into an error text at their boundary.
struct BadData {
    QString what;
};

QJsonDocument parseJson(const QByteArray &json)
{
    QJsonParseError err{};
    QJsonDocument doc = QJsonDocument::fromJson(json, &err);
    if (err.error != QJsonParseError::NoError)
        throw BadData{QStringLiteral("JSON: %1 at %2").arg(err.errorString()).arg(err.offset)};
    return doc;
}

QJsonValue member(const QJsonObject &o, const QString &key, const QString &where)
{
    const auto it = o.find(key);
    if (it == o.end())
        throw BadData{QStringLiteral("%1: no \"%2\"").arg(where, key)};
    return *it;
}

QJsonObject object(const QJsonValue &v, const QString &where)
{
    if (!v.isObject())
        throw BadData{QStringLiteral("%1: not an object").arg(where)};
    return v.toObject();
}

QJsonArray array(const QJsonValue &v, const QString &where)
{
    if (!v.isArray())
        throw BadData{QStringLiteral("%1: not an array").arg(where)};
    return v.toArray();
}

QString string(const QJsonValue &v, const QString &where)
{
    if (!v.isString())
        throw BadData{QStringLiteral("%1: not a string").arg(where)};
    return v.toString();
}

QDateTime isoTime(const QJsonValue &v, const QString &where)
{
    const QDateTime t = JstTime::parseIso(string(v, where));
    if (!t.isValid())
        throw BadData{QStringLiteral("%1: not an ISO 8601 time").arg(where)};
    return t;
}

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

QHash<QString, AreaNode> level(const QJsonObject &root, const QString &key, bool required)
{
    QHash<QString, AreaNode> out;
    if (!root.contains(key)) {
        if (required)
            throw BadData{QStringLiteral("area.json: no \"%1\"").arg(key)};
        return out;
    }
    const QJsonObject map = object(root.value(key), key);
    for (auto it = map.begin(); it != map.end(); ++it) {
        const QString w = key + u'.' + it.key();
        const QJsonObject o = object(it.value(), w);
        AreaNode node;
        node.name = string(member(o, QStringLiteral("name"), w), w + QStringLiteral(".name"));
        node.parent = o.value(QStringLiteral("parent")).toString();
        for (const QJsonValue &c : o.value(QStringLiteral("children")).toArray())
            node.children.append(string(c, w + QStringLiteral(".children")));
        out.insert(it.key(), node);
    }
    return out;
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

/// The entries of one area: [{"code":"14","status":"継続"}, {"status":"発表警報・注意報はなし"}].
std::vector<WarningEntry> warningEntries(const QJsonArray &list, const QString &where)
{
    std::vector<WarningEntry> out;
    for (const QJsonValue &v : list) {
        const QJsonObject o = object(v, where);
        WarningEntry e;
        e.status = string(member(o, QStringLiteral("status"), where), where + QStringLiteral(".status"));
        if (o.contains(QStringLiteral("code")))
            e.code = string(o.value(QStringLiteral("code")), where + QStringLiteral(".code"));
        out.push_back(e);
    }
    return out;
}

/// Adds one area's entries; an area may come in several lists (class levels, bulletin types).
void addArea(WarningReport &report, const QJsonObject &area, const QString &codeKey, const QString &listKey,
             const QString &where)
{
    const QString code = string(member(area, codeKey, where), where + u'.' + codeKey);
    if (code.isEmpty())
        throw BadData{where + QStringLiteral(": empty area code")};
    const auto entries = warningEntries(array(member(area, listKey, where), where + u'.' + listKey), where);
    auto &list = report.areas[code];
    list.insert(list.end(), entries.begin(), entries.end());
}

/// The old format: {"reportDatetime", "publishingOffice", "areaTypes": [{"areas": [{"code", "warnings"}]}]}.
void parseOldWarnings(const QJsonObject &root, WarningReport &out)
{
    const QString w = QStringLiteral("warning");
    out.reportTime = isoTime(member(root, QStringLiteral("reportDatetime"), w), w + QStringLiteral(".reportDatetime"));
    out.publishingOffice = root.value(QStringLiteral("publishingOffice")).toString();
    const QJsonArray types = array(member(root, QStringLiteral("areaTypes"), w), w + QStringLiteral(".areaTypes"));
    for (qsizetype t = 0; t < types.size(); ++t) {
        const QString wt = QStringLiteral("warning.areaTypes[%1]").arg(t);
        const QJsonObject type = object(types.at(t), wt);
        for (const QJsonValue &a : array(member(type, QStringLiteral("areas"), wt), wt + QStringLiteral(".areas")))
            addArea(out, object(a, wt + QStringLiteral(".areas")), QStringLiteral("code"), QStringLiteral("warnings"),
                    wt + QStringLiteral(".areas"));
    }
}

/// The r8 format: [{"reportDatetime", "publishingOffice", "warning": {"class10Items": [{"areaCode", "kinds"}],
/// "class20Items": [...]}}, ...], one report per bulletin type.
void parseR8Warnings(const QJsonArray &reports, WarningReport &out)
{
    if (reports.isEmpty())
        throw BadData{QStringLiteral("warning: no reports")};
    for (qsizetype r = 0; r < reports.size(); ++r) {
        const QString w = QStringLiteral("warning[%1]").arg(r);
        const QJsonObject report = object(reports.at(r), w);
        const QDateTime time =
            isoTime(member(report, QStringLiteral("reportDatetime"), w), w + QStringLiteral(".reportDatetime"));
        if (!out.reportTime.isValid() || time > out.reportTime) {
            out.reportTime = time;
            out.publishingOffice = report.value(QStringLiteral("publishingOffice")).toString();
        }
        const QJsonObject lists = object(member(report, QStringLiteral("warning"), w), w + QStringLiteral(".warning"));
        for (const QString &key : {QStringLiteral("class10Items"), QStringLiteral("class20Items")}) {
            if (!lists.contains(key))
                continue;
            const QString wl = w + QStringLiteral(".warning.") + key;
            for (const QJsonValue &item : array(lists.value(key), wl))
                addArea(out, object(item, wl), QStringLiteral("areaCode"), QStringLiteral("kinds"), wl);
        }
    }
}

} // namespace

QStringList AreaTree::Class20sOf(const QString &class10) const
{
    QStringList out;
    for (const QString &c15 : class10s.value(class10).children)
        for (const QString &c20 : class15s.value(c15).children)
            if (class20s.contains(c20))
                out.append(c20);
    return out;
}

std::shared_ptr<const WarningReport> WarningReport::Parse(const QByteArray &json, QString &error)
{
    try {
        const QJsonDocument doc = parseJson(json);
        auto out = std::make_shared<WarningReport>();
        if (doc.isObject())
            parseOldWarnings(doc.object(), *out);
        else if (doc.isArray())
            parseR8Warnings(doc.array(), *out);
        else
            throw BadData{QStringLiteral("warning: neither a report nor an array of reports")};
        return out;
    } catch (const BadData &bad) {
        error = bad.what;
        return nullptr;
    }
}

std::shared_ptr<const AreaTree> AreaTree::Parse(const QByteArray &json, QString &error)
{
    try {
        const QJsonDocument doc = parseJson(json);
        if (!doc.isObject())
            throw BadData{QStringLiteral("area.json: not an object")};
        const QJsonObject root = doc.object();
        auto tree = std::make_shared<AreaTree>();
        tree->centers = level(root, QStringLiteral("centers"), true);
        tree->offices = level(root, QStringLiteral("offices"), true);
        tree->class10s = level(root, QStringLiteral("class10s"), true);
        tree->class15s = level(root, QStringLiteral("class15s"), false);
        tree->class20s = level(root, QStringLiteral("class20s"), false);
        // QJsonObject keeps keys sorted, which is the code order JMA uses.
        tree->centerOrder = root.value(QStringLiteral("centers")).toObject().keys();
        if (tree->centers.isEmpty() || tree->offices.isEmpty() || tree->class10s.isEmpty())
            throw BadData{QStringLiteral("area.json: an empty level")};
        return tree;
    } catch (const BadData &bad) {
        error = bad.what;
        return nullptr;
    }
}

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
        if (ts0.size() > 1)
            out->pops = chancesOfRain(series(ts0, 1, QStringLiteral("report[0]")));
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

std::shared_ptr<const Overview> Overview::Parse(const QByteArray &json, QString &error)
{
    try {
        const QJsonDocument doc = parseJson(json);
        if (!doc.isObject())
            throw BadData{QStringLiteral("overview: not an object")};
        const QJsonObject o = doc.object();
        auto out = std::make_shared<Overview>();
        out->reportTime = isoTime(member(o, QStringLiteral("reportDatetime"), QStringLiteral("overview")),
                                  QStringLiteral("overview.reportDatetime"));
        out->headline = o.value(QStringLiteral("headlineText")).toString();
        out->text =
            string(member(o, QStringLiteral("text"), QStringLiteral("overview")), QStringLiteral("overview.text"));
        return out;
    } catch (const BadData &bad) {
        error = bad.what;
        return nullptr;
    }
}

QString forecastFileOffice(const QString &office)
{
    if (office == QLatin1String("014030"))
        return QStringLiteral("014100");
    if (office == QLatin1String("460040"))
        return QStringLiteral("460100");
    return office;
}

} // namespace forecastd
