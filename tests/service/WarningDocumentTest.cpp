// Warnings and advisories in force, and the chance of rain, in the service's documents: every warning
// file of the fixtures (old and r8 format) served offline, read back through the program's parser.
#include "ServiceTestSupport.h"

#include "ForecastBuilder.h"
#include "ForecastService.h"
#include "JmaData.h"
#include "OfflineSource.h"
#include "TestSupport.h"
#include "WarningCodes.h"
#include "cTemperature.h"
#include "cWeather.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <httplib.h>

using namespace forecastd;
using servicetest::jst;

namespace {

const QString kCredit = QStringLiteral("出典：気象庁ホームページ");
const QString kNote = QStringLiteral("警報・注意報を取得できませんでした");

std::shared_ptr<const AreaTree> fixtureAreas()
{
    QString error;
    auto areas = AreaTree::Parse(servicetest::fixture(QStringLiteral("area.json")), error);
    EXPECT_TRUE(areas) << error.toStdString();
    return areas;
}

/// The newest forecast fixture of a forecast file office, or the Tokyo report moved onto it.
QByteArray forecastOf(const QString &fileOffice)
{
    const QDir dir(QDir(servicetest::jmaFixtures()).filePath(QStringLiteral("forecast")));
    const QStringList files = dir.entryList({fileOffice + QStringLiteral("_*.json")}, QDir::Files, QDir::Name);
    if (files.isEmpty())
        return servicetest::forecastMovedTo(fileOffice);
    return servicetest::fixture(QStringLiteral("forecast/") + files.last());
}

/// The offline service over a folder of its own.
class FolderService {
public:
    explicit FolderService(const QString &folder, const QDateTime &asOf = {})
    {
        QString error;
        m_source = OfflineSource::Open(folder, asOf, error);
        EXPECT_TRUE(m_source) << error.toStdString();
        if (!m_source)
            return;
        m_service =
            std::make_unique<ForecastService>(m_source, ForecastService::Options{QStringLiteral("127.0.0.1"), 0, {}});
        EXPECT_TRUE(m_service->Start(error)) << error.toStdString();
    }
    /// The program's reading of a city's document for a day; null weather on any failure.
    servicetest::ParsedWeather document(const QString &city, const QString &day) const
    {
        if (!m_service)
            return {};
        httplib::Client client("127.0.0.1", m_service->Port());
        client.set_read_timeout(10, 0);
        const auto r = client.Get(("/forecast/webservice/rest/v1?city=" + city + "&day=" + day).toStdString());
        if (!r || r->status != 200) {
            ADD_FAILURE() << city.toStdString() << " " << day.toStdString() << ": " << (r ? r->status : 0) << " "
                          << (r ? r->body : std::string());
            return {};
        }
        return servicetest::parseWeather(QByteArray::fromStdString(r->body));
    }
    QStringList problems() const { return m_source ? m_source->Warnings() : QStringList(); }

private:
    std::shared_ptr<OfflineSource> m_source;
    std::unique_ptr<ForecastService> m_service;
};

/// A folder with area.json, one forecast file and one warning file.
struct OfficeFolder {
    QTemporaryDir dir;
    QByteArray forecast;

    /// Without `forecastJson`, the newest forecast fixture of the office or the Tokyo report moved there.
    OfficeFolder(const QString &fileOffice, const QString &warningPath, const QByteArray &warningFile,
                 const QByteArray &forecastJson = {})
    {
        forecast = forecastJson.isEmpty() ? forecastOf(fileOffice) : forecastJson;
        testsupport::writeFile(dir.filePath(QStringLiteral("area.json")),
                               servicetest::fixture(QStringLiteral("area.json")));
        testsupport::writeFile(dir.filePath(QStringLiteral("forecast/%1.json").arg(fileOffice)), forecast);
        testsupport::writeFile(dir.filePath(warningPath), warningFile);
    }
    QString path() const { return dir.path(); }
};

struct WarningCase {
    const char *file; ///< under the fixture folder
    const char *city; ///< one class10 of its office
    QStringList lines;
    QStringList warnings; ///< "code status" of the city's warning elements
};

} // namespace

