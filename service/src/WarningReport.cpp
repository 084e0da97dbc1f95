#include "JmaData.h"

#include "JmaJson.h"

namespace forecastd {

using namespace jmajson;

namespace {

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

} // namespace

void jmajson::addWarningArea(WarningReport &report, const QJsonObject &area, const QString &codeKey,
                             const QString &listKey, const QString &where)
{
    const QString code = string(member(area, codeKey, where), where + u'.' + codeKey);
    if (code.isEmpty())
        throw BadData{where + QStringLiteral(": empty area code")};
    const auto entries = warningEntries(array(member(area, listKey, where), where + u'.' + listKey), where);
    auto &list = report.areas[code];
    list.insert(list.end(), entries.begin(), entries.end());
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

} // namespace forecastd
