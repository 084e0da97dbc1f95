// The forecast document reader: every value where it lands, and every failure row.
#include "ForecastTestSupport.h"

#include "TestSupport.h"
#include "cImage.h"
#include "cLocations.h"
#include "cTemperature.h"
#include "cWarnings.h"
#include "roMessageBox.h"

#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

using Outcome = roWeatherParser::Outcome;

namespace {

struct ReadResult {
    bool result = false;
    std::shared_ptr<cWeather> weather;
    roWeatherParser::Report report;
    std::vector<ro::MessageBoxRequest> boxes;
};

// Reads with a sentinel object in Weather, so "unchanged" is visible.
ReadResult read(const QString &path, std::shared_ptr<cWeather> sentinel = nullptr)
{
    ro::ScopedMessageBoxRecorder recorder;
    ReadResult run;
    run.weather = std::move(sentinel);
    run.result = roWeatherParser::GetWeather(path, run.weather, &run.report);
    run.boxes = recorder.Shown();
    return run;
}

QString data(const char *name)
{
    return testsupport::dataPath(QStringLiteral("forecast/") + QString::fromUtf8(name));
}

} // namespace

TEST(GetWeather, TypicalDocumentLandsInEveryProperty)
{
    const ReadResult run = read(data("tokyo-today.xml"));
    ASSERT_TRUE(run.result);
    ASSERT_EQ(run.report.outcome, Outcome::Complete);
    EXPECT_TRUE(run.boxes.empty());
    const auto &w = *run.weather;
    EXPECT_EQ(w.Version(), QStringLiteral("livedoor 天気情報 Ver1.0"));
    EXPECT_EQ(w.Author(), QStringLiteral("Skycaster forecast service"));
    EXPECT_EQ(w.LocationArea(), QStringLiteral("関東"));
    EXPECT_EQ(w.LocationPref(), QStringLiteral("東京都"));
    EXPECT_EQ(w.LocationCity(), QStringLiteral("東京"));
    EXPECT_EQ(w.Title(), QStringLiteral("東京都 東京 - 今日の天気"));
    EXPECT_EQ(w.Link(), QStringLiteral("http://127.0.0.1:8931/forecast/area/130010/today"));
    EXPECT_EQ(w.Forecastday(), QStringLiteral("today"));
    EXPECT_EQ(w.Day(), QStringLiteral("Monday"));
    EXPECT_EQ(w.ForecastDate(), QStringLiteral("2026/01/05"));
    EXPECT_EQ(w.Publictime(), QStringLiteral("2026/01/05 17:00:00"));
    EXPECT_EQ(w.Telop(), QStringLiteral("晴れ時々曇り"));
    EXPECT_TRUE(w.Description().startsWith(QStringLiteral("高気圧に覆われて")));
    const auto image = w.Image();
    EXPECT_EQ(image->Title(), QStringLiteral("晴れ時々曇り"));
    EXPECT_EQ(image->Link().value().toString(), QStringLiteral("http://127.0.0.1:8931/forecast/area/130010/today"));
    EXPECT_EQ(image->URL(), QStringLiteral("http://127.0.0.1:8931/forecast/img/2.png"));
    EXPECT_EQ(image->lWidth(), QStringLiteral("50"));
    EXPECT_EQ(image->lHeight().value().typeId(), QMetaType::Int);
    EXPECT_EQ(image->lHeight().value().toInt(), 31);
    const auto t = w.Temperature();
    EXPECT_EQ(t->MaxCelsius(), QStringLiteral("12"));
    EXPECT_EQ(t->MaxFahrenheit(), QStringLiteral("53.6"));
    EXPECT_EQ(t->MinCelsius(), QStringLiteral("3"));
    EXPECT_EQ(t->MinFahrenheit(), QStringLiteral("37.4"));
    const auto locations = w.Locations();
    ASSERT_EQ(locations->Count(), 3); // the <note> child of pinpoint is skipped
    EXPECT_EQ(locations->Item(1)->Title(), QStringLiteral("千代田区"));
    EXPECT_EQ(locations->Item(2)->Publictime(), QStringLiteral("2026/01/06"));
    EXPECT_EQ(locations->Item(3)->Title(), QStringLiteral("大島町"));
    EXPECT_EQ(locations->Item(3)->Link(), QStringLiteral("http://127.0.0.1:8931/forecast/point/13361"));
    EXPECT_EQ(locations->Item(3)->Publictime(), QStringLiteral("2026/01/05 5:30:00"));
}

