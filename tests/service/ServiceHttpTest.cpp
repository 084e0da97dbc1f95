// The service over HTTP on 127.0.0.1: offline from the fixtures, and live against a local server
// that plays JMA.
#include "ServiceTestSupport.h"

#include "ForecastService.h"
#include "JstTime.h"
#include "LiveSource.h"
#include "OfflineSource.h"
#include "TestSupport.h"
#include "Warnings.h"
#include "cArea.h"
#include "cAreas.h"
#include "cCities.h"
#include "cCity.h"
#include "cImage.h"
#include "cPref.h"
#include "cPrefs.h"
#include "cTemperature.h"
#include "cWeather.h"

#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QUrl>

#include <gtest/gtest.h>
#include <httplib.h>

#include <atomic>
#include <mutex>
#include <thread>

using namespace forecastd;
using servicetest::jst;

namespace {

struct Answer {
    int status = 0;
    QByteArray body;
    std::string contentType;
};

Answer get(int port, const std::string &path, const std::string &host = {})
{
    httplib::Client client("127.0.0.1", port);
    client.set_read_timeout(10, 0);
    httplib::Headers headers;
    if (!host.empty())
        headers.emplace("Host", host);
    auto r = client.Get(path.c_str(), headers);
    if (!r)
        return {};
    return {r->status, QByteArray::fromStdString(r->body), r->get_header_value("Content-Type")};
}

std::string forecastPath(const char *city, const char *day)
{
    return std::string("/forecast/webservice/rest/v1?city=") + city + "&day=" + day;
}

const QString kDemoData = QStringLiteral(SKYCASTER_SOURCE_DIR "/service/demo-data");

/// The service over a data folder (the real samples unless told), on a free port.
struct OfflineService {
    std::unique_ptr<ForecastService> service;
    explicit OfflineService(ForecastService::Options options = {}, const QDateTime &asOf = {},
                            const QString &folder = servicetest::jmaFixtures())
    {
        QString error;
        std::shared_ptr<ForecastSource> source = OfflineSource::Open(folder, asOf, error);
        EXPECT_TRUE(source) << error.toStdString();
        options.port = 0;
        service = std::make_unique<ForecastService>(source, options);
        EXPECT_TRUE(service->Start(error)) << error.toStdString();
    }
    int port() const { return service->Port(); }
};

} // namespace

TEST(ForecastServiceHttp, ServesDocumentsTheProgramReads)
{
    REQUIRE_FIXTURES();
    OfflineService s({}, jst("2026-01-05T17:00:00+09:00"));
    const Answer a = get(s.port(), forecastPath("130010", "tomorrow"), "weather.example:8931");
    ASSERT_EQ(a.status, 200);
    EXPECT_NE(a.contentType.find("xml"), std::string::npos);
    const auto parsed = servicetest::parseWeather(a.body);
    ASSERT_TRUE(parsed.weather);
    EXPECT_EQ(parsed.weather->Telop(), QStringLiteral("晴時々曇"));
    EXPECT_EQ(parsed.weather->Temperature()->MaxCelsius(), QStringLiteral("11"));
    EXPECT_EQ(parsed.weather->Publictime(), QStringLiteral("2026/01/05 17:00:00"));

    // The icon URL is absolute, built from the request's Host; the served picture has the announced size.
    const QUrl icon(parsed.weather->Image()->URL());
    EXPECT_EQ(icon.host(), QStringLiteral("weather.example"));
    EXPECT_EQ(icon.port(), 8931);
    const Answer png = get(s.port(), icon.path().toStdString());
    ASSERT_EQ(png.status, 200);
    EXPECT_EQ(png.contentType, "image/png");
    QImage image;
    ASSERT_TRUE(image.loadFromData(png.body, "PNG"));
    EXPECT_EQ(QString::number(image.width()), parsed.weather->Image()->lWidth());
    EXPECT_EQ(image.height(), parsed.weather->Image()->lHeight().value().toInt());

    // A 5-digit id is the 6-digit code with its leading zero.
    const Answer five = get(s.port(), forecastPath("11000", "today"));
    const Answer six = get(s.port(), forecastPath("011000", "today"));
    ASSERT_EQ(five.status, 200);
    EXPECT_EQ(five.body, six.body);
}

