// Forecast documents built from JMA's data, read back through the program's own parser.
#include "ServiceTestSupport.h"

#include "ForecastBuilder.h"
#include "ForecastSource.h"
#include "JmaData.h"
#include "JstTime.h"
#include "OfflineSource.h"
#include "WeatherCodes.h"
#include "cImage.h"
#include "cLocation.h"
#include "cLocations.h"
#include "cTemperature.h"
#include "cWeather.h"
#include "roGeneralDate.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <gtest/gtest.h>

using namespace forecastd;
using servicetest::jst;

namespace {

const QString kOwnData = QStringLiteral(SKYCASTER_TEST_DATA_DIR "/service");
const QStringList kDays = {QStringLiteral("today"), QStringLiteral("tomorrow"), QStringLiteral("dayaftertomorrow")};

bool isTemperature(const QString &text)
{
    static const QRegularExpression number(QStringLiteral("^-?[0-9]+(\\.[0-9]+)?$"));
    return text == QLatin1String("-") || number.match(text).hasMatch();
}

struct Fixture {
    std::shared_ptr<const AreaTree> areas;
    std::shared_ptr<const ForecastReport> report;
    std::shared_ptr<const Overview> overview;
    QDateTime now;
    std::shared_ptr<OfflineSource> source; ///< for the warning files; none: warnings unavailable
};

/// The data of one office as the offline mode sees it at the given report time (of the real samples
/// unless told).
Fixture load(const QString &office, const char *asOf, const QString &folder = servicetest::jmaFixtures())
{
    QString error;
    auto source = OfflineSource::Open(folder, jst(asOf), error);
    EXPECT_TRUE(source) << error.toStdString();
    if (!source)
        return {};
    const OfficeResult r = source->Office(office);
    EXPECT_TRUE(r.report) << r.error.text.toStdString();
    return {source->Areas().areas, r.report, r.overview, r.now, std::move(source)};
}

/// The document for a city, parsed by the program.
servicetest::ParsedWeather document(const Fixture &f, const QString &city, const QString &day)
{
    const auto ref = ForecastBuilder::ResolveCity(*f.areas, city);
    if (!std::holds_alternative<CityRef>(ref)) {
        ADD_FAILURE() << "city " << city.toStdString() << ": " << std::get<ServiceError>(ref).text.toStdString();
        return {};
    }
    const CityRef &cityRef = std::get<CityRef>(ref);
    const WarningResult warnings = f.source ? f.source->WarningFile(cityRef.office) : WarningResult{};
    const auto doc = ForecastBuilder::Build(*f.areas, cityRef, {f.report, f.overview, f.now}, warnings, day,
                                            QStringLiteral("http://127.0.0.1:8931"));
    if (!std::holds_alternative<ForecastDocument>(doc)) {
        ADD_FAILURE() << city.toStdString() << " " << day.toStdString() << ": "
                      << std::get<ServiceError>(doc).text.toStdString();
        return {};
    }
    return servicetest::parseWeather(std::get<ForecastDocument>(doc).Write());
}

struct Expected {
    const char *telop;
    const char *max;
    const char *min;
};

void expectDay(const Fixture &f, const char *city, const char *day, const Expected &e, const char *forecastDate)
{
    SCOPED_TRACE(std::string(city) + " " + day);
    const auto parsed = document(f, QString::fromLatin1(city), QString::fromLatin1(day));
    ASSERT_TRUE(parsed.weather);
    EXPECT_EQ(parsed.weather->Telop(), QString::fromUtf8(e.telop));
    EXPECT_EQ(parsed.weather->Temperature()->MaxCelsius(), QString::fromUtf8(e.max));
    EXPECT_EQ(parsed.weather->Temperature()->MinCelsius(), QString::fromUtf8(e.min));
    EXPECT_EQ(parsed.weather->ForecastDate(), QString::fromLatin1(forecastDate));
}

} // namespace