TEST(GetWeather, EachCallBuildsAFreshTree)
{
    std::shared_ptr<cWeather> first;
    ASSERT_TRUE(roWeatherParser::GetWeather(data("tokyo-today.xml"), first));
    auto second = first;
    ASSERT_TRUE(roWeatherParser::GetWeather(data("tokyo-today.xml"), second));
    EXPECT_NE(first, second);
    EXPECT_NE(first->Locations(), second->Locations());
    EXPECT_EQ(first->Locations()->Count(), 3);
}

TEST(GetWeather, LoadAndFormatFailuresShowTheirBoxAndKeepWeather)
{
    DocumentDir dir;
    const auto sentinel = freshWeather();
    static const char withNul[] = "<lwws version=\"1\"><telop>a\0b</telop></lwws>";
    // A named pipe without a writer would block a plain open for ever.
    const QString fifo = QFileInfo(dir.missing()).absolutePath() + QStringLiteral("/pipe.xml");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    struct Case {
        QString path;
        Outcome outcome;
        const char *suffix;
    } cases[] = {
        {dir.missing(), Outcome::LoadFailed, "' をロードできません。"},
        {data("empty.xml"), Outcome::LoadFailed, "' をロードできません。"},
        {data("truncated.xml"), Outcome::LoadFailed, "' をロードできません。"},
        {data("binary.bin"), Outcome::LoadFailed, "' をロードできません。"},
        {data("two-roots.xml"), Outcome::LoadFailed, "' をロードできません。"},
        {dir.write(QStringLiteral("nul.xml"), QByteArray(withNul, sizeof withNul - 1)), Outcome::LoadFailed,
         "' をロードできません。"},
        {dir.write(QStringLiteral("bad-utf8.xml"), "<lwws version=\"1\"><telop>\xff\xfe</telop></lwws>"),
         Outcome::LoadFailed, "' をロードできません。"},
        {dir.write(QStringLiteral("text-after.xml"), "<lwws version=\"1\"/>trailing"), Outcome::LoadFailed,
         "' をロードできません。"},
        {dir.write(QStringLiteral("unknown-enc.xml"), "<?xml version=\"1.0\" encoding=\"x-no-such\"?><lwws/>"),
         Outcome::LoadFailed, "' をロードできません。"},
        {QStringLiteral("/"), Outcome::LoadFailed, "' をロードできません。"},
        {fifo, Outcome::LoadFailed, "' をロードできません。"},
        {data("wrong-root.xml"), Outcome::WrongFormat, "' は形式が違います。"},
        {data("uppercase.xml"), Outcome::WrongFormat, "' は形式が違います。"},
        {dir.write(QStringLiteral("prefixed.xml"), "<x:lwws xmlns:x=\"u\" version=\"1\"/>"), Outcome::WrongFormat,
         "' は形式が違います。"},
        {dir.write(QStringLiteral("pi.xml"), "<root><?lwws version=\"1\"?></root>"), Outcome::WrongFormat,
         "' は形式が違います。"},
    };
    for (const Case &c : cases) {
        const ReadResult run = read(c.path, sentinel);
        EXPECT_FALSE(run.result) << c.path.toStdString();
        EXPECT_EQ(run.report.outcome, c.outcome) << c.path.toStdString() << ": " << run.report.detail.toStdString();
        EXPECT_EQ(run.weather, sentinel);
        ASSERT_EQ(run.boxes.size(), 1U) << c.path.toStdString();
        EXPECT_EQ(run.boxes[0].prompt, QStringLiteral("ファイル '") + c.path + QString::fromUtf8(c.suffix));
        EXPECT_EQ(run.boxes[0].title, QStringLiteral("予報の解析"));
        EXPECT_EQ(run.boxes[0].style, ro::vbCritical);
    }
}

