#include "AreaListWriter.h"

#include "ForecastBuilder.h"
#include "ForecastDocument.h"
#include "JmaData.h"

#include <QSet>
#include <QXmlStreamWriter>

namespace forecastd {

namespace {
const QString kNs = QStringLiteral("urn:skycaster:forecastd");
const QString kJmaForecast = QStringLiteral("https://www.jma.go.jp/bosai/forecast/");
} // namespace

QByteArray AreaListWriter::Write(const AreaTree &areas, const QString &baseUrl)
{
    QByteArray bytes;
    QXmlStreamWriter w(&bytes);
    w.setAutoFormatting(true);
    w.setAutoFormattingIndent(1);
    w.writeStartDocument();
    w.writeStartElement(QStringLiteral("rss"));
    w.writeAttribute(QStringLiteral("version"), QStringLiteral("2.0"));
    // The program matches the literal name ldWeather:source; the prefix is declared for XML parsers
    // that check namespaces.
    w.writeAttribute(QStringLiteral("xmlns:ldWeather"), kNs);
    w.writeStartElement(QStringLiteral("channel"));
    w.writeTextElement(QStringLiteral("title"), QStringLiteral("Skycaster 天気予報 地域一覧"));
    w.writeTextElement(QStringLiteral("link"), baseUrl + QStringLiteral("/forecast/rss/forecastmap.xml"));
    w.writeTextElement(QStringLiteral("description"),
                       QStringLiteral("府県予報区と一次細分区域の一覧（出典：気象庁ホームページ）"));
    w.writeStartElement(QStringLiteral("ldWeather:source"));
    w.writeAttribute(QStringLiteral("title"), QStringLiteral("気象庁"));
    w.writeAttribute(QStringLiteral("source"), kJmaForecast);

    QSet<QString> areaTitles;
    for (const QString &centerCode : areas.centerOrder) {
        const AreaNode center = areas.centers.value(centerCode);
        // Titles are the parser's keys: a repeated one would make it drop the whole list.
        if (areaTitles.contains(center.name))
            continue;
        areaTitles.insert(center.name);
        w.writeStartElement(QStringLiteral("area"));
        w.writeAttribute(QStringLiteral("title"), xmlSafe(center.name));
        w.writeAttribute(QStringLiteral("source"), kJmaForecast);
        QSet<QString> prefTitles;
        for (const QString &officeCode : center.children) {
            const auto office = areas.offices.constFind(officeCode);
            if (office == areas.offices.constEnd() || prefTitles.contains(office->name))
                continue;
            prefTitles.insert(office->name);
            w.writeStartElement(QStringLiteral("pref"));
            w.writeAttribute(QStringLiteral("title"), xmlSafe(office->name));
            for (const QString &c10 : office->children) {
                if (!areas.class10s.contains(c10))
                    continue;
                w.writeEmptyElement(QStringLiteral("city"));
                w.writeAttribute(QStringLiteral("title"), xmlSafe(ForecastBuilder::CityTitle(areas, c10)));
                w.writeAttribute(QStringLiteral("id"), c10);
                w.writeAttribute(QStringLiteral("source"), baseUrl +
                                                               QStringLiteral("/forecast/webservice/rest/v1?city=") +
                                                               c10 + QStringLiteral("&day=today"));
            }
            w.writeEndElement();
        }
        w.writeEndElement();
    }
    w.writeEndElement(); // ldWeather:source
    w.writeEndElement(); // channel
    w.writeEndElement(); // rss
    w.writeEndDocument();
    return bytes;
}

} // namespace forecastd