// Every fixture file, every city of its office, every day word: a document the program keeps whole.
TEST(ForecastDocument, EveryFixtureFileAndDayGivesAUsableForecast)
{
    REQUIRE_FIXTURES();
    const QDir dir(QDir(servicetest::jmaFixtures()).filePath(QStringLiteral("forecast")));
    const QStringList files = dir.entryList({QStringLiteral("*.json")}, QDir::Files, QDir::Name);
    ASSERT_GE(files.size(), 8);
    int documents = 0;
    int withStale = 0; // the newest warning file issued by the report's time lags it by months
    int withNote = 0;  // none: the note stands in for the warnings
    for (const QString &file : files) {
        QString error;
        const auto report = ForecastReport::Parse(servicetest::fixture(QStringLiteral("forecast/") + file), error);
        ASSERT_TRUE(report) << file.toStdString() << ": " << error.toStdString();
        const QString asOf = report->reportTime.toString(Qt::ISODate);
        const Fixture f = load(file.left(6), asOf.toLatin1().constData());
        ASSERT_TRUE(f.report);
        ASSERT_EQ(f.report->reportTime, report->reportTime) << file.toStdString();
        // As the program shows it: the report's wall-clock time in Japan.
        const QString publictime = ro::GeneralDateText(QDateTime(report->reportTime.date(), report->reportTime.time()));
        for (const QString &city : f.report->class10Order) {
            for (int d = 0; d < 3; ++d) {
                SCOPED_TRACE((file + u' ' + city + u' ' + kDays[d]).toStdString());
                const auto parsed = document(f, city, kDays[d]);
                ASSERT_TRUE(parsed.result);
                EXPECT_EQ(parsed.messageBoxes, 0);
                ASSERT_TRUE(parsed.weather) << "the program would drop this forecast";
                const cWeather &w = *parsed.weather;
                EXPECT_EQ(w.Version(), QStringLiteral("1.0"));
                EXPECT_FALSE(w.Telop().isEmpty());
                EXPECT_EQ(w.Publictime(), publictime);
                EXPECT_EQ(w.ForecastDate(),
                          report->reportTime.date().addDays(d).toString(QStringLiteral("yyyy/MM/dd")));
                EXPECT_EQ(w.Forecastday(), kDays[d]);
                EXPECT_FALSE(w.LocationArea().isEmpty());
                EXPECT_FALSE(w.LocationPref().isEmpty());
                EXPECT_FALSE(w.LocationCity().isEmpty());
                EXPECT_TRUE(w.Description().contains(QStringLiteral("出典：気象庁ホームページ")));
                if (d < 2) {
                    (servicetest::documentExtras(parsed.document).warningsStale ? withStale : withNote)++;
                    servicetest::expectWarningLines(parsed, servicetest::fixture(QStringLiteral("forecast/") + file),
                                                    city, d == 0 ? "今日" : "明日");
                } else {
                    EXPECT_FALSE(servicetest::documentExtras(parsed.document).hasWarnings);
                    EXPECT_FALSE(w.Description().contains(QStringLiteral("降水確率")));
                }
                const auto t = w.Temperature();
                for (const QString &value : {t->MaxCelsius(), t->MinCelsius(), t->MaxFahrenheit(), t->MinFahrenheit()})
                    EXPECT_TRUE(isTemperature(value)) << value.toStdString();
                EXPECT_EQ(t->MaxCelsius() == QLatin1String("-"), t->MaxFahrenheit() == QLatin1String("-"));
                EXPECT_EQ(w.Image()->lWidth(), QString::number(kIconWidth));
                EXPECT_EQ(w.Image()->lHeight().value().toInt(), kIconHeight);
                EXPECT_TRUE(w.Image()->URL().startsWith(QStringLiteral("http://127.0.0.1:8931/forecast/img/")));
                EXPECT_EQ(w.Image()->Title(), w.Telop());
                EXPECT_GT(w.Locations()->Count(), 0);
                for (const auto &location : *w.Locations()) {
                    EXPECT_FALSE(location->Title().isEmpty());
                    EXPECT_EQ(location->Publictime(), publictime);
                }
                ++documents;
            }
        }
    }
    EXPECT_GE(documents, 3 * 20);
    EXPECT_GT(withStale, 0);
    EXPECT_GT(withNote, 0);
}