TEST(GetWeather, FirstLwwsInDocumentOrderIsUsed)
{
    DocumentDir dir;
    const ReadResult run = read(dir.write(QStringLiteral("nested.xml"),
                                          "<rss><channel><item><lwws version=\"deep\"><telop>1</telop></lwws>"
                                          "</item><lwws version=\"later\"/></channel></rss>"));
    ASSERT_TRUE(run.result);
    EXPECT_EQ(run.weather->Version(), QStringLiteral("deep"));
    EXPECT_EQ(run.weather->Telop(), QStringLiteral("1"));
    const ReadResult dtd = read(data("doctype-public.xml"));
    ASSERT_TRUE(dtd.result) << dtd.report.detail.toStdString();
    EXPECT_EQ(dtd.weather->Telop(), QStringLiteral("晴れ & 曇り"));
}

TEST(GetWeather, MissingVersionGivesNoObject)
{
    DocumentDir dir;
    const ReadResult run =
        read(dir.forecast("<telop>晴れ</telop><image><width>x</width></image>", "ver=\"1\""), freshWeather());
    EXPECT_TRUE(run.result);
    EXPECT_EQ(run.report.outcome, Outcome::NoVersion);
    EXPECT_EQ(run.weather, nullptr);
    EXPECT_TRUE(run.boxes.empty());
}

TEST(GetWeather, VersionOnlyGivesEmptyStringsAndUnparsedTemperature)
{
    DocumentDir dir;
    const ReadResult run = read(dir.forecast("<!-- nothing --><?pi x?>", "version=\"\""));
    ASSERT_EQ(run.report.outcome, Outcome::Complete);
    EXPECT_TRUE(run.weather->Version().isEmpty());
    EXPECT_TRUE(run.weather->Telop().isEmpty());
    EXPECT_TRUE(run.weather->Publictime().isEmpty());
    EXPECT_TRUE(run.weather->Temperature()->MaxCelsius().isEmpty());
    EXPECT_EQ(run.weather->Locations()->Count(), 0);
}

TEST(GetWeather, TemperaturesKeepNumericTextAndDashOtherwise)
{
    DocumentDir dir;
    const ReadResult run = read(dir.forecast("<temperature><max><celsius>12</celsius><fahrenheit>-</fahrenheit></max>"
                                             "<min><celsius></celsius><fahrenheit> -3.5 </fahrenheit></min>"
                                             "<min><celsius>abc</celsius></min></temperature>"));
    const auto t = run.weather->Temperature();
    EXPECT_EQ(t->MaxCelsius(), QStringLiteral("12"));
    EXPECT_EQ(t->MaxFahrenheit(), QStringLiteral("-"));
    EXPECT_EQ(t->MinCelsius(), QStringLiteral("-"));
    EXPECT_EQ(t->MinFahrenheit(), QStringLiteral(" -3.5 ")); // the document's text, not reformatted
    // A second temperature element starts over from "-".
    const ReadResult again = read(dir.forecast("<temperature><max><celsius>12</celsius></max></temperature>"
                                               "<temperature><min><celsius>1</celsius></min></temperature>"));
    EXPECT_EQ(again.weather->Temperature()->MaxCelsius(), QStringLiteral("-"));
    EXPECT_EQ(again.weather->Temperature()->MinCelsius(), QStringLiteral("1"));
}