// Every warning fixture, every class10 of its office, today and tomorrow: the lines and elements the
// program gets; the day after tomorrow goes without them. One city per file against known values.
TEST(WarningDocument, EveryWarningFixtureGivesTheLinesOfItsCities)
{
    REQUIRE_FIXTURES();
    const auto areas = fixtureAreas();
    ASSERT_TRUE(areas);
    const WarningCase cases[] = {
        {"warning-r8/120000_20260813T2120.json",
         "120010",
         {"【特別警報】大雨（一部） 8/13 21:20発表", "【危険警報】土砂災害（一部）", "【注意報】雷"},
         {"33 継続", "43 継続", "49 継続", "03 継続", "14 発表", "29 継続"}},
        {"warning-r8/130000_20260813T1948.json",
         "130010",
         {"【警報】大雨（一部） 8/13 19:48発表", "【注意報】雷、土砂災害（一部）"},
         {"03 危険警報から警報", "10 警報から注意報", "14 継続", "29 危険警報から注意報"}},
        {"warning/130000_20260528T1016.json",
         "130030",
         {"【注意報】雷、強風（一部）、波浪（一部）、濃霧 5/28 10:16発表"},
         {"14 継続", "15 継続", "16 継続", "20 継続"}},
        {"warning/020000_20260528T0610.json", "020010", {"【注意報】雷、濃霧 5/28 06:10発表"}, {"14 発表", "20 継続"}},
        {"warning/060000_20260528T0948.json", "060010", {"【注意報】雷 5/28 09:48発表"}, {"14 発表"}},
        {"warning/090000_20260528T0916.json", "090010", {}, {}},
        {"warning/110000_20260528T0721.json", "110010", {}, {}},
        // May reports beside an August forecast: too far behind it to show.
        {"warning/014100_20260527T1519.json",
         "014010",
         {"警報・注意報の最新の情報を取得できませんでした（最終発表 5/27 15:19）"},
         {}},
        {"warning/014030_20260528T1114.json",
         "014030",
         {"警報・注意報の最新の情報を取得できませんでした（最終発表 5/28 11:14）"},
         {}},
        {"warning/460040_20260528T0413.json", "460040", {}, {}},
    };
    const QDir warningDir(QDir(servicetest::jmaFixtures()).filePath(QStringLiteral("warning")));
    const QDir r8Dir(QDir(servicetest::jmaFixtures()).filePath(QStringLiteral("warning-r8")));
    ASSERT_EQ(qsizetype(std::size(cases)), warningDir.entryList({QStringLiteral("[0-9]*.json")}).size() +
                                               r8Dir.entryList({QStringLiteral("[0-9]*.json")}).size())
        << "a warning fixture without a case";

    for (const WarningCase &c : cases) {
        SCOPED_TRACE(c.file);
        const QString file = QString::fromLatin1(c.file);
        const QString office = areas->class10s.value(QString::fromLatin1(c.city)).parent;
        ASSERT_EQ(QFileInfo(file).fileName().left(6), office) << "the warning office is the city's own office";
        const QString fileOffice = forecastFileOffice(office);
        const OfficeFolder folder(fileOffice, QFileInfo(file).path() + u'/' + office + QStringLiteral(".json"),
                                  servicetest::fixture(file));
        const FolderService service(folder.path());
        for (const QString &class10 : areas->offices.value(office).children) {
            for (const char *day : {"today", "tomorrow"}) {
                SCOPED_TRACE((class10 + u' ' + QLatin1String(day)).toStdString());
                const auto parsed = service.document(class10, QString::fromLatin1(day));
                ASSERT_TRUE(parsed.weather) << "the program would drop this forecast";
                EXPECT_TRUE(parsed.result);
                EXPECT_EQ(parsed.messageBoxes, 0);
                EXPECT_FALSE(parsed.weather->Telop().isEmpty());
                EXPECT_EQ(parsed.weather->Forecastday(), QLatin1String(day));
                const auto extras = servicetest::documentExtras(parsed.document);
                EXPECT_TRUE(extras.warningsKnown || extras.warningsStale) << "the city's own office file covers it";
                servicetest::expectWarningLines(parsed, folder.forecast, class10,
                                                day == std::string("today") ? "今日" : "明日");
                if (class10 != QLatin1String(c.city))
                    continue;
                const QStringList lines = parsed.weather->Description().split(u'\n');
                EXPECT_EQ(lines.mid(0, c.lines.size()), c.lines);
                EXPECT_FALSE(lines.value(c.lines.size()).startsWith(u'【'));
                QStringList warnings;
                for (const QString &w : extras.warnings)
                    warnings.append(w.section(u' ', 0, 1));
                EXPECT_EQ(warnings, c.warnings);
            }
            const auto later = service.document(class10, QStringLiteral("dayaftertomorrow"));
            ASSERT_TRUE(later.weather);
            const auto extras = servicetest::documentExtras(later.document);
            EXPECT_FALSE(extras.hasWarnings);
            EXPECT_FALSE(extras.hasRainChance);
            const QString text = later.weather->Description();
            EXPECT_FALSE(text.startsWith(u'【') || text.contains(QStringLiteral("降水確率")) || text.contains(kNote))
                << text.toStdString();
            EXPECT_TRUE(text.endsWith(kCredit));
        }
    }
}

