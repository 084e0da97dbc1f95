#include "roWeatherParser.h"

#include "cAreas.h"
#include "cCities.h"
#include "cImage.h"
#include "cLocations.h"
#include "cPrefs.h"
#include "cTemperature.h"
#include "cWarnings.h"
#include "cWeather.h"
#include "roGeneralDate.h"
#include "roMessageBox.h"
#include "roNumber.h"
#include "roXmlLoader.h"

#include <stdexcept>

namespace {

const char *const kForecastRoot = "lwws";
const char *const kAreaRoot = "ldWeather:source";

// A fault while building a result: unwinds to the public method, which drops
// what was built so far.
class BuildError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

QString text(const pugi::xml_node &node)
{
    return ro::ElementText(node);
}

QString attr(const pugi::xml_attribute &a)
{
    return QString::fromUtf8(a.value());
}

// Looks an attribute up; a node without an attribute list (text, comment) is
// an error, as in the classic DOM.
pugi::xml_attribute lookUp(const pugi::xml_node &node, const char *name)
{
    if (node.type() != pugi::node_element)
        throw BuildError(std::string("attribute lookup on a node that is not an element: ") + name);
    return node.attribute(name);
}

// Never fails: false (value untouched) when the attribute is absent.
bool GetAttributeValue(const pugi::xml_node &element, const char *name, QString &value)
{
    if (element.type() != pugi::node_element)
        return false;
    const pugi::xml_attribute a = element.attribute(name);
    if (!a)
        return false;
    value = attr(a);
    return true;
}

void showLoadFailure(const QString &fileName, const QString &caption)
{
    ro::MsgBox(QStringLiteral("ファイル '") + fileName + QStringLiteral("' をロードできません。"), ro::vbCritical,
               caption);
}

void showWrongFormat(const QString &fileName, const QString &caption)
{
    ro::MsgBox(QStringLiteral("ファイル '") + fileName + QStringLiteral("' は形式が違います。"), ro::vbCritical,
               caption);
}

// The first element with the name in document order, the root included.
pugi::xml_node findRoot(const pugi::xml_document &doc, const char *name)
{
    for (pugi::xml_node top = doc.first_child(); top; top = top.next_sibling()) {
        if (ro::IsElement(top, name))
            return top;
        if (pugi::xml_node found = ro::FindElement(top, name))
            return found;
    }
    return {};
}

int toLong(const pugi::xml_node &element, const char *what)
{
    const QString value = text(element);
    const auto number = ro::ToLong(value);
    if (!number)
        throw BuildError(std::string(what) + " is not a 32-bit number: '" + value.toStdString() + "'");
    return *number;
}

void ParseImage(const pugi::xml_node &element, cImage &image)
{
    for (pugi::xml_node child = element.first_child(); child; child = child.next_sibling()) {
        if (child.type() != pugi::node_element)
            continue;
        const char *name = child.name();
        if (std::strcmp(name, "title") == 0)
            image.setTitle(text(child));
        else if (std::strcmp(name, "link") == 0)
            image.setLink(QVariant(text(child)));
        else if (std::strcmp(name, "url") == 0)
            image.setURL(text(child));
        else if (std::strcmp(name, "width") == 0)
            image.setlWidth(QString::number(toLong(child, "width")));
        else if (std::strcmp(name, "height") == 0)
            image.setlHeight(QVariant(toLong(child, "height")));
    }
}

void ParseTemperature(const pugi::xml_node &element, cTemperature &temperature)
{
    const QString dash = QStringLiteral("-");
    temperature.setMaxCelsius(dash);
    temperature.setMaxFahrenheit(dash);
    temperature.setMinCelsius(dash);
    temperature.setMinFahrenheit(dash);
    for (pugi::xml_node limit = element.first_child(); limit; limit = limit.next_sibling()) {
        const bool isMax = ro::IsElement(limit, "max");
        if (!isMax && !ro::IsElement(limit, "min"))
            continue;
        for (pugi::xml_node scale = limit.first_child(); scale; scale = scale.next_sibling()) {
            const bool celsius = ro::IsElement(scale, "celsius");
            if (!celsius && !ro::IsElement(scale, "fahrenheit"))
                continue;
            const QString value = text(scale);
            if (!ro::IsNumeric(value))
                continue;
            if (isMax)
                celsius ? temperature.setMaxCelsius(value) : temperature.setMaxFahrenheit(value);
            else
                celsius ? temperature.setMinCelsius(value) : temperature.setMinFahrenheit(value);
        }
    }
}

// Absent children read as empty (and no date), never as the previous
// location's values.
void ParseLocation(const pugi::xml_node &element, QString &title, QString &link, QDateTime &date)
{
    for (pugi::xml_node child = element.first_child(); child; child = child.next_sibling()) {
        if (ro::IsElement(child, "title")) {
            title = text(child);
        } else if (ro::IsElement(child, "link")) {
            link = text(child);
        } else if (ro::IsElement(child, "publictime")) {
            const QString value = text(child);
            const auto parsed = ro::NormalizeDateTime(value);
            if (!parsed)
                throw BuildError("pinpoint publictime is not a date: '" + value.toStdString() + "'");
            date = *parsed;
        }
    }
}

void ParseLocations(const pugi::xml_node &element, cLocations &locations)
{
    for (pugi::xml_node child = element.first_child(); child; child = child.next_sibling()) {
        if (!ro::IsElement(child, "location"))
            continue;
        QString title;
        QString link;
        QDateTime date;
        ParseLocation(child, title, link, date);
        locations.Add(title, link, date);
    }
}

bool isTrue(const pugi::xml_node &element, const char *name)
{
    return std::strcmp(element.attribute(name).value(), "true") == 0;
}

// Never fails: the warnings are an optional part, whatever they hold.
void ParseWarnings(const pugi::xml_node &element, cWarnings &warnings)
{
    warnings.setAvailable(std::strcmp(element.attribute("available").value(), "false") != 0);
    warnings.setStale(isTrue(element, "stale"));
    if (const pugi::xml_attribute time = element.attribute("publictime"))
        warnings.setPublictime(ro::NormalizeDate(attr(time)));
    warnings.setArea(attr(element.attribute("area")));
    for (pugi::xml_node child = element.first_child(); child; child = child.next_sibling()) {
        if (!ro::IsElement(child, "warning"))
            continue;
        warnings.Add(attr(child.attribute("code")), attr(child.attribute("status")), attr(child.attribute("class")),
                     text(child), isTrue(child, "partial"));
    }
}

std::shared_ptr<cWeather> ParseForecast(const pugi::xml_node &element)
{
    const pugi::xml_attribute version = element.attribute("version");
    if (!version)
        return nullptr;
    auto result = roModelFactory::Create<cWeather>();
    result->setVersion(attr(version));
    for (pugi::xml_node child = element.first_child(); child; child = child.next_sibling()) {
        if (child.type() != pugi::node_element)
            continue;
        const char *name = child.name();
        if (std::strcmp(name, "author") == 0) {
            result->setAuthor(text(child));
        } else if (std::strcmp(name, "title") == 0) {
            result->setTitle(text(child));
        } else if (std::strcmp(name, "link") == 0) {
            result->setLink(text(child));
        } else if (std::strcmp(name, "forecastday") == 0) {
            result->setForecastday(text(child));
        } else if (std::strcmp(name, "day") == 0) {
            result->setDay(text(child));
        } else if (std::strcmp(name, "telop") == 0) {
            result->setTelop(text(child));
        } else if (std::strcmp(name, "description") == 0) {
            result->setDescription(text(child));
        } else if (std::strcmp(name, "location") == 0) {
            // Each location element names all three; an absent one is empty.
            QString value;
            GetAttributeValue(child, "area", value);
            result->setLocationArea(value);
            value.clear();
            GetAttributeValue(child, "pref", value);
            result->setLocationPref(value);
            value.clear();
            GetAttributeValue(child, "city", value);
            result->setLocationCity(value);
        } else if (std::strcmp(name, "forecastdate") == 0) {
            result->setForecastDate(ro::NormalizeDate(text(child)));
        } else if (std::strcmp(name, "publictime") == 0) {
            result->setPublictime(ro::NormalizeDate(text(child)));
        } else if (std::strcmp(name, "image") == 0) {
            ParseImage(child, *result->Image());
        } else if (std::strcmp(name, "temperature") == 0) {
            ParseTemperature(child, *result->Temperature());
        } else if (std::strcmp(name, "pinpoint") == 0) {
            ParseLocations(child, *result->Locations());
        } else if (std::strcmp(name, "warnings") == 0) {
            ParseWarnings(child, *result->Warnings());
        }
    }
    return result;
}

// The number of nodes from node to the last sibling: room to reserve.
int childCount(pugi::xml_node node)
{
    int count = 0;
    for (; node; node = node.next_sibling())
        ++count;
    return count;
}

// false when a city lacks title, id or source.
bool ParseCities(cPref &pref, pugi::xml_node node)
{
    const auto cities = pref.Cities();
    cities->Reserve(childCount(node));
    for (; node; node = node.next_sibling()) {
        if (!ro::IsElement(node, "city"))
            continue;
        const pugi::xml_attribute title = node.attribute("title");
        if (!title)
            return false;
        const pugi::xml_attribute id = node.attribute("id");
        if (!id)
            return false;
        const pugi::xml_attribute source = node.attribute("source");
        if (!source)
            return false;
        cities->Add(attr(title), attr(id), attr(source));
    }
    return true;
}

// false when a prefecture lacks its title or one of its cities failed.
bool ParsePrefs(cArea &area, pugi::xml_node node)
{
    const auto prefs = area.Prefs();
    prefs->Reserve(childCount(node));
    for (; node; node = node.next_sibling()) {
        const pugi::xml_attribute title = lookUp(node, "title");
        if (!title)
            return false;
        const QString value = attr(title);
        const auto pref = prefs->Add(value, value);
        if (!ParseCities(*pref, node.first_child()))
            return false;
    }
    return true;
}

// The complete list, or an empty one when a required attribute is missing.
std::shared_ptr<cAreas> ParseAreas(pugi::xml_node node)
{
    auto list = roModelFactory::Create<cAreas>();
    list->Reserve(childCount(node));
    for (; node; node = node.next_sibling()) {
        const pugi::xml_attribute title = lookUp(node, "title");
        if (!title)
            return roModelFactory::Create<cAreas>();
        const pugi::xml_attribute source = lookUp(node, "source");
        if (!source)
            return roModelFactory::Create<cAreas>();
        const QString value = attr(title);
        const auto area = list->Add(value, attr(source), value);
        if (!ParsePrefs(*area, node.first_child()))
            return roModelFactory::Create<cAreas>();
    }
    return list;
}

void setReport(roWeatherParser::Report *report, roWeatherParser::Outcome outcome, const QString &detail = {})
{
    if (report != nullptr)
        *report = {outcome, detail};
}

} // namespace