// The 17:00 report: today has no temperatures at all; tomorrow from the short range, the day after
// from the weekly part.
TEST(ForecastDocument, EveningReportChoosesValuesByDate)
{
    REQUIRE_FIXTURES();
    const Fixture f = load(QStringLiteral("130000"), "2026-01-05T17:00:00+09:00");
    ASSERT_TRUE(f.report);
    expectDay(f, "130010", "today", {"晴後曇", "-", "-"}, "2026/01/05");
    expectDay(f, "130010", "tomorrow", {"晴時々曇", "11", "2"}, "2026/01/06");
    expectDay(f, "130010", "dayaftertomorrow", {"曇後晴", "10", "1"}, "2026/01/07");
    const auto tomorrow = document(f, QStringLiteral("130010"), QStringLiteral("tomorrow"));
    ASSERT_TRUE(tomorrow.weather);
    EXPECT_EQ(tomorrow.weather->Temperature()->MaxFahrenheit(), QStringLiteral("51.8"));
    EXPECT_EQ(tomorrow.weather->Temperature()->MinFahrenheit(), QStringLiteral("35.6"));
    EXPECT_EQ(tomorrow.weather->LocationCity(), QStringLiteral("東京"));
    EXPECT_EQ(tomorrow.weather->LocationPref(), QStringLiteral("東京都"));
    EXPECT_EQ(tomorrow.weather->LocationArea(), QStringLiteral("関東甲信地方"));
    EXPECT_EQ(tomorrow.weather->Locations()->Item(1)->Title(), QStringLiteral("千代田区"));
}

// The 05:00 report has only two days of weather, no real minimum for the issue day, and a weekly
// part issued the day before; 11:00 and 17:00 of the day before differ again.
TEST(ForecastDocument, MorningAndPreviousEveningReportsOfAichi)
{
    REQUIRE_FIXTURES();
    const Fixture morning = load(QStringLiteral("230000"), "2022-09-15T05:00:00+09:00");
    ASSERT_TRUE(morning.report);
    expectDay(morning, "230010", "today", {"晴時々曇", "31", "-"}, "2022/09/15");
    expectDay(morning, "230010", "tomorrow", {"晴時々曇", "33", "23"}, "2022/09/16");
    expectDay(morning, "230010", "dayaftertomorrow", {"曇", "33", "22"}, "2022/09/17");
    // 豊橋 has no weekly station of its own: the day after tomorrow has no temperatures.
    expectDay(morning, "230020", "dayaftertomorrow", {"曇", "-", "-"}, "2022/09/17");

    const Fixture evening = load(QStringLiteral("230000"), "2022-09-14T17:00:00+09:00");
    ASSERT_TRUE(evening.report);
    const auto today = document(evening, QStringLiteral("230010"), QStringLiteral("today"));
    ASSERT_TRUE(today.weather);
    EXPECT_EQ(today.weather->ForecastDate(), QStringLiteral("2022/09/14"));
    EXPECT_EQ(today.weather->Temperature()->MaxCelsius(), QStringLiteral("-"));
    EXPECT_EQ(today.weather->Temperature()->MinCelsius(), QStringLiteral("-"));
    const auto tomorrow = document(evening, QStringLiteral("230010"), QStringLiteral("tomorrow"));
    ASSERT_TRUE(tomorrow.weather);
    EXPECT_NE(tomorrow.weather->Temperature()->MinCelsius(), QStringLiteral("-"));
    EXPECT_NE(tomorrow.weather->Temperature()->MaxCelsius(), QStringLiteral("-"));
}

