#include "JmaData.h"

#include "JmaJson.h"

namespace forecastd {

using namespace jmajson;

/// The r8 format: [{"reportDatetime", "publishingOffice", "warning": {"class10Items": [{"areaCode", "kinds"}],
/// "class20Items": [...]}}, ...], one report per bulletin type.
void jmajson::parseR8Warnings(const QJsonArray &reports, WarningReport &out)
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
                addWarningArea(out, object(item, wl), QStringLiteral("areaCode"), QStringLiteral("kinds"), wl);
        }
    }
}

} // namespace forecastd