// The new elements change nothing else the program reads: with or without them, the same model but for its
// warnings, the same result, the same outcome (as roweather-dump prints them).
TEST(WarningDocument, TheProgramReadsTheDocumentAsWithoutTheNewElements)
{
    REQUIRE_FIXTURES();
    const OfficeFolder chiba(QStringLiteral("120000"), QStringLiteral("warning-r8/120000.json"),
                             servicetest::fixture(QStringLiteral("warning-r8/120000_20260813T2120.json")));
    const FolderService service(chiba.path());
    for (const char *day : {"today", "tomorrow"}) {
        SCOPED_TRACE(day);
        const auto parsed = service.document(QStringLiteral("120010"), QString::fromLatin1(day));
        ASSERT_TRUE(parsed.weather);
        const QByteArray before = servicetest::withoutExtras(parsed.document);
        ASSERT_NE(before, parsed.document);
        EXPECT_FALSE(before.contains("<warning"));
        EXPECT_FALSE(before.contains("<rainchance"));
        // Only the warnings the reader now takes in differ.
        QJsonObject with = servicetest::dumpModel(parsed.document);
        QJsonObject without = servicetest::dumpModel(before);
        QJsonObject weather = with[QStringLiteral("cWeather")].toObject();
        EXPECT_TRUE(weather.take(QStringLiteral("Warnings"))[QStringLiteral("Available")].toBool());
        QJsonObject weatherWithout = without[QStringLiteral("cWeather")].toObject();
        EXPECT_FALSE(weatherWithout.take(QStringLiteral("Warnings"))[QStringLiteral("Available")].toBool());
        EXPECT_EQ(weather, weatherWithout);
        EXPECT_EQ(with.size(), without.size());
        EXPECT_EQ(with[QStringLiteral("outcome")].toString(), QStringLiteral("complete"));
        EXPECT_TRUE(with[QStringLiteral("result")].toBool());
        EXPECT_TRUE(with[QStringLiteral("messageBox")].isNull());
        EXPECT_TRUE(
            with[QStringLiteral("cWeather")][QStringLiteral("Description")].toString().startsWith(QStringLiteral(
                "【特別警報】大雨（一部） 8/13 21:20発表\n【危険警報】土砂災害（一部）\n【注意報】雷\n降水確率 ")));
    }
}

// Offline, the warning file is chosen like the forecast: the newest issued at or before --as-of.
TEST(WarningDocument, OfflineAsOfChoosesTheWarningFileOfThatTime)
{
    REQUIRE_FIXTURES();
    struct Case {
        const char *asOf; ///< empty: the newest files
        const char *firstLine;
    };
    const Case cases[] = {
        {"", "【注意報】雷 8/13 19:48発表"}, // r8, 2026-08-13
        {"2026-06-01T00:00:00+09:00", "【注意報】雷、強風（一部）、波浪（一部）、濃霧 5/28 10:16発表"}, // old format
        {"2026-03-12T05:00:00+09:00", "警報・注意報を取得できませんでした"}, // none issued by then
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.asOf);
        const FolderService service(servicetest::jmaFixtures(), *c.asOf ? jst(c.asOf) : QDateTime());
        const auto parsed = service.document(QStringLiteral("130030"), QStringLiteral("today"));
        ASSERT_TRUE(parsed.weather);
        EXPECT_EQ(parsed.weather->Description().section(u'\n', 0, 0), QString::fromUtf8(c.firstLine));
    }
}