// Hokkaido codes keep their leading zero; a 5-digit id is read with it; 014030 and 460040 come from
// their neighbours' files.
TEST(ForecastDocument, LeadingZerosAndOfficeFileExceptions)
{
    REQUIRE_FIXTURES();
    const Fixture f = load(QStringLiteral("011000"), "2021-07-24T11:00:00+09:00");
    ASSERT_TRUE(f.report);
    const auto six = document(f, QStringLiteral("011000"), QStringLiteral("today"));
    const auto five = document(f, QStringLiteral("11000"), QStringLiteral("today"));
    ASSERT_TRUE(six.weather);
    ASSERT_TRUE(five.weather);
    EXPECT_EQ(six.weather->LocationPref(), QStringLiteral("宗谷地方"));
    EXPECT_EQ(five.weather->LocationPref(), six.weather->LocationPref());
    EXPECT_EQ(five.weather->Telop(), six.weather->Telop());
    EXPECT_TRUE(six.weather->Link().endsWith(QStringLiteral("area_code=011000")));

    const auto tokachi = ForecastBuilder::ResolveCity(*f.areas, QStringLiteral("014030"));
    ASSERT_TRUE(std::holds_alternative<CityRef>(tokachi));
    EXPECT_EQ(std::get<CityRef>(tokachi).office, QStringLiteral("014030"));
    EXPECT_EQ(std::get<CityRef>(tokachi).fileOffice, QStringLiteral("014100"));

    const Fixture kagoshima = load(QStringLiteral("460100"), "2021-07-24T11:00:00+09:00");
    ASSERT_TRUE(kagoshima.report);
    const auto amami = ForecastBuilder::ResolveCity(*kagoshima.areas, QStringLiteral("460040"));
    ASSERT_TRUE(std::holds_alternative<CityRef>(amami));
    EXPECT_EQ(std::get<CityRef>(amami).fileOffice, QStringLiteral("460100"));
    const auto doc = document(kagoshima, QStringLiteral("460040"), QStringLiteral("tomorrow"));
    ASSERT_TRUE(doc.weather);
    EXPECT_EQ(doc.weather->LocationPref(), QStringLiteral("奄美地方"));
    EXPECT_NE(doc.weather->Temperature()->MaxCelsius(), QStringLiteral("-"));
}

// Ids and day words that are not ours are refused, never answered with some other forecast.
TEST(ForecastDocument, UnknownCitiesAndDaysAreRefused)
{
    const Fixture f = load(QStringLiteral("130000"), "2026-01-05T11:00:00+09:00", kOwnData);
    ASSERT_TRUE(f.areas);
    for (const char *bad : {"", "13001", "1300100", "13001x", "130000", "999999", "-13001"}) {
        const auto ref = ForecastBuilder::ResolveCity(*f.areas, QString::fromLatin1(bad));
        ASSERT_TRUE(std::holds_alternative<ServiceError>(ref)) << bad;
        const int status = std::get<ServiceError>(ref).status;
        EXPECT_TRUE(status == 400 || status == 404) << bad << " " << status;
    }
    const CityRef tokyo = std::get<CityRef>(ForecastBuilder::ResolveCity(*f.areas, QStringLiteral("130010")));
    for (const char *day : {"Today", "yesterday", "", "2"}) {
        const auto doc = ForecastBuilder::Build(*f.areas, tokyo, {f.report, nullptr, f.now}, {},
                                                QString::fromLatin1(day), QString());
        ASSERT_TRUE(std::holds_alternative<ServiceError>(doc)) << day;
        EXPECT_EQ(std::get<ServiceError>(doc).status, 400);
    }
    // Three days after the report there is no short-range weather and the weekly area is not the city's.
    const auto late = ForecastBuilder::Build(*f.areas, tokyo, {f.report, nullptr, f.now.addDays(30)}, {},
                                             QStringLiteral("dayaftertomorrow"), QString());
    ASSERT_TRUE(std::holds_alternative<ServiceError>(late));
    EXPECT_EQ(std::get<ServiceError>(late).status, 503);
}