TEST(GetWeather, ImageNumbersRoundOrAbandonTheBuild)
{
    DocumentDir dir;
    const ReadResult run = read(dir.forecast("<image><width> 48 </width><height>32.5</height><link>L</link></image>"
                                             "<image><title>second</title></image>"));
    ASSERT_EQ(run.report.outcome, Outcome::Complete);
    EXPECT_EQ(run.weather->Image()->lWidth(), QStringLiteral("48"));
    EXPECT_EQ(run.weather->Image()->lHeight().value(), QVariant(32));
    EXPECT_EQ(run.weather->Image()->Title(), QStringLiteral("second")); // same cImage updated
    EXPECT_EQ(run.weather->Image()->Link().value(), QVariant(QStringLiteral("L")));

    const auto sentinel = freshWeather();
    for (const QByteArray &bad :
         {QByteArray("<image><width>wide</width></image>"), QByteArray("<image><height>3000000000</height></image>"),
          QByteArray("<image><height></height></image>"),
          QByteArray("<telop>x</telop><pinpoint><location><publictime>soon</publictime>"
                     "</location></pinpoint>"),
          QByteArray("<pinpoint><location><publictime></publictime></location></pinpoint>")}) {
        const ReadResult abandoned = read(dir.forecast(bad), sentinel);
        EXPECT_TRUE(abandoned.result) << bad.constData();
        EXPECT_EQ(abandoned.report.outcome, Outcome::Abandoned) << bad.constData();
        EXPECT_EQ(abandoned.weather, sentinel);
        EXPECT_TRUE(abandoned.boxes.empty());
    }
}

TEST(GetWeather, TopLevelDatesBecomeDashNeverAnError)
{
    DocumentDir dir;
    const ReadResult run = read(dir.forecast("<publictime>later</publictime><forecastdate></forecastdate>"));
    ASSERT_EQ(run.report.outcome, Outcome::Complete);
    EXPECT_EQ(run.weather->Publictime(), QStringLiteral("-"));
    EXPECT_EQ(run.weather->ForecastDate(), QStringLiteral("-"));
}

TEST(GetWeather, RepeatedChildrenOverwriteOrAppendAndAbsentValuesAreEmpty)
{
    DocumentDir dir;
    const ReadResult run = read(dir.forecast(
        "<telop>first</telop><telop>last</telop><location area=\"A\" pref=\"P\" city=\"C\"/><location city=\"C2\"/>"
        "<pinpoint><location><title>one</title><publictime>Fri, 08 Dec 2006 11:00:00 +0900</publictime></location>"
        "</pinpoint><pinpoint><location><link>L2</link></location></pinpoint>"
        "<Telop>ignored</Telop><unknown>x</unknown>"));
    ASSERT_EQ(run.report.outcome, Outcome::Complete);
    EXPECT_EQ(run.weather->Telop(), QStringLiteral("last"));
    EXPECT_EQ(run.weather->LocationCity(), QStringLiteral("C2"));
    EXPECT_TRUE(run.weather->LocationArea().isEmpty());
    EXPECT_TRUE(run.weather->LocationPref().isEmpty());
    const auto locations = run.weather->Locations();
    ASSERT_EQ(locations->Count(), 2);
    EXPECT_EQ(locations->Item(1)->Publictime(), QStringLiteral("2006/12/08 11:00:00"));
    EXPECT_TRUE(locations->Item(2)->Title().isEmpty());
    EXPECT_EQ(locations->Item(2)->Link(), QStringLiteral("L2"));
    EXPECT_TRUE(locations->Item(2)->Publictime().isEmpty());
}