TEST(ForecastServiceHttp, RefusesWhatItCannotAnswer)
{
    OfflineService s({}, {}, kDemoData);
    struct Case {
        std::string path;
        int status;
    };
    const Case cases[] = {
        {forecastPath("999999", "today"), 404},
        {forecastPath("130010", "yesterday"), 400},
        {forecastPath("abc", "today"), 400},
        {"/forecast/webservice/rest/v1?city=130010", 400},
        {"/forecast/webservice/rest/v1", 400},
        // Chiba is not in the demo data.
        {forecastPath("120010", "today"), 404},
        {"/forecast/img/999.png", 404},
        {"/forecast/img/../../etc/passwd", 404},
        {"/nothing", 404},
    };
    for (const Case &c : cases) {
        const Answer a = get(s.port(), c.path);
        EXPECT_EQ(a.status, c.status) << c.path;
        EXPECT_EQ(a.contentType.rfind("text/plain", 0), 0u) << c.path;
        EXPECT_FALSE(a.body.contains("<lwws")) << c.path;
        EXPECT_FALSE(a.body.isEmpty()) << c.path;
    }
}

TEST(ForecastServiceHttp, AccessLogHasOneLinePerRequest)
{
    QTemporaryDir dir;
    const QString logPath = dir.filePath(QStringLiteral("access.log"));
    QString error;
    std::shared_ptr<ForecastSource> source = OfflineSource::Open(kDemoData, {}, error);
    ASSERT_TRUE(source) << error.toStdString();
    ForecastService service(source, ForecastService::Options{QStringLiteral("127.0.0.1"), 0, {}});
    EXPECT_FALSE(service.OpenAccessLog(dir.filePath(QStringLiteral("missing/access.log")), error));
    EXPECT_TRUE(error.contains(QStringLiteral("missing/access.log")));
    ASSERT_TRUE(service.OpenAccessLog(logPath, error)) << error.toStdString();
    ASSERT_TRUE(service.Start(error)) << error.toStdString();

    EXPECT_EQ(get(service.Port(), forecastPath("011000", "tomorrow")).status, 200);
    EXPECT_EQ(get(service.Port(), forecastPath("999999", "today")).status, 404);
    service.Stop();

    QFile log(logPath);
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    // Requests are served on a pool of threads, so the lines may come in either order. The id keeps its
    // leading zero: tests of the program check what it asked for.
    QStringList lines = QString::fromUtf8(log.readAll()).split(u'\n');
    EXPECT_EQ(lines.takeLast(), QString()) << "last line not ended";
    lines.sort();
    EXPECT_EQ(lines.join(u'|').toStdString(), "GET /forecast/webservice/rest/v1?city=011000&day=tomorrow 200|"
                                              "GET /forecast/webservice/rest/v1?city=999999&day=today 404");
}

// One icon per JMA icon name; the four groups at least look different.
TEST(ForecastServiceHttp, IconsOfTheGroupsDiffer)
{
    OfflineService s({}, {}, kDemoData);
    QList<QImage> images;
    for (const char *name : {"100", "200", "300", "400", "101", "110", "308", "406"}) {
        const Answer a = get(s.port(), std::string("/forecast/img/") + name + ".png");
        ASSERT_EQ(a.status, 200) << name;
        QImage image;
        ASSERT_TRUE(image.loadFromData(a.body, "PNG")) << name;
        EXPECT_EQ(image.size(), QSize(kIconWidth, kIconHeight));
        image.save(testsupport::artifactPath(QStringLiteral("forecastd-icon-%1.png").arg(QLatin1String(name))));
        for (const QImage &other : images)
            EXPECT_NE(image, other) << name;
        images.append(image);
    }
}