bool roWeatherParser::GetWeather(const QString &XmlFileName, std::shared_ptr<cWeather> &Weather, Report *report)
{
    const QString caption = QStringLiteral("予報の解析");
    ro::XmlFile file;
    if (!file.Load(XmlFileName)) {
        setReport(report, Outcome::LoadFailed, file.Error());
        showLoadFailure(XmlFileName, caption);
        return false;
    }
    const pugi::xml_node element = findRoot(file.Document(), kForecastRoot);
    if (!element) {
        setReport(report, Outcome::WrongFormat);
        showWrongFormat(XmlFileName, caption);
        return false;
    }
    try {
        Weather = ParseForecast(element);
        setReport(report, Weather ? Outcome::Complete : Outcome::NoVersion);
    } catch (const std::exception &e) {
        // Abandoned: the caller keeps what it passed.
        setReport(report, Outcome::Abandoned, QString::fromUtf8(e.what()));
    }
    return true;
}

bool roWeatherParser::GetArea(const QString &XmlFileName, std::shared_ptr<cAreas> &Areas, Report *report,
                              Messages messages)
{
    const QString caption = QStringLiteral("地域の解析");
    ro::XmlFile file;
    if (!file.Load(XmlFileName)) {
        setReport(report, Outcome::LoadFailed, file.Error());
        if (messages == Messages::Shown)
            showLoadFailure(XmlFileName, caption);
        return false;
    }
    const pugi::xml_node element = findRoot(file.Document(), kAreaRoot);
    if (!element) {
        setReport(report, Outcome::WrongFormat);
        if (messages == Messages::Shown)
            showWrongFormat(XmlFileName, caption);
        return false;
    }
    try {
        Areas = ParseAreas(element.first_child());
        setReport(report, Areas->Count() == 0 && element.first_child() ? Outcome::MissingAttribute : Outcome::Complete);
    } catch (const std::exception &e) {
        setReport(report, Outcome::Abandoned, QString::fromUtf8(e.what()));
    }
    return true;
}