TEST(GetWeather, WarningsElementFillsTheCollection)
{
    struct Case {
        const char *body;
        bool available, stale;
        const char *publictime, *area;
        const char *warnings; // "code/status/class/name/partial;..."
    };
    const Case cases[] = {
        {"<telop>晴れ</telop>", false, false, "", "", ""}, // no element: as before
        {"<warnings available=\"false\"/>", false, false, "", "", ""},
        {"<warnings available=\"false\" stale=\"true\" publictime=\"Thu, 13 Aug 2026 21:20:00 +0900\"/>", false, true,
         "2026/08/13 21:20:00", "", ""},
        {"<warnings publictime=\"Thu, 13 Aug 2026 21:20:00 +0900\" area=\"東京地方\"/>", true, false,
         "2026/08/13 21:20:00", "東京地方", ""},
        {"<warnings publictime=\"soon\"><warning code=\"33\" status=\"継続\" class=\"特別警報\" partial=\"true\">"
         "大雨特別警報</warning><warning code=\"10\" status=\"発表\" class=\"注意報\">大雨注意報</warning>"
         "<other/></warnings>",
         true, false, "-", "", "33/継続/特別警報/大雨特別警報/1;10/発表/注意報/大雨注意報/0"},
    };
    DocumentDir dir;
    for (const Case &c : cases) {
        const ReadResult run = read(dir.forecast(c.body));
        ASSERT_EQ(run.report.outcome, Outcome::Complete) << c.body;
        const auto w = run.weather->Warnings();
        EXPECT_EQ(w->Available(), c.available) << c.body;
        EXPECT_EQ(w->Stale(), c.stale) << c.body;
        EXPECT_EQ(w->Publictime(), QString::fromUtf8(c.publictime)) << c.body;
        EXPECT_EQ(w->Area(), QString::fromUtf8(c.area)) << c.body;
        QStringList got;
        for (const auto &x : *w)
            got << QStringList{x->Code(), x->Status(), x->WarningClass(), x->Name(), QString::number(x->Partial())}
                       .join(u'/');
        EXPECT_EQ(got.join(u';'), QString::fromUtf8(c.warnings)) << c.body;
    }
}

TEST(GetWeather, ElementTextIsAllDescendantTextUntrimmed)
{
    DocumentDir dir;
    const ReadResult run =
        read(dir.forecast("<description> 晴れ<b>のち</b><![CDATA[<雨>]]> &amp; &#x96EA; </description>"));
    EXPECT_EQ(run.weather->Description(), QStringLiteral(" 晴れのち<雨> & 雪 "));
}

TEST(GetWeather, LegacyEncodingsAreDecoded)
{
    for (const char *name : {"shift_jis.xml", "euc-jp.xml", "utf-16.xml"}) {
        const ReadResult run = read(data(name));
        ASSERT_EQ(run.report.outcome, Outcome::Complete) << name << ": " << run.report.detail.toStdString();
        EXPECT_EQ(run.weather->Telop(), QStringLiteral("曇り一時雨")) << name;
        EXPECT_EQ(run.weather->LocationPref(), QStringLiteral("大阪府")) << name;
        EXPECT_TRUE(run.weather->Description().startsWith(QStringLiteral("ｶﾀｶﾅ半角と"))) << name;
    }
    EXPECT_TRUE(read(data("shift_jis.xml")).weather->Description().contains(QStringLiteral("①")));
    // Bytes that are not Shift_JIS are a load failure, not mojibake.
    DocumentDir dir;
    const ReadResult broken = read(dir.write(QStringLiteral("bad-sjis.xml"),
                                             "<?xml version=\"1.0\" encoding=\"Shift_JIS\"?><lwws version=\"1\">"
                                             "<telop>\x81</telop></lwws>"));
    EXPECT_EQ(broken.report.outcome, Outcome::LoadFailed);
}

TEST(GetWeather, EntityDeclarationsAreRefusedAndNeverFetched)
{
    for (const char *name : {"entity-bomb.xml", "external-entity.xml"}) {
        const ReadResult run = read(data(name));
        EXPECT_FALSE(run.result) << name;
        EXPECT_EQ(run.report.outcome, Outcome::LoadFailed) << name;
        ASSERT_EQ(run.boxes.size(), 1U);
    }
}

TEST(GetWeather, DeepNestingDoesNotExhaustTheStack)
{
    DocumentDir dir;
    QByteArray doc;
    const int depth = 200000;
    for (int i = 0; i < depth; ++i)
        doc += "<a>";
    doc += "<lwws version=\"deep\"><telop><b>x</b></telop></lwws>";
    for (int i = 0; i < depth; ++i)
        doc += "</a>";
    const ReadResult run = read(dir.write(QStringLiteral("deep.xml"), doc));
    ASSERT_TRUE(run.result) << run.report.detail.toStdString();
    EXPECT_EQ(run.weather->Version(), QStringLiteral("deep"));
    EXPECT_EQ(run.weather->Telop(), QStringLiteral("x"));
}
