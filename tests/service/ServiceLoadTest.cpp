// The service under pressure: a slow upstream, and hostile clients, over real sockets on 127.0.0.1.
#include "ServiceTestSupport.h"

#include "ForecastService.h"
#include "LiveSource.h"
#include "TestHttpServer.h"
#include "TestSupport.h"

#include <QDir>
#include <QDirIterator>

#include <gtest/gtest.h>
#include <httplib.h>

#include <chrono>
#include <functional>
#include <future>
#include <thread>

using namespace forecastd;
using servicetest::jst;
using namespace std::chrono_literals;

namespace {

const QString kDemo = QStringLiteral(SKYCASTER_SOURCE_DIR "/service/demo-data");

int status(int port, const std::string &path)
{
    httplib::Client client("127.0.0.1", port);
    client.set_read_timeout(20, 0);
    const auto r = client.Get(path.c_str());
    return r ? r->status : 0;
}

/// Re-evaluates `condition` until it holds or `limit` has passed.
bool eventually(const std::function<bool()> &condition, std::chrono::milliseconds limit = 15s)
{
    for (const auto end = std::chrono::steady_clock::now() + limit; std::chrono::steady_clock::now() < end;) {
        if (condition())
            return true;
        std::this_thread::sleep_for(20ms);
    }
    return condition();
}

/// JMA's paths for the demo files, as a local server serves them.
void serveDemo(testsupport::TestHttpServer &jma)
{
    const QString mapped[][2] = {
        {QStringLiteral("area.json"), QStringLiteral("common/const/area.json")},
        {QStringLiteral("forecast/"), QStringLiteral("forecast/data/forecast/")},
        {QStringLiteral("overview_forecast/"), QStringLiteral("forecast/data/overview_forecast/")},
        {QStringLiteral("warning-r8/"), QStringLiteral("warning/data/r8/")}};
    for (QDirIterator it(kDemo, {QStringLiteral("*.json")}, QDir::Files, QDirIterator::Subdirectories); it.hasNext();) {
        QString relative = QDir(kDemo).relativeFilePath(it.next());
        for (const auto &m : mapped) {
            if (relative.startsWith(m[0])) {
                relative.replace(0, m[0].size(), m[1]);
                break;
            }
        }
        jma.serve(QStringLiteral("/bosai/") + relative, testsupport::readAll(it.filePath()), 200, "application/json");
    }
}

const std::string kTokyo = "/forecast/webservice/rest/v1?city=130010&day=today";
const std::string kSapporo = "/forecast/webservice/rest/v1?city=016010&day=today";
const QString kTokyoFile = QStringLiteral("/bosai/forecast/data/forecast/130000.json");

} // namespace

// An upstream that sends its headers, then a byte a second: the request for that office ends by the
// fetch's deadline (or at once with the last good copy); other offices and / are served meanwhile; the
// office heals once the upstream does.
TEST(ForecastServiceLoad, ASlowUpstreamHoldsUpNoOtherRequest)
{
    const struct {
        const char *what;
        bool copyBefore; ///< a good copy of the office was fetched before it slowed down
        int status;      ///< what the office's request gets while the upstream drips
    } cases[] = {{"no copy yet", false, 502}, {"a copy of the last issue", true, 200}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        testsupport::TestHttpServer jma;
        serveDemo(jma);
        auto clock = std::make_shared<std::atomic<qint64>>(jst("2026-01-05T12:00:00+09:00").toSecsSinceEpoch());
        LiveSource::Options options;
        options.upstream = jma.baseUrl() + QStringLiteral("/bosai");
        options.timeoutSecs = 6;
        options.lateMs = 100;
        options.clock = [clock] { return QDateTime::fromSecsSinceEpoch(clock->load(), Qt::UTC); };
        QString error;
        std::shared_ptr<LiveSource> source = LiveSource::Create(options, error);
        ForecastService service(source, {QStringLiteral("127.0.0.1"), 0, {}});
        ASSERT_TRUE(service.Start(error)) << error.toStdString();
        const int port = service.Port();
        ASSERT_EQ(status(port, kSapporo), 200);
        if (c.copyBefore) {
            ASSERT_EQ(status(port, kTokyo), 200);
            clock->store(jst("2026-01-05T17:30:00+09:00").toSecsSinceEpoch()); // the 17:00 issue is due
        }
        testsupport::HttpResponse drip;
        drip.mode = testsupport::HttpResponse::Mode::Drip;
        drip.body = testsupport::readAll(kDemo + QStringLiteral("/forecast/130000.json"));
        drip.delayMs = 1000;
        jma.setResponse(kTokyoFile, drip);

        auto slow = std::async(std::launch::async, [&] { return status(port, kTokyo); });
        ASSERT_TRUE(eventually([&] { return jma.dripping() > 0; }));
        EXPECT_EQ(status(port, kSapporo), 200);
        EXPECT_EQ(status(port, "/"), 200);
        EXPECT_EQ(slow.get(), c.status);
        if (c.copyBefore)
            EXPECT_GT(jma.dripping(), 0) << "the copy waited for the upstream";
        // The deadline ends the dripping fetch; a healed upstream is asked after the back-off.
        EXPECT_TRUE(eventually([&] { return jma.dripping() == 0; }));
        serveDemo(jma);
        const int before = jma.requestCount(kTokyoFile);
        clock->fetch_add(3600);
        EXPECT_TRUE(eventually([&] { return status(port, kTokyo) == 200 && jma.requestCount(kTokyoFile) > before; }));
    }
}
