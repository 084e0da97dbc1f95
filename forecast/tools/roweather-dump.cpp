// roweather-dump [--forecast | --area] FILE: reads a forecast document (lwws)
// or an area list (ldWeather:source) through roWeatherLib and prints the
// object model as JSON on stdout. Without an option it tries the forecast
// reader and falls back to the area list when the file holds no lwws element.
#include "cAreas.h"
#include "cCities.h"
#include "cImage.h"
#include "cLocations.h"
#include "cPrefs.h"
#include "cTemperature.h"
#include "cWarnings.h"
#include "cWeather.h"
#include "roMessageBox.h"
#include "roWeatherParser.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonValue>
#include <QTextStream>

#include <cstdio>

namespace {

// A small ordered JSON writer: members come out in the model's order.
class Json {
public:
    QString out;

    void open(QChar bracket)
    {
        comma();
        out += bracket;
        m_first = true;
        ++m_depth;
    }
    void close(QChar bracket)
    {
        --m_depth;
        newline();
        out += bracket;
        m_first = false;
    }
    void key(const QString &name)
    {
        comma();
        out += quoted(name) + QStringLiteral(": ");
        m_afterKey = true;
    }
    void string(const QString &value) { raw(quoted(value)); }
    void boolean(bool value) { raw(value ? QStringLiteral("true") : QStringLiteral("false")); }
    void null() { raw(QStringLiteral("null")); }
    void raw(const QString &text)
    {
        comma();
        out += text;
        m_first = false;
    }
    void field(const QString &name, const QString &value)
    {
        key(name);
        string(value);
    }

private:
    static QString quoted(const QString &s)
    {
        const QByteArray json = QJsonDocument(QJsonArray{s}).toJson(QJsonDocument::Compact);
        return QString::fromUtf8(json.mid(1, json.size() - 2));
    }
    void newline()
    {
        out += u'\n';
        out += QString(m_depth * 2, u' ');
    }
    void comma()
    {
        if (m_afterKey) {
            m_afterKey = false;
            return;
        }
        if (m_depth > 0) {
            if (!m_first)
                out += u',';
            newline();
        }
        m_first = false;
    }
    int m_depth = 0;
    bool m_first = true;
    bool m_afterKey = false;
};

void variant(Json &json, const QString &name, const roVariant &v)
{
    json.key(name);
    if (v.isEmpty()) {
        json.null();
    } else if (v.isObject()) {
        json.string(QStringLiteral("<object>"));
    } else if (v.value().typeId() == QMetaType::Int) {
        json.raw(QString::number(v.value().toInt()));
    } else {
        json.string(v.value().toString());
    }
}

void dumpWeather(Json &json, const cWeather &w)
{
    json.open(u'{');
    json.field(QStringLiteral("Version"), w.Version());
    json.field(QStringLiteral("Author"), w.Author());
    json.field(QStringLiteral("LocationArea"), w.LocationArea());
    json.field(QStringLiteral("LocationPref"), w.LocationPref());
    json.field(QStringLiteral("LocationCity"), w.LocationCity());
    json.field(QStringLiteral("Title"), w.Title());
    json.field(QStringLiteral("Link"), w.Link());
    json.field(QStringLiteral("Forecastday"), w.Forecastday());
    json.field(QStringLiteral("Day"), w.Day());
    json.field(QStringLiteral("ForecastDate"), w.ForecastDate());
    json.field(QStringLiteral("Publictime"), w.Publictime());
    json.field(QStringLiteral("Telop"), w.Telop());
    json.field(QStringLiteral("Description"), w.Description());
    const auto image = w.Image();
    json.key(QStringLiteral("Image"));
    json.open(u'{');
    json.field(QStringLiteral("Title"), image->Title());
    variant(json, QStringLiteral("Link"), image->Link());
    json.field(QStringLiteral("URL"), image->URL());
    json.field(QStringLiteral("lWidth"), image->lWidth());
    variant(json, QStringLiteral("lHeight"), image->lHeight());
    json.close(u'}');
    const auto t = w.Temperature();
    json.key(QStringLiteral("Temperature"));
    json.open(u'{');
    json.field(QStringLiteral("MaxCelsius"), t->MaxCelsius());
    json.field(QStringLiteral("MaxFahrenheit"), t->MaxFahrenheit());
    json.field(QStringLiteral("MinCelsius"), t->MinCelsius());
    json.field(QStringLiteral("MinFahrenheit"), t->MinFahrenheit());
    json.close(u'}');
    json.key(QStringLiteral("Locations"));
    json.open(u'[');
    for (const auto &location : *w.Locations()) {
        json.open(u'{');
        json.field(QStringLiteral("Title"), location->Title());
        json.field(QStringLiteral("Link"), location->Link());
        json.field(QStringLiteral("Publictime"), location->Publictime());
        json.close(u'}');
    }
    json.close(u']');
    const auto warnings = w.Warnings();
    json.key(QStringLiteral("Warnings"));
    json.open(u'{');
    json.key(QStringLiteral("Available"));
    json.boolean(warnings->Available());
    json.key(QStringLiteral("Stale"));
    json.boolean(warnings->Stale());
    json.field(QStringLiteral("Publictime"), warnings->Publictime());
    json.field(QStringLiteral("Area"), warnings->Area());
    json.key(QStringLiteral("Items"));
    json.open(u'[');
    for (const auto &warning : *warnings) {
        json.open(u'{');
        json.field(QStringLiteral("Code"), warning->Code());
        json.field(QStringLiteral("Status"), warning->Status());
        json.field(QStringLiteral("WarningClass"), warning->WarningClass());
        json.field(QStringLiteral("Name"), warning->Name());
        json.key(QStringLiteral("Partial"));
        json.boolean(warning->Partial());
        json.close(u'}');
    }
    json.close(u']');
    json.close(u'}');
    json.close(u'}');
}

void dumpAreas(Json &json, const cAreas &areas)
{
    json.open(u'[');
    for (const auto &area : areas) {
        json.open(u'{');
        json.field(QStringLiteral("Title"), area->Title());
        json.field(QStringLiteral("Source"), area->Source());
        json.key(QStringLiteral("Prefs"));
        json.open(u'[');
        for (const auto &pref : *area->Prefs()) {
            json.open(u'{');
            json.field(QStringLiteral("Title"), pref->Title());
            json.key(QStringLiteral("Cities"));
            json.open(u'[');
            for (const auto &city : *pref->Cities()) {
                json.open(u'{');
                json.field(QStringLiteral("Title"), city->Title());
                json.field(QStringLiteral("ID"), city->ID());
                json.field(QStringLiteral("Source"), city->Source());
                json.close(u'}');
            }
            json.close(u']');
            json.close(u'}');
        }
        json.close(u']');
        json.close(u'}');
    }
    json.close(u']');
}

QString outcomeName(roWeatherParser::Outcome outcome)
{
    switch (outcome) {
    case roWeatherParser::Outcome::LoadFailed: return QStringLiteral("load-failed");
    case roWeatherParser::Outcome::WrongFormat: return QStringLiteral("wrong-format");
    case roWeatherParser::Outcome::NoVersion: return QStringLiteral("no-version");
    case roWeatherParser::Outcome::MissingAttribute: return QStringLiteral("missing-attribute");
    case roWeatherParser::Outcome::Abandoned: return QStringLiteral("abandoned");
    case roWeatherParser::Outcome::Complete: return QStringLiteral("complete");
    }
    return {};
}

void messageBox(Json &json, const ro::ScopedMessageBoxRecorder &boxes)
{
    json.key(QStringLiteral("messageBox"));
    if (boxes.Shown().empty()) {
        json.null();
        return;
    }
    json.open(u'{');
    json.field(QStringLiteral("text"), boxes.Shown().back().prompt);
    json.field(QStringLiteral("caption"), boxes.Shown().back().title);
    json.close(u'}');
}

void report(Json &json, bool result, const roWeatherParser::Report &report, const ro::ScopedMessageBoxRecorder &boxes)
{
    json.key(QStringLiteral("result"));
    json.boolean(result);
    json.field(QStringLiteral("outcome"), outcomeName(report.outcome));
    json.field(QStringLiteral("error"), report.detail);
    messageBox(json, boxes);
}

bool dumpAreaList(Json &json, const QString &fileName, ro::ScopedMessageBoxRecorder &boxes)
{
    std::shared_ptr<cAreas> areas;
    roWeatherParser::Report rep;
    const bool result = roWeatherParser::GetArea(fileName, areas, &rep);
    json.field(QStringLiteral("document"), QStringLiteral("area-list"));
    report(json, result, rep, boxes);
    json.field(QStringLiteral("Areas"), areas ? QStringLiteral("new") : QStringLiteral("unchanged"));
    if (areas) {
        json.key(QStringLiteral("cAreas"));
        dumpAreas(json, *areas);
    }
    return result;
}

QString weatherState(roWeatherParser::Outcome outcome)
{
    if (outcome == roWeatherParser::Outcome::Complete)
        return QStringLiteral("new");
    return outcome == roWeatherParser::Outcome::NoVersion ? QStringLiteral("none") : QStringLiteral("unchanged");
}

void dumpForecast(Json &json, bool result, const roWeatherParser::Report &rep, const std::shared_ptr<cWeather> &weather,
                  const ro::ScopedMessageBoxRecorder &boxes)
{
    json.field(QStringLiteral("document"), QStringLiteral("forecast"));
    report(json, result, rep, boxes);
    json.field(QStringLiteral("Weather"), weatherState(rep.outcome));
    if (weather) {
        json.key(QStringLiteral("cWeather"));
        dumpWeather(json, *weather);
    }
}

enum class Reader {
    Guess,
    Forecast,
    Area
};

constexpr const char *kUsage = "usage: roweather-dump [--forecast | --area] FILE\n"
                               "  Reads FILE through roWeatherLib and prints the object model as JSON.\n"
                               "  --forecast  read it as a forecast document (GetWeather) only\n"
                               "  --area      read it as an area list (GetArea) only\n"
                               "  Without an option the forecast reader is tried first and the area list\n"
                               "  reader is used when the file holds no lwws element.\n"
                               "  Exit code: 0 when the load succeeded, 1 when it failed, 2 on bad usage.\n";

bool parseArguments(const QStringList &args, Reader &reader, QString &fileName)
{
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString &arg = args[i];
        const bool isReaderOption = arg == QLatin1String("--forecast") || arg == QLatin1String("--area");
        if (isReaderOption && reader == Reader::Guess)
            reader = arg == QLatin1String("--area") ? Reader::Area : Reader::Forecast;
        else if (isReaderOption || arg.startsWith(QLatin1String("--")) || !fileName.isEmpty())
            return false; // a second reader, an unknown option or a second file
        else
            fileName = arg;
    }
    return !fileName.isEmpty();
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.contains(QLatin1String("--help")) || args.contains(QLatin1String("-h"))) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    Reader reader = Reader::Guess;
    QString fileName;
    if (!parseArguments(args, reader, fileName)) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    Json json;
    json.open(u'{');
    json.field(QStringLiteral("file"), fileName);

    ro::ScopedMessageBoxRecorder boxes;
    bool result = false;
    if (reader == Reader::Area) {
        result = dumpAreaList(json, fileName, boxes);
    } else {
        std::shared_ptr<cWeather> weather;
        roWeatherParser::Report rep;
        result = roWeatherParser::GetWeather(fileName, weather, &rep);
        if (reader == Reader::Guess && rep.outcome == roWeatherParser::Outcome::WrongFormat) {
            boxes.Clear();
            result = dumpAreaList(json, fileName, boxes);
        } else {
            dumpForecast(json, result, rep, weather, boxes);
        }
    }
    json.close(u'}');
    QTextStream(stdout) << json.out << '\n';
    return result ? 0 : 1;
}