// The served area list and the shipped one: same tree, read by the program, unique keys.
TEST(ForecastServiceHttp, AreaListMatchesTheShippedOne)
{
    REQUIRE_FIXTURES();
    ForecastService::Options options;
    options.publicUrl = QStringLiteral("http://127.0.0.1:8931/");
    OfflineService s(options);
    const Answer a = get(s.port(), "/forecast/rss/forecastmap.xml");
    ASSERT_EQ(a.status, 200);
    int boxes = -1;
    const auto served = servicetest::parseAreas(a.body, &boxes);
    ASSERT_TRUE(served);
    EXPECT_EQ(boxes, 0);
    EXPECT_EQ(served->Count(), 11);
    int prefs = 0;
    int cities = 0;
    for (const auto &area : *served) {
        for (const auto &pref : *area->Prefs()) {
            ++prefs;
            for (const auto &city : *pref->Cities()) {
                ++cities;
                EXPECT_EQ(city->ID().size(), 6);
                EXPECT_EQ(city->Source(), QStringLiteral("http://127.0.0.1:8931/forecast/webservice/rest/v1?city=") +
                                              city->ID() + QStringLiteral("&day=today"));
            }
        }
    }
    EXPECT_EQ(prefs, 58);
    EXPECT_EQ(cities, 142);
    EXPECT_EQ(served->Item(QStringLiteral("北海道地方"))
                  ->Prefs()
                  ->Item(QStringLiteral("宗谷地方"))
                  ->Cities()
                  ->Item(QStringLiteral("011000"))
                  ->Title(),
              QStringLiteral("稚内"));

    const auto shipped = servicetest::parseAreas(
        testsupport::readAll(QStringLiteral(SKYCASTER_SOURCE_DIR "/res/forecastmap/forecastmap.xml")));
    ASSERT_TRUE(shipped);
    ASSERT_EQ(shipped->Count(), served->Count());
    for (int i = 1; i <= served->Count(); ++i) {
        const auto x = served->Item(i);
        const auto y = shipped->Item(i);
        EXPECT_EQ(x->Title(), y->Title());
        ASSERT_EQ(x->Prefs()->Count(), y->Prefs()->Count()) << x->Title().toStdString();
        for (int p = 1; p <= x->Prefs()->Count(); ++p) {
            const auto cx = x->Prefs()->Item(p)->Cities();
            const auto cy = y->Prefs()->Item(p)->Cities();
            ASSERT_EQ(cx->Count(), cy->Count());
            for (int c = 1; c <= cx->Count(); ++c) {
                EXPECT_EQ(cx->Item(c)->ID(), cy->Item(c)->ID());
                EXPECT_EQ(cx->Item(c)->Title(), cy->Item(c)->Title());
                EXPECT_EQ(cx->Item(c)->Source(), cy->Item(c)->Source());
            }
        }
    }
}

TEST(ForecastServiceHttp, DemoDataServesTokyoAndHokkaido)
{
    QString error;
    std::shared_ptr<ForecastSource> source = OfflineSource::Open(kDemoData, {}, error);
    ASSERT_TRUE(source) << error.toStdString();
    ForecastService service(source, {QStringLiteral("127.0.0.1"), 0, {}});
    ASSERT_TRUE(service.Start(error)) << error.toStdString();
    EXPECT_TRUE(std::static_pointer_cast<OfflineSource>(source)->Warnings().isEmpty());
    // The demo shows the warnings too: today's first lines.
    const struct {
        const char *city;
        const char *lines;
    } demo[] = {
        {"130010", "【注意報】乾燥 1/5 10:30発表\n降水確率 12-18時 10% 18-24時 20%\n東京 今日"},
        {"130040", "降水確率 12-18時 10% 18-24時 20%\n父島 今日"},
        {"016010", "【注意報】大雪、風雪 1/5 10:30発表\n降水確率"},
        {"016030", "【警報】暴風雪、大雪 1/5 10:30発表\n降水確率"},
        {"011000", "【注意報】大雪 1/5 10:30発表\n降水確率"},
    };
    for (const auto &d : demo) {
        for (const char *day : {"today", "tomorrow", "dayaftertomorrow"}) {
            const Answer a = get(service.Port(), forecastPath(d.city, day));
            ASSERT_EQ(a.status, 200) << d.city << " " << day << ": " << a.body.toStdString();
            const auto parsed = servicetest::parseWeather(a.body);
            ASSERT_TRUE(parsed.weather) << d.city << " " << day;
            EXPECT_FALSE(parsed.weather->Telop().isEmpty());
            if (day == std::string("today")) {
                EXPECT_TRUE(parsed.weather->Description().startsWith(QString::fromUtf8(d.lines)))
                    << parsed.weather->Description().toStdString();
            }
        }
    }
    const auto areas = servicetest::parseAreas(get(service.Port(), "/forecast/rss/forecastmap.xml").body);
    ASSERT_TRUE(areas);
    EXPECT_EQ(areas->Count(), 2);
}

// ---- Live mode against a local server playing JMA --------------------------------------------

