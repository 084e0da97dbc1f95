#pragma once

// What the JMA file parsers share: typed access to JSON that throws BadData, caught at each parser's boundary.
#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>

namespace forecastd {

struct WarningReport;

namespace jmajson {

/// Thrown inside the parsers only; turned into an error text at their boundary.
struct BadData {
    QString what;
};

QJsonDocument parseJson(const QByteArray &json);
QJsonValue member(const QJsonObject &o, const QString &key, const QString &where);
QJsonObject object(const QJsonValue &v, const QString &where);
QJsonArray array(const QJsonValue &v, const QString &where);
QString string(const QJsonValue &v, const QString &where);
QDateTime isoTime(const QJsonValue &v, const QString &where);

/// Adds one area's warning entries; an area may come in several lists (class levels, bulletin types).
void addWarningArea(WarningReport &report, const QJsonObject &area, const QString &codeKey, const QString &listKey,
                    const QString &where);
/// The old warning format (one report object).
void parseOldWarnings(const QJsonObject &root, WarningReport &out);
/// The r8 warning format (an array of reports, one per bulletin type).
void parseR8Warnings(const QJsonArray &reports, WarningReport &out);

} // namespace jmajson
} // namespace forecastd
