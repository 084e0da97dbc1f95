#include "JmaData.h"

#include "JmaJson.h"

namespace forecastd {

using namespace jmajson;

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

} // namespace forecastd