// A warning file that cannot be used never costs the forecast: the note stands in for the lines.
TEST(WarningDocument, AnUnusableWarningFileGivesTheNote)
{
    REQUIRE_FIXTURES();
    struct Case {
        const char *what;
        QByteArray bytes;
        bool logged; ///< the folder's reading reports the file
    };
    const Case cases[] = {
        {"cut short", servicetest::fixture(QStringLiteral("warning-r8/130000_20260813T1948.json")).left(5000), true},
        {"no reports", "[]", true},
        {"a forecast", servicetest::fixture(QStringLiteral("forecast/130000_2026-01-05T1700.json")), true},
        {"entries without status",
         R"({"reportDatetime":"2026-05-28T10:16:00+09:00","areaTypes":[{"areas":[{"code":"130010","warnings":[{"code":"14"}]}]}]})",
         true},
        // Another office's file under Tokyo's name covers none of Tokyo's areas.
        {"another office's", servicetest::fixture(QStringLiteral("warning/020000_20260528T0610.json")), false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        const OfficeFolder folder(QStringLiteral("130000"), QStringLiteral("warning/130000.json"), c.bytes,
                                  servicetest::fixture(QStringLiteral("forecast/130000_2026-01-05T1700.json")));
        const FolderService service(folder.path());
        EXPECT_EQ(service.problems().size(), c.logged ? 1 : 0) << service.problems().join(u'|').toStdString();
        const auto parsed = service.document(QStringLiteral("130010"), QStringLiteral("tomorrow"));
        ASSERT_TRUE(parsed.weather);
        EXPECT_EQ(parsed.weather->Telop(), QStringLiteral("晴時々曇"));
        EXPECT_EQ(parsed.weather->Temperature()->MaxCelsius(), QStringLiteral("11"));
        const auto extras = servicetest::documentExtras(parsed.document);
        EXPECT_TRUE(extras.hasWarnings);
        EXPECT_FALSE(extras.warningsKnown);
        EXPECT_TRUE(extras.warnings.isEmpty());
        servicetest::expectWarningLines(parsed, folder.forecast, QStringLiteral("130010"), "明日");
        EXPECT_FALSE(parsed.weather->Description().contains(u'【'));
    }
}

// Every code the fixtures use has JMA's name in the service's table, old codes as the old table names them.
TEST(WarningDocument, TheCodeTableNamesEveryCodeOfTheFixtures)
{
    REQUIRE_FIXTURES();
    const QJsonObject oldNames =
        QJsonDocument::fromJson(servicetest::fixture(QStringLiteral("warning/warning_codes.json")))
            .object()[QStringLiteral("warningnames")]
            .toObject();
    ASSERT_EQ(oldNames.size(), 28);
    for (auto it = oldNames.begin(); it != oldNames.end(); ++it)
        EXPECT_EQ(WarningCodes::Lookup(it.key()).name, it.value().toString()) << it.key().toStdString();

    QSet<QString> seen;
    for (const char *folder : {"warning", "warning-r8"}) {
        const QDir dir(QDir(servicetest::jmaFixtures()).filePath(QString::fromLatin1(folder)));
        for (const QString &file : dir.entryList({QStringLiteral("[0-9]*.json")})) {
            QString error;
            const auto report =
                WarningReport::Parse(servicetest::fixture(QString::fromLatin1(folder) + u'/' + file), error);
            ASSERT_TRUE(report) << file.toStdString() << ": " << error.toStdString();
            for (const auto &entries : report->areas)
                for (const WarningEntry &e : entries)
                    if (!e.code.isEmpty())
                        seen.insert(e.code);
        }
    }
    EXPECT_TRUE(seen.contains(QStringLiteral("43")) && seen.contains(QStringLiteral("20")));
    for (const QString &code : seen) {
        const WarningCode w = WarningCodes::Lookup(code);
        EXPECT_FALSE(w.name.startsWith(QStringLiteral("コード"))) << code.toStdString() << " has no name";
        EXPECT_EQ(w.phenomenon + WarningCodes::ClassName(w.warningClass), w.name) << code.toStdString();
    }
    const struct {
        const char *code;
        const char *name;
        WarningClass warningClass;
    } named[] = {
        {"33", "大雨特別警報", WarningClass::Emergency},  {"43", "大雨危険警報", WarningClass::Danger},
        {"49", "土砂災害危険警報", WarningClass::Danger}, {"09", "土砂災害警報", WarningClass::Warning},
        {"29", "土砂災害注意報", WarningClass::Advisory}, {"27", "その他の注意報", WarningClass::Advisory},
        {"44", "コード44危険警報", WarningClass::Danger},
    };
    for (const auto &n : named) {
        const WarningCode w = WarningCodes::Lookup(QString::fromLatin1(n.code));
        EXPECT_EQ(w.name, QString::fromUtf8(n.name)) << n.code;
        EXPECT_EQ(w.warningClass, n.warningClass) << n.code;
    }
}
