#include "ForecastDocument.h"

#include "JstTime.h"

#include <QXmlStreamWriter>

namespace forecastd {

QString xmlSafe(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        const char16_t u = c.unicode();
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            out.append(c);
            out.append(text.at(++i));
            continue;
        }
        if (c.isSurrogate() || u == 0xFFFE || u == 0xFFFF || (u < 0x20 && u != u'\t' && u != u'\n' && u != u'\r'))
            continue;
        out.append(c);
    }
    return out;
}

namespace {

void element(QXmlStreamWriter &w, const QString &name, const QString &text)
{
    w.writeTextElement(name, xmlSafe(text));
}

// <warnings publictime="..." area="東京地方"><warning code="03" status="継続" class="警報">大雨警報</warning>
// </warnings> (partial="true" on a kind in force in part of the area), <warnings available="false"/>, or
// for a report too old to show <warnings available="false" stale="true" publictime="..."/>; then
// <rainchance><period hour="06-12">20</period></rainchance> (or <rainchance available="false"/>).
void writeWarnings(QXmlStreamWriter &w, const ForecastExtras &extras)
{
    w.writeStartElement(QStringLiteral("warnings"));
    if (!extras.warningsKnown) {
        w.writeAttribute(QStringLiteral("available"), QStringLiteral("false"));
        if (extras.warningsStale) {
            w.writeAttribute(QStringLiteral("stale"), QStringLiteral("true"));
            w.writeAttribute(QStringLiteral("publictime"), JstTime::rfc822(extras.warningsTime));
        }
        w.writeEndElement();
        return;
    }
    w.writeAttribute(QStringLiteral("publictime"), JstTime::rfc822(extras.warningsTime));
    if (!extras.warningsArea.isEmpty())
        w.writeAttribute(QStringLiteral("area"), xmlSafe(extras.warningsArea));
    for (const WarningElement &e : extras.warnings) {
        w.writeStartElement(QStringLiteral("warning"));
        w.writeAttribute(QStringLiteral("code"), xmlSafe(e.code));
        w.writeAttribute(QStringLiteral("status"), xmlSafe(e.status));
        w.writeAttribute(QStringLiteral("class"), xmlSafe(e.warningClass));
        if (e.partial)
            w.writeAttribute(QStringLiteral("partial"), QStringLiteral("true"));
        w.writeCharacters(xmlSafe(e.name));
        w.writeEndElement();
    }
    w.writeEndElement();
}

void writeExtras(QXmlStreamWriter &w, const ForecastExtras &extras)
{
    writeWarnings(w, extras);
    w.writeStartElement(QStringLiteral("rainchance"));
    if (!extras.rainChanceKnown)
        w.writeAttribute(QStringLiteral("available"), QStringLiteral("false"));
    for (const RainChance &r : extras.rainChances) {
        w.writeStartElement(QStringLiteral("period"));
        w.writeAttribute(QStringLiteral("hour"), xmlSafe(r.hours));
        w.writeCharacters(xmlSafe(r.percent));
        w.writeEndElement();
    }
    w.writeEndElement();
}

} // namespace

QByteArray ForecastDocument::Write() const
{
    QByteArray bytes;
    QXmlStreamWriter w(&bytes);
    w.setAutoFormatting(true);
    w.setAutoFormattingIndent(1);
    w.writeStartDocument();
    w.writeStartElement(QStringLiteral("lwws"));
    w.writeAttribute(QStringLiteral("version"), xmlSafe(version));
    element(w, QStringLiteral("author"), author);
    w.writeEmptyElement(QStringLiteral("location"));
    w.writeAttribute(QStringLiteral("area"), xmlSafe(area));
    w.writeAttribute(QStringLiteral("pref"), xmlSafe(pref));
    w.writeAttribute(QStringLiteral("city"), xmlSafe(city));
    element(w, QStringLiteral("title"), title);
    element(w, QStringLiteral("link"), link);
    element(w, QStringLiteral("forecastday"), forecastday);
    element(w, QStringLiteral("forecastdate"), JstTime::rfc822(forecastdate));
    element(w, QStringLiteral("day"), day);
    element(w, QStringLiteral("publictime"), JstTime::rfc822(publictime));
    element(w, QStringLiteral("telop"), telop);
    element(w, QStringLiteral("description"), description);
    if (extras)
        writeExtras(w, *extras);

    w.writeStartElement(QStringLiteral("image"));
    element(w, QStringLiteral("title"), imageTitle);
    element(w, QStringLiteral("link"), imageLink);
    element(w, QStringLiteral("url"), imageUrl);
    element(w, QStringLiteral("width"), QString::number(imageWidth));
    element(w, QStringLiteral("height"), QString::number(imageHeight));
    w.writeEndElement();

    w.writeStartElement(QStringLiteral("temperature"));
    w.writeStartElement(QStringLiteral("max"));
    element(w, QStringLiteral("celsius"), maxCelsius);
    element(w, QStringLiteral("fahrenheit"), maxFahrenheit);
    w.writeEndElement();
    w.writeStartElement(QStringLiteral("min"));
    element(w, QStringLiteral("celsius"), minCelsius);
    element(w, QStringLiteral("fahrenheit"), minFahrenheit);
    w.writeEndElement();
    w.writeEndElement();

    w.writeStartElement(QStringLiteral("pinpoint"));
    for (const PinpointLocation &p : pinpoints) {
        w.writeStartElement(QStringLiteral("location"));
        element(w, QStringLiteral("title"), p.title);
        element(w, QStringLiteral("link"), p.link);
        element(w, QStringLiteral("publictime"), JstTime::rfc822(p.publictime));
        w.writeEndElement();
    }
    w.writeEndElement();

    w.writeEndElement();
    w.writeEndDocument();
    return bytes;
}

} // namespace forecastd
