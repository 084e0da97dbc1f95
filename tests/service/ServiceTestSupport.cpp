#include "ServiceTestSupport.h"

#include "CityTable.h"
#include "JstTime.h"
#include "TestSupport.h"
#include "cAreas.h"
#include "cWeather.h"
#include "roMessageBox.h"
#include "roWeather.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

namespace servicetest {

QString jmaFixtures()
{
    const QString dir = QStringLiteral(SKYCASTER_JMA_FIXTURES);
    return QFile::exists(QDir(dir).filePath(QStringLiteral("area.json"))) ? dir : QString();
}

ParsedWeather parseWeather(const QByteArray &document)
{
    QTemporaryDir tmp;
    const QString path = tmp.filePath(QStringLiteral("forecast.xml"));
    testsupport::writeFile(path, document);
    ro::ScopedMessageBoxRecorder boxes;
    roWeather control;
    ParsedWeather out;
    out.result = control.GetWeather(path, out.weather);
    out.messageBoxes = int(boxes.Shown().size());
    out.document = document;
    return out;
}

std::shared_ptr<cAreas> parseAreas(const QByteArray &document, int *messageBoxes)
{
    QTemporaryDir tmp;
    const QString path = tmp.filePath(QStringLiteral("forecastmap.xml"));
    testsupport::writeFile(path, document);
    ro::ScopedMessageBoxRecorder boxes;
    roWeather control;
    std::shared_ptr<cAreas> areas;
    const bool ok = control.GetArea(path, areas);
    if (messageBoxes)
        *messageBoxes = int(boxes.Shown().size());
    return ok ? areas : nullptr;
}

QByteArray fixture(const QString &relative)
{
    QFile f(QDir(jmaFixtures()).filePath(relative));
    if (!f.open(QIODevice::ReadOnly)) {
        ADD_FAILURE() << "cannot read fixture " << relative.toStdString();
        return {};
    }
    return f.readAll();
}

QDateTime jst(const char *iso)
{
    return forecastd::JstTime::parseIso(QString::fromLatin1(iso));
}

DocumentExtras documentExtras(const QByteArray &document)
{
    DocumentExtras out;
    QXmlStreamReader xml(document);
    QString parent;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isEndElement() && (xml.name() == u"warnings" || xml.name() == u"rainchance"))
            parent.clear();
        if (!xml.isStartElement())
            continue;
        const auto attrs = xml.attributes();
        if (xml.name() == u"warnings") {
            parent = QStringLiteral("warnings");
            out.hasWarnings = true;
            out.warningsKnown = attrs.value(QStringLiteral("available")) != u"false";
            out.warningsStale = attrs.value(QStringLiteral("stale")) == u"true";
            out.warningsTime =
                QDateTime::fromString(attrs.value(QStringLiteral("publictime")).toString(), Qt::RFC2822Date);
            out.warningsArea = attrs.value(QStringLiteral("area")).toString();
        } else if (xml.name() == u"rainchance") {
            parent = QStringLiteral("rainchance");
            out.hasRainChance = true;
            out.rainChanceKnown = attrs.value(QStringLiteral("available")) != u"false";
        } else if (parent == u"warnings" && xml.name() == u"warning") {
            const QString code = attrs.value(QStringLiteral("code")).toString();
            const QString status = attrs.value(QStringLiteral("status")).toString();
            const QString cls = attrs.value(QStringLiteral("class")).toString();
            const bool partial = attrs.value(QStringLiteral("partial")) == u"true";
            out.warnings.append(QStringList{code, status, cls, xml.readElementText()}.join(u' ') +
                                (partial ? QStringLiteral(" partial") : QString()));
        } else if (parent == u"rainchance" && xml.name() == u"period") {
            const QString hours = attrs.value(QStringLiteral("hour")).toString();
            out.rainChances.append(hours + u'=' + xml.readElementText());
        }
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    return out;
}

QByteArray withoutExtras(const QByteArray &document)
{
    QString text = QString::fromUtf8(document);
    static const QRegularExpression extras(QStringLiteral("\\s*<(warnings|rainchance)\\b[^>]*?(/>|>.*?</\\1>)"),
                                           QRegularExpression::DotMatchesEverythingOption);
    text.remove(extras);
    return text.toUtf8();
}

QJsonObject dumpModel(const QByteArray &document)
{
    QTemporaryDir tmp;
    const QString path = tmp.filePath(QStringLiteral("forecast.xml"));
    testsupport::writeFile(path, document);
    QProcess dump;
    dump.start(QStringLiteral(SKYCASTER_PROGRAM_DIR "/roweather-dump"), {path});
    EXPECT_TRUE(dump.waitForFinished(30000));
    QJsonParseError error{};
    QJsonObject out = QJsonDocument::fromJson(dump.readAllStandardOutput(), &error).object();
    EXPECT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
    out.remove(QStringLiteral("file"));
    return out;
}

QStringList expectedWarningLines(const DocumentExtras &extras)
{
    const QStringList &warnings = extras.warnings;
    const QStringList classes = {QStringLiteral("特別警報"), QStringLiteral("危険警報"), QStringLiteral("警報"),
                                 QStringLiteral("注意報")};
    QStringList lines;
    QStringList named;
    for (const QString &cls : classes) {
        QStringList phenomena;
        for (const QString &w : warnings) {
            const QStringList parts = w.split(u' ');
            if (parts.size() < 4 || parts[2] != cls || !parts[3].endsWith(cls))
                continue;
            QString phenomenon = parts[3].chopped(cls.size());
            if (phenomenon.endsWith(u'の'))
                phenomenon.chop(1);
            if (named.contains(phenomenon))
                continue;
            named.append(phenomenon);
            phenomena.append(phenomenon + (parts.size() == 5 ? QStringLiteral("（一部）") : QString()));
        }
        if (!phenomena.isEmpty())
            lines.append(QStringLiteral("【%1】%2").arg(cls, phenomena.join(u'、')));
    }
    if (!lines.isEmpty())
        lines.first() += u' ' + extras.warningsTime.toOffsetFromUtc(9 * 3600).toString(QStringLiteral("M/d HH:mm")) +
                         QStringLiteral("発表");
    return lines;
}

