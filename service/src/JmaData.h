#pragma once

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QHash>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

namespace forecastd {

/// One node of JMA's area.json (a center, office, class10, class15 or class20).
struct AreaNode {
    QString name;         ///< Japanese name
    QString parent;       ///< code of the level above (empty for centers)
    QStringList children; ///< codes of the level below
};

/// JMA's area hierarchy (area.json). Codes are unique only within one level, so each level has its map.
struct AreaTree {
    QStringList centerOrder; ///< center codes in the file's (ascending) order
    QHash<QString, AreaNode> centers;
    QHash<QString, AreaNode> offices;
    QHash<QString, AreaNode> class10s;
    QHash<QString, AreaNode> class15s;
    QHash<QString, AreaNode> class20s;

    /// Parses area.json; on failure returns null and sets error.
    static std::shared_ptr<const AreaTree> Parse(const QByteArray &json, QString &error);

    /// The class20 codes of a class10 (through its class15s), in the file's order.
    QStringList Class20sOf(const QString &class10) const;
};

/// Weather of one area on one day.
struct DayWeather {
    QDate date;
    QString code; ///< JMA weather code
    QString text; ///< JMA's longer text ("晴れ　夜遅く　くもり"); empty in the weekly forecast
};

/// One temperature value of a station at one time of the short-range forecast.
struct TimedValue {
    QDateTime time;
    QString value; ///< as JMA wrote it; empty when not available
};

/// Weekly temperatures of a station for one day.
struct DayTemps {
    QDate date;
    QString min;
    QString max;
};

/// One forecast/{office}.json: the short-range report and (when present) the weekly one.
struct ForecastReport {
    QString publishingOffice;
    QDateTime reportTime;                            ///< of the short-range report, JST
    QHash<QString, std::vector<DayWeather>> weather; ///< class10 -> days
    QStringList class10Order;
    QHash<QString, std::vector<TimedValue>> pops; ///< class10 -> chance of rain (%) per 6 hours, by start time
    QString popsError; ///< why the chance-of-rain series was left out (it is optional); empty when read
    QHash<QString, std::vector<TimedValue>> temps; ///< station -> values
    QStringList stationOrder;
    QHash<QString, QString> stationNames;
    QDateTime weeklyReportTime;                        ///< invalid when the file has no weekly report
    QHash<QString, std::vector<DayWeather>> weekly;    ///< weekly area -> days
    QHash<QString, std::vector<DayTemps>> weeklyTemps; ///< station -> days

    /// Parses a forecast file; on failure (not JSON, a key or array missing, lengths that disagree,
    /// a time that is not ISO 8601) returns null and sets error. A chance-of-rain series that is not
    /// sound is left out alone (popsError set).
    static std::shared_ptr<const ForecastReport> Parse(const QByteArray &json, QString &error);
};

/// One overview_forecast/{office}.json.
struct Overview {
    QDateTime reportTime;
    QString headline;
    QString text;

    /// Parses an overview file; on failure returns null and sets error.
    static std::shared_ptr<const Overview> Parse(const QByteArray &json, QString &error);
};

/// One warning kind as a warning file gives it for one area.
struct WarningEntry {
    QString code;   ///< JMA's code; empty for 「発表警報・注意報はなし」
    QString status; ///< 発表, 継続, 解除, 警報から注意報, 発表警報・注意報はなし, ...
};

/// One warning file of an office, in either of JMA's formats: the old warning/{office}.json (one
/// report) or the current r8/{office}.json (an array of reports, one per bulletin type).
struct WarningReport {
    QString publishingOffice;
    QDateTime reportTime;                            ///< of the newest report in the file, JST
    QHash<QString, std::vector<WarningEntry>> areas; ///< class10 (6 digits) or class20 (7 digits) -> entries

    /// Parses a warning file of either format; on failure returns null and sets error.
    static std::shared_ptr<const WarningReport> Parse(const QByteArray &json, QString &error);
};

/// The office file that holds a class10's forecast (014030 and 460040 have no file of their own).
QString forecastFileOffice(const QString &office);

} // namespace forecastd