namespace {

/// A stand-in for www.jma.go.jp/bosai serving fixture files, with ETags, on 127.0.0.1.
class FakeJma {
public:
    FakeJma()
    {
        m_server.Get(R"(/bosai/(.*))", [this](const httplib::Request &req, httplib::Response &res) {
            std::lock_guard lock(m_mutex);
            m_requests.push_back(req.path);
            m_conditional.push_back(req.get_header_value("If-None-Match"));
            const auto it = m_files.find(req.matches[1]);
            if (m_status != 200) {
                res.status = m_status;
                return;
            }
            if (it == m_files.end()) {
                res.status = 404;
                return;
            }
            const std::string etag = "\"" + std::to_string(std::hash<std::string>{}(it->second)) + "\"";
            res.set_header("ETag", etag);
            if (req.get_header_value("If-None-Match") == etag) {
                res.status = 304;
                return;
            }
            res.set_content(it->second, "application/json");
        });
        m_port = m_server.bind_to_any_port("127.0.0.1");
        m_thread = std::thread([this] { m_server.listen_after_bind(); });
        while (!m_server.is_running())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ~FakeJma()
    {
        m_server.stop();
        m_thread.join();
    }
    void put(const std::string &path, const QByteArray &body)
    {
        std::lock_guard lock(m_mutex);
        m_files[path] = body.toStdString();
    }
    void setStatus(int status)
    {
        std::lock_guard lock(m_mutex);
        m_status = status;
    }
    std::vector<std::string> requests()
    {
        std::lock_guard lock(m_mutex);
        return m_requests;
    }
    std::string lastConditional()
    {
        std::lock_guard lock(m_mutex);
        return m_conditional.empty() ? std::string() : m_conditional.back();
    }
    QString base() const { return QStringLiteral("http://127.0.0.1:%1/bosai").arg(m_port); }

private:
    httplib::Server m_server;
    std::thread m_thread;
    int m_port = 0;
    std::mutex m_mutex;
    std::map<std::string, std::string> m_files;
    std::vector<std::string> m_requests;
    std::vector<std::string> m_conditional;
    int m_status = 200;
};

/// The service in live mode with a clock the test moves.
struct LiveService {
    std::shared_ptr<std::atomic<qint64>> clock = std::make_shared<std::atomic<qint64>>(0);
    std::shared_ptr<LiveSource> source;
    std::unique_ptr<ForecastService> service;