QString expectedRainLine(const QByteArray &forecastJson, const QString &class10, const QDate &date)
{
    const QJsonObject pops =
        QJsonDocument::fromJson(forecastJson).array().at(0)[QStringLiteral("timeSeries")].toArray().at(1).toObject();
    const QJsonArray times = pops[QStringLiteral("timeDefines")].toArray();
    QStringList parts;
    for (const QJsonValue &area : pops[QStringLiteral("areas")].toArray()) {
        if (area[QStringLiteral("area")][QStringLiteral("code")].toString() != class10)
            continue;
        const QJsonArray values = area[QStringLiteral("pops")].toArray();
        for (qsizetype i = 0; i < times.size() && i < values.size(); ++i) {
            const QDateTime t = QDateTime::fromString(times[i].toString(), Qt::ISODate);
            if (t.date() != date || values[i].toString().isEmpty())
                continue;
            const int hour = t.time().hour();
            parts.append(QStringLiteral("%1-%2時 %3%")
                             .arg(hour, 2, 10, QChar(u'0'))
                             .arg(hour + 6, 2, 10, QChar(u'0'))
                             .arg(values[i].toString()));
        }
    }
    return parts.isEmpty() ? QString() : QStringLiteral("降水確率 ") + parts.join(u' ');
}

QByteArray forecastMovedTo(const QString &office)
{
    static const char *const tokyoAreas[] = {"130010", "130020", "130030", "130040"};
    static const char *const tokyoStations[] = {"44132", "44172", "44263", "44301"};
    QByteArray json = fixture(QStringLiteral("forecast/130000_2026-01-05T1700.json"));
    const QJsonArray children = QJsonDocument::fromJson(fixture(QStringLiteral("area.json")))
                                    .object()[QStringLiteral("offices")][office][QStringLiteral("children")]
                                    .toArray();
    if (children.isEmpty() || children.size() > 4) {
        ADD_FAILURE() << "cannot move the Tokyo forecast onto office " << office.toStdString();
        return {};
    }
    for (qsizetype i = 0; i < children.size(); ++i) {
        const QString class10 = children[i].toString();
        const auto info = forecastd::CityTable::Lookup(class10);
        const QByteArray station = info && !info->stations.isEmpty() ? info->stations.first().toLatin1() : "00000";
        json.replace(QByteArray("\"") + tokyoAreas[i] + '"', '"' + class10.toLatin1() + '"');
        json.replace(QByteArray("\"") + tokyoStations[i] + '"', '"' + station + '"');
    }
    return json;
}

void expectWarningLines(const ParsedWeather &parsed, const QByteArray &forecastJson, const QString &class10,
                        const char *dayLabel)
{
    const cWeather &w = *parsed.weather;
    const DocumentExtras extras = documentExtras(parsed.document);
    ASSERT_TRUE(extras.hasWarnings);
    ASSERT_TRUE(extras.hasRainChance);
    const QString stale = QStringLiteral("警報・注意報の最新の情報を取得できませんでした（最終発表 %1）")
                              .arg(extras.warningsTime.toOffsetFromUtc(9 * 3600).toString(QStringLiteral("M/d HH:mm")));
    QStringList expected = extras.warningsKnown   ? expectedWarningLines(extras)
                           : extras.warningsStale ? QStringList{stale}
                                                  : QStringList{QStringLiteral("警報・注意報を取得できませんでした")};
    const QString rain =
        expectedRainLine(forecastJson, class10, QDate::fromString(w.ForecastDate(), QStringLiteral("yyyy/MM/dd")));
    if (!rain.isEmpty())
        expected.append(rain);
    const QStringList lines = w.Description().split(u'\n');
    ASSERT_GT(lines.size(), expected.size());
    EXPECT_EQ(lines.mid(0, expected.size()), expected) << w.Description().toStdString();
    EXPECT_TRUE(lines.at(expected.size()).startsWith(w.LocationCity() + u' ' + QString::fromUtf8(dayLabel)))
        << w.Description().toStdString();
    EXPECT_EQ(lines.last(), QStringLiteral("出典：気象庁ホームページ"));
    // The elements say the same as the lines.
    QStringList periods;
    for (const QString &p : extras.rainChances)
        periods.append(QString(p).replace(u'=', QStringLiteral("時 ")) + u'%');
    EXPECT_EQ(periods.isEmpty() ? QString() : QStringLiteral("降水確率 ") + periods.join(u' '), rain);
    QStringList codes;
    for (const QString &warning : extras.warnings) {
        const QStringList parts = warning.split(u' ');
        ASSERT_GE(parts.size(), 4) << warning.toStdString();
        EXPECT_NE(parts[1], QStringLiteral("解除"));
        EXPECT_NE(parts[1], QStringLiteral("発表警報・注意報はなし"));
        EXPECT_FALSE(codes.contains(parts[0])) << warning.toStdString();
        codes.append(parts[0]);
    }
}

} // namespace servicetest
