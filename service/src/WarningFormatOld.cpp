#include "JmaData.h"

#include "JmaJson.h"

namespace forecastd {

using namespace jmajson;

/// The old format: {"reportDatetime", "publishingOffice", "areaTypes": [{"areas": [{"code", "warnings"}]}]}.
void jmajson::parseOldWarnings(const QJsonObject &root, WarningReport &out)
{
    const QString w = QStringLiteral("warning");
    out.reportTime = isoTime(member(root, QStringLiteral("reportDatetime"), w), w + QStringLiteral(".reportDatetime"));
    out.publishingOffice = root.value(QStringLiteral("publishingOffice")).toString();
    const QJsonArray types = array(member(root, QStringLiteral("areaTypes"), w), w + QStringLiteral(".areaTypes"));
    for (qsizetype t = 0; t < types.size(); ++t) {
        const QString wt = QStringLiteral("warning.areaTypes[%1]").arg(t);
        const QJsonObject type = object(types.at(t), wt);
        for (const QJsonValue &a : array(member(type, QStringLiteral("areas"), wt), wt + QStringLiteral(".areas")))
            addWarningArea(out, object(a, wt + QStringLiteral(".areas")), QStringLiteral("code"),
                           QStringLiteral("warnings"), wt + QStringLiteral(".areas"));
    }
}

} // namespace forecastd