    LiveService(const QString &upstream, const QDateTime &start)
    {
        clock->store(start.toSecsSinceEpoch());
        LiveSource::Options options;
        options.upstream = upstream;
        options.timeoutSecs = 3;
        auto c = clock;
        options.clock = [c] { return QDateTime::fromSecsSinceEpoch(c->load(), Qt::UTC); };
        QString error;
        source = LiveSource::Create(options, error);
        EXPECT_TRUE(source) << error.toStdString();
        service =
            std::make_unique<ForecastService>(source, ForecastService::Options{QStringLiteral("127.0.0.1"), 0, {}});
        EXPECT_TRUE(service->Start(error)) << error.toStdString();
    }
    void advance(qint64 secs) { clock->fetch_add(secs); }
    int port() const { return service->Port(); }
};

} // namespace

TEST(ForecastServiceLive, CachesUntilTheNextIssueAndRevalidates)
{
    REQUIRE_FIXTURES();
    FakeJma jma;
    jma.put("common/const/area.json", servicetest::fixture(QStringLiteral("area.json")));
    jma.put("forecast/data/forecast/130000.json",
            servicetest::fixture(QStringLiteral("forecast/130000_2026-01-05T1700.json")));
    jma.put("forecast/data/overview_forecast/130000.json",
            servicetest::fixture(QStringLiteral("overview_forecast/130000_2021-02-24T1633.json")));
    jma.put("warning/data/r8/130000.json",
            servicetest::fixture(QStringLiteral("warning-r8/130000_20260813T1948.json")));
    LiveService live(jma.base(), jst("2026-01-05T18:00:00+09:00"));
    // Warning files are asked for more often, on their own schedule.
    auto forecastRequests = [&jma] {
        auto requests = jma.requests();
        std::erase_if(requests, [](const std::string &path) { return path.rfind("/bosai/warning/", 0) == 0; });
        return requests;
    };

    const Answer first = get(live.port(), forecastPath("130010", "tomorrow"));
    ASSERT_EQ(first.status, 200) << first.body.toStdString();
    const auto parsed = servicetest::parseWeather(first.body);
    ASSERT_TRUE(parsed.weather);
    EXPECT_EQ(parsed.weather->Telop(), QStringLiteral("晴時々曇"));
    EXPECT_EQ(parsed.weather->Temperature()->MinCelsius(), QStringLiteral("2"));
    // area.json, the forecast, the overview (of another day: the document goes without its text).
    EXPECT_FALSE(parsed.weather->Description().contains(QStringLiteral("冬型")));
    const auto afterFirst = forecastRequests();
    EXPECT_EQ(afterFirst.size(), 3u);
    EXPECT_NE(std::find(afterFirst.begin(), afterFirst.end(), "/bosai/forecast/data/overview_forecast/130000.json"),
              afterFirst.end());

    // Within the same issue: nothing fetched again.
    live.advance(3600);
    ASSERT_EQ(get(live.port(), forecastPath("130010", "today")).status, 200);
    EXPECT_EQ(forecastRequests().size(), afterFirst.size());

    // After 05:00 the next day: conditional requests, answered 304; "today" is now the 6th.
    live.clock->store(jst("2026-01-06T07:00:00+09:00").toSecsSinceEpoch());
    const Answer next = get(live.port(), forecastPath("130010", "today"));
    ASSERT_EQ(next.status, 200);
    EXPECT_GT(forecastRequests().size(), afterFirst.size());
    EXPECT_FALSE(jma.lastConditional().empty());
    const auto nextDay = servicetest::parseWeather(next.body);
    ASSERT_TRUE(nextDay.weather);
    EXPECT_EQ(nextDay.weather->ForecastDate(), QStringLiteral("2026/01/06"));
    EXPECT_EQ(nextDay.weather->Telop(), QStringLiteral("晴時々曇"));
}

TEST(ForecastServiceLive, KeepsServingLastGoodDataAndBacksOff)
{
    REQUIRE_FIXTURES();
    FakeJma jma;
    jma.put("common/const/area.json", servicetest::fixture(QStringLiteral("area.json")));
    jma.put("forecast/data/forecast/130000.json",
            servicetest::fixture(QStringLiteral("forecast/130000_2026-01-05T1700.json")));
    LiveService live(jma.base(), jst("2026-01-05T18:00:00+09:00"));
    const Answer good = get(live.port(), forecastPath("130010", "tomorrow"));
    ASSERT_EQ(good.status, 200);

    // JMA fails after the next issue time: the last good forecast, with its own publication time.
    jma.setStatus(500);
    live.clock->store(jst("2026-01-05T23:30:00+09:00").toSecsSinceEpoch());
    live.advance(6 * 3600); // 05:30 on the 6th
    const Answer stale = get(live.port(), forecastPath("130010", "today"));
    ASSERT_EQ(stale.status, 200) << stale.body.toStdString();
    const auto parsed = servicetest::parseWeather(stale.body);
    ASSERT_TRUE(parsed.weather);
    EXPECT_EQ(parsed.weather->Publictime(), QStringLiteral("2026/01/05 17:00:00"));
    const size_t afterFailure = jma.requests().size();

    // Backing off: no new attempt within the wait, one after it.
    live.advance(10);
    ASSERT_EQ(get(live.port(), forecastPath("130010", "today")).status, 200);
    EXPECT_EQ(jma.requests().size(), afterFailure);
    live.advance(120);
    ASSERT_EQ(get(live.port(), forecastPath("130010", "today")).status, 200);
    EXPECT_GT(jma.requests().size(), afterFailure);

    // Garbage from JMA does not replace good data either.
    jma.setStatus(200);
    jma.put("forecast/data/forecast/130000.json", "[{\"publishingOffice\":\"気象庁\",\"report");
    live.advance(3 * 3600);
    const Answer still = get(live.port(), forecastPath("130010", "today"));
    ASSERT_EQ(still.status, 200);
    EXPECT_EQ(servicetest::parseWeather(still.body).weather->Publictime(), QStringLiteral("2026/01/05 17:00:00"));
}

TEST(ForecastServiceLive, BadUpstreamDataGivesAnHttpError)
{
    REQUIRE_FIXTURES();
    FakeJma jma;
    jma.put("common/const/area.json", servicetest::fixture(QStringLiteral("area.json")));
    const QByteArray full = servicetest::fixture(QStringLiteral("forecast/130000_2026-01-05T1700.json"));
    QByteArray missingKey = full;
    missingKey.replace("\"weatherCodes\"", "\"weatherKodes\"");
    QByteArray shortArray = full;
    shortArray.replace("\"weatherCodes\":[\"111\",\"101\",\"211\"]", "\"weatherCodes\":[\"111\",\"101\"]");
    jma.put("forecast/data/forecast/130000.json", full.left(full.size() / 2));
    jma.put("forecast/data/forecast/230000.json", missingKey);
    jma.put("forecast/data/forecast/011000.json", shortArray);
    jma.put("forecast/data/forecast/471000.json", "{\"not\":\"an array\"}");
    LiveService live(jma.base(), jst("2026-01-05T18:00:00+09:00"));

    for (const char *city : {"130010", "230010", "011000", "471010"}) {
        const Answer a = get(live.port(), forecastPath(city, "today"));
        EXPECT_EQ(a.status, 502) << city;
        EXPECT_FALSE(a.body.contains("<lwws")) << city;
    }
    // 014030 is fetched as 014100.json (missing upstream: an error, not another area's forecast).
    const Answer tokachi = get(live.port(), forecastPath("014030", "today"));
    EXPECT_EQ(tokachi.status, 502);
    const auto requests = jma.requests();
    EXPECT_NE(std::find(requests.begin(), requests.end(), "/bosai/forecast/data/forecast/014100.json"), requests.end());
    EXPECT_EQ(std::find(requests.begin(), requests.end(), "/bosai/forecast/data/forecast/014030.json"), requests.end());

    // No area data at all: every request is refused.
    FakeJma empty;
    LiveService none(empty.base(), jst("2026-01-05T18:00:00+09:00"));
    EXPECT_EQ(get(none.port(), forecastPath("130010", "today")).status, 502);
    EXPECT_EQ(get(none.port(), "/forecast/rss/forecastmap.xml").status, 502);

    QString error;
    LiveSource::Options bad;
    bad.upstream = QStringLiteral("ftp://example.org/bosai");
    EXPECT_FALSE(LiveSource::Create(bad, error));
    EXPECT_FALSE(error.isEmpty());
}

namespace {

size_t countOf(const std::vector<std::string> &requests, const std::string &path)
{
    return size_t(std::count(requests.begin(), requests.end(), path));
}

} // namespace

// Warnings come from JMA's current (r8) endpoint, cached, revalidated with conditional requests after a
// few minutes, and kept while JMA cannot be reached.
TEST(ForecastServiceLive, WarningsComeFromTheCurrentEndpointAndTheLastGoodCopyIsKept)
{
    REQUIRE_FIXTURES();
    FakeJma jma;
    jma.put("common/const/area.json", servicetest::fixture(QStringLiteral("area.json")));
    jma.put("forecast/data/forecast/120000.json", servicetest::forecastMovedTo(QStringLiteral("120000")));
    jma.put("warning/data/r8/120000.json",
            servicetest::fixture(QStringLiteral("warning-r8/120000_20260813T2120.json")));
    LiveService live(jma.base(), jst("2026-01-05T18:00:00+09:00"));
    const std::string r8 = "/bosai/warning/data/r8/120000.json";
    const QString chibaLines =
        QStringLiteral("【特別警報】大雨（一部） 8/13 21:20発表\n【危険警報】土砂災害（一部）\n【注意報】雷\n");
    auto description = [&](const char *city, const char *day) {
        const Answer a = get(live.port(), forecastPath(city, day));
        EXPECT_EQ(a.status, 200) << a.body.toStdString();
        const auto parsed = servicetest::parseWeather(a.body);
        return parsed.weather ? parsed.weather->Description() : QString();
    };

    EXPECT_TRUE(
        description("120010", "today").startsWith(chibaLines + QStringLiteral("降水確率 18-24時 10%\n千葉 今日")));
    EXPECT_EQ(countOf(jma.requests(), r8), 1u);
    for (const std::string &path : jma.requests())
        EXPECT_EQ(path.find("/warning/data/warning/"), std::string::npos) << "the old endpoint is no longer updated";

    // Other cities and days of the office: the same file, not fetched again.
    EXPECT_TRUE(description("120020", "tomorrow")
                    .startsWith(QStringLiteral("【危険警報】大雨（一部）、土砂災害（一部） 8/13 21:20発表\n")));
    EXPECT_EQ(countOf(jma.requests(), r8), 1u);

    // After the refresh time: asked again, conditionally; the 304 keeps the same lines.
    live.advance(11 * 60);
    EXPECT_TRUE(description("120010", "today").startsWith(chibaLines));
    EXPECT_EQ(countOf(jma.requests(), r8), 2u);
    EXPECT_FALSE(jma.lastConditional().empty());

    // JMA fails: the last good copy, and no new attempt until the back-off has passed.
    jma.setStatus(503);
    live.advance(11 * 60);
    EXPECT_TRUE(description("120010", "today").startsWith(chibaLines));
    EXPECT_EQ(countOf(jma.requests(), r8), 3u);
    live.advance(10);
    EXPECT_TRUE(description("120010", "tomorrow").startsWith(chibaLines));
    EXPECT_EQ(countOf(jma.requests(), r8), 3u);

    // Unconfirmed for longer than the limit (last 304 at +11 min): the copy is no longer shown as current.
    live.advance(WarningFreshness::kMaxUnconfirmedSecs - 11 * 60 - 10);
    EXPECT_TRUE(description("120010", "today").startsWith(chibaLines));
    live.advance(1);
    EXPECT_TRUE(
        description("120010", "today")
            .startsWith(QStringLiteral("警報・注意報の最新の情報を取得できませんでした（最終発表 8/13 21:20）\n")));
}

// No warning file, or one that cannot be read, while the forecast is fine: the forecast as ever, with
// the note where the warnings would be. 十勝's warnings are asked for under its own office.
TEST(ForecastServiceLive, AWarningFileThatCannotBeHadLeavesTheNote)
{
    REQUIRE_FIXTURES();
    struct Case {
        const char *what;
        const char *body; ///< null: not there (404)
    };
    const Case cases[] = {
        {"missing", nullptr},
        {"cut short", R"([{"reportDatetime":"2026-08-13T19:48:00+09:00","warning":{"class20Items":[{"areaC)"},
        {"not JSON", "<html><body>503 Service Unavailable</body></html>"},
        {"wrong shape", R"({"warningnames":{"03":"大雨警報"}})"},
    };
    const QByteArray tokyo = servicetest::fixture(QStringLiteral("forecast/130000_2026-01-05T1700.json"));
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        FakeJma jma;
        jma.put("common/const/area.json", servicetest::fixture(QStringLiteral("area.json")));
        jma.put("forecast/data/forecast/130000.json", tokyo);
        jma.put("forecast/data/forecast/014100.json",
                servicetest::fixture(QStringLiteral("forecast/014100_2026-08-12T1700.json")));
        if (c.body) {
            jma.put("warning/data/r8/130000.json", c.body);
            jma.put("warning/data/r8/014030.json", c.body);
        }
        LiveService live(jma.base(), jst("2026-01-05T18:00:00+09:00"));
        const Answer a = get(live.port(), forecastPath("130010", "tomorrow"));
        ASSERT_EQ(a.status, 200) << a.body.toStdString();
        const auto parsed = servicetest::parseWeather(a.body);
        ASSERT_TRUE(parsed.weather);
        EXPECT_EQ(parsed.weather->Telop(), QStringLiteral("晴時々曇"));
        EXPECT_EQ(parsed.weather->Temperature()->MinCelsius(), QStringLiteral("2"));
        EXPECT_FALSE(servicetest::documentExtras(a.body).warningsKnown);
        servicetest::expectWarningLines(parsed, tokyo, QStringLiteral("130010"), "明日");
        EXPECT_EQ(countOf(jma.requests(), "/bosai/warning/data/r8/130000.json"), 1u);

        // 十勝 is in 014100.json, of another day.
        live.clock->store(jst("2026-08-12T18:00:00+09:00").toSecsSinceEpoch());
        const Answer tokachi = get(live.port(), forecastPath("014030", "today"));
        ASSERT_EQ(tokachi.status, 200) << tokachi.body.toStdString();
        const auto parsedTokachi = servicetest::parseWeather(tokachi.body);
        ASSERT_TRUE(parsedTokachi.weather);
        EXPECT_TRUE(
            parsedTokachi.weather->Description().startsWith(QStringLiteral("警報・注意報を取得できませんでした\n")));
        EXPECT_EQ(countOf(jma.requests(), "/bosai/warning/data/r8/014030.json"), 1u);
        EXPECT_EQ(countOf(jma.requests(), "/bosai/warning/data/r8/014100.json"), 0u);
    }
}