// A code missing from the table falls back on its group; one outside every group is refused.
TEST(ForecastDocument, UnknownWeatherCodesFallBackOnTheirGroup)
{
    QString error;
    QFile file(kOwnData + QStringLiteral("/forecast/130000.json"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QByteArray json = file.readAll();
    json.replace(R"("weatherCodes": ["100", "101", "200"])", R"("weatherCodes": ["129", "227", "999"])");
    const auto report = ForecastReport::Parse(json, error);
    ASSERT_TRUE(report) << error.toStdString();
    const Fixture base = load(QStringLiteral("130000"), "2026-01-05T11:00:00+09:00", kOwnData);
    ASSERT_TRUE(base.areas);
    const Fixture f{base.areas, report, nullptr, report->reportTime, nullptr};
    const auto today = document(f, QStringLiteral("130010"), QStringLiteral("today"));
    ASSERT_TRUE(today.weather);
    EXPECT_EQ(today.weather->Telop(), QStringLiteral("晴"));
    EXPECT_TRUE(today.weather->Image()->URL().endsWith(QStringLiteral("/100.png")));
    const auto tomorrow = document(f, QStringLiteral("130010"), QStringLiteral("tomorrow"));
    ASSERT_TRUE(tomorrow.weather);
    EXPECT_EQ(tomorrow.weather->Telop(), QStringLiteral("曇"));
    const CityRef tokyo = std::get<CityRef>(ForecastBuilder::ResolveCity(*f.areas, QStringLiteral("130010")));
    const auto odd = ForecastBuilder::Build(*f.areas, tokyo, {report, nullptr, f.now}, {},
                                            QStringLiteral("dayaftertomorrow"), QString());
    ASSERT_TRUE(std::holds_alternative<ServiceError>(odd));
    EXPECT_EQ(std::get<ServiceError>(odd).status, 502);
    EXPECT_FALSE(WeatherCodes::Lookup(QStringLiteral("5000")));
    EXPECT_FALSE(WeatherCodes::Lookup(QStringLiteral("")));
}

// Text from upstream reaches the program intact, markup and all, and never breaks the XML.
TEST(ForecastDocument, UpstreamTextIsEscaped)
{
    const Fixture base = load(QStringLiteral("130000"), "2026-01-05T11:00:00+09:00", kOwnData);
    ASSERT_TRUE(base.report);
    QString error;
    const auto overview = Overview::Parse(
        R"({"reportDatetime":"2026-01-05T10:33:00+09:00","headlineText":"<b>注意</b> & \"x\" ]]>",
            "text":"一行目\u0001\n\n　二行目 </description>"})",
        error);
    ASSERT_TRUE(overview) << error.toStdString();
    const Fixture f{base.areas, base.report, overview, base.now, nullptr};
    const auto parsed = document(f, QStringLiteral("130010"), QStringLiteral("today"));
    ASSERT_TRUE(parsed.weather);
    const QString d = parsed.weather->Description();
    EXPECT_TRUE(d.contains(QStringLiteral("<b>注意</b> & \"x\" ]]>"))) << d.toStdString();
    EXPECT_TRUE(d.contains(QStringLiteral("一行目\n\n　二行目 </description>"))) << d.toStdString();
    // After the warning note (the data has no warning file) and the chance of rain.
    EXPECT_TRUE(d.startsWith(QStringLiteral("警報・注意報を取得できませんでした\n降水確率 12-18時 10% 18-24時 20%\n"
                                            "東京 今日（1/5）: 晴れ\n")))
        << d.toStdString();
}

TEST(ForecastDocument, IssueTimesAndDateText)
{
    using namespace forecastd::JstTime;
    EXPECT_EQ(nextIssueTime(jst("2026-01-05T04:59:59+09:00")), jst("2026-01-05T05:00:00+09:00"));
    EXPECT_EQ(nextIssueTime(jst("2026-01-05T05:00:00+09:00")), jst("2026-01-05T11:00:00+09:00"));
    EXPECT_EQ(nextIssueTime(jst("2026-01-05T17:30:00+09:00")), jst("2026-01-06T05:00:00+09:00"));
    EXPECT_EQ(lastIssueTime(jst("2026-01-06T03:00:00+09:00")), jst("2026-01-05T17:00:00+09:00"));
    // 20:30 UTC is already the next morning in Japan.
    EXPECT_EQ(rfc822(QDateTime::fromString(QStringLiteral("2026-01-04T20:30:00Z"), Qt::ISODate)),
              QStringLiteral("Mon, 05 Jan 2026 05:30:00 +0900"));
    EXPECT_FALSE(parseIso(QStringLiteral("2026-01-05T17:00:00")).isValid());
    EXPECT_EQ(ForecastBuilder::Fahrenheit(QStringLiteral("-3")), QStringLiteral("26.6"));
    EXPECT_EQ(ForecastBuilder::Fahrenheit(QString()), QString());
}
