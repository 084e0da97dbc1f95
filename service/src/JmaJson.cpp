#include "JmaJson.h"

#include "JstTime.h"

#include <QJsonParseError>

namespace forecastd::jmajson {

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

} // namespace forecastd::jmajson
