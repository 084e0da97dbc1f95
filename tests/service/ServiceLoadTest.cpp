// The service under pressure: a slow upstream, and hostile clients, over real sockets on 127.0.0.1.
#include "ServiceTestSupport.h"

#include "ForecastService.h"
#include "LiveSource.h"
#include "OfflineSource.h"
#include "TestHttpServer.h"
#include "TestSupport.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <httplib.h>

#include <chrono>
#include <functional>
#include <future>
#include <thread>

#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

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

// ---- Hostile clients against the real program -------------------------------------------------

namespace {

/// skycaster-forecastd on the demo data, on a free port.
class ServiceProcess {
public:
    ServiceProcess()
    {
        m_process.setProgram(QStringLiteral(SKYCASTER_PROGRAM_DIR "/skycaster-forecastd"));
        m_process.setArguments({QStringLiteral("--offline"), kDemo, QStringLiteral("--port"), QStringLiteral("0")});
        m_process.setReadChannel(QProcess::StandardError);
        m_process.start();
        const QRegularExpression listening(QStringLiteral("listening on http://127.0.0.1:(\\d+)"));
        QByteArray said;
        eventually([&] {
            m_process.waitForReadyRead(100);
            said += m_process.readAllStandardError();
            const auto match = listening.match(QString::fromUtf8(said));
            m_port = match.hasMatch() ? match.captured(1).toInt() : 0;
            return m_port != 0 || m_process.state() == QProcess::NotRunning;
        });
    }
    ~ServiceProcess()
    {
        m_process.terminate();
        m_process.waitForFinished(10000);
    }
    int port() const { return m_port; }
    bool running() const { return m_process.state() == QProcess::Running; }
    /// Peak resident memory so far, in MB.
    long peakMb() const
    {
        QFile status(QStringLiteral("/proc/%1/status").arg(m_process.processId()));
        if (!status.open(QIODevice::ReadOnly))
            return -1;
        const auto match =
            QRegularExpression(QStringLiteral("VmHWM:\\s+(\\d+) kB")).match(QString::fromLatin1(status.readAll()));
        return match.hasMatch() ? match.captured(1).toLong() / 1024 : -1;
    }

private:
    QProcess m_process;
    int m_port = 0;
};

/// A raw client connection to 127.0.0.1.
class Raw {
public:
    explicit Raw(int port)
        : m_fd(::socket(AF_INET, SOCK_STREAM, 0))
    {
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_port = htons(static_cast<uint16_t>(port));
        to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        m_connected = ::connect(m_fd, reinterpret_cast<sockaddr *>(&to), sizeof to) == 0;
    }
    ~Raw() { ::close(m_fd); }
    Raw(const Raw &) = delete;
    Raw &operator=(const Raw &) = delete;
    bool connected() const { return m_connected; }
    bool send(const QByteArray &bytes)
    {
        for (qsizetype sent = 0; sent < bytes.size();) {
            const ssize_t n = ::send(m_fd, bytes.constData() + sent, size_t(bytes.size() - sent), MSG_NOSIGNAL);
            if (n <= 0)
                return false;
            sent += n;
        }
        return true;
    }
    /// Reads until the server closes the connection or `limit` passes; everything it sent.
    QByteArray readToEnd(std::chrono::milliseconds limit = 15s)
    {
        QByteArray all;
        char buffer[16384];
        for (const auto end = std::chrono::steady_clock::now() + limit; std::chrono::steady_clock::now() < end;) {
            pollfd p{m_fd, POLLIN, 0};
            if (::poll(&p, 1, 100) <= 0)
                continue;
            const ssize_t n = ::recv(m_fd, buffer, sizeof buffer, 0);
            if (n <= 0) {
                m_closed = true;
                break;
            }
            all.append(buffer, n);
        }
        return all;
    }
    /// The server ended the connection (seen by readToEnd).
    bool closed() const { return m_closed; }

private:
    int m_fd;
    bool m_connected = false;
    bool m_closed = false;
};

/// Sends `head`, then `filler` again and again up to `total` bytes or until the server stops taking them.
void flood(Raw &raw, const QByteArray &head, const QByteArray &filler, qint64 total)
{
    raw.send(head);
    const QByteArray block = filler.repeated(qMax<qsizetype>(1, 65536 / filler.size()));
    for (qint64 sent = 0; sent < total && raw.send(block);)
        sent += block.size();
}

QStringList statusLines(const QByteArray &answers)
{
    QStringList lines;
    for (const auto &m :
         QRegularExpression(QStringLiteral("HTTP/1\\.1 (\\d{3})")).globalMatch(QString::fromLatin1(answers)))
        lines << m.captured(1);
    return lines;
}

} // namespace

// Each case holds the service busy its own way until another client has been served, then checks what
// the hostile client got; the service stays up and its memory bounded throughout.
TEST(ForecastServiceLoad, HostileClientsLeaveOthersServed)
{
    using Hostile = std::function<void(int port, const std::atomic<bool> &othersServed)>;
    const auto waitFor = [](const std::atomic<bool> &flag) { eventually([&] { return flag.load(); }, 30s); };
    const std::string doc = kTokyo;
    const struct {
        const char *what;
        Hostile hostile;
    } cases[] = {
        {"slow header bytes, ended by the service",
         [&](int port, const std::atomic<bool> &served) {
             std::vector<std::unique_ptr<Raw>> slow;
             for (int i = 0; i < 16; ++i)
                 slow.push_back(std::make_unique<Raw>(port));
             for (int i = 0; !served && i < 300; ++i) {
                 for (auto &r : slow)
                     r->send(i == 0 ? "GET / HTTP/1.1\r\n" : "X");
                 std::this_thread::sleep_for(100ms);
             }
             waitFor(served);
             for (auto &r : slow) {
                 r->readToEnd(30s);
                 EXPECT_TRUE(r->closed());
             }
         }},
        {"100 MB of header lines",
         [&](int port, const std::atomic<bool> &served) {
             Raw raw(port);
             flood(raw, "GET / HTTP/1.1\r\n", "X-A: b\r\n", 100 << 20);
             EXPECT_EQ(statusLines(raw.readToEnd()), QStringList{QStringLiteral("431")});
             waitFor(served);
         }},
        {"200 MB body with a length",
         [&](int port, const std::atomic<bool> &served) {
             Raw raw(port);
             flood(raw, "POST / HTTP/1.1\r\nHost: a\r\nContent-Length: 209715200\r\n\r\n", "x", 200 << 20);
             raw.readToEnd();
             EXPECT_TRUE(raw.closed());
             waitFor(served);
         }},
        {"200 MB chunked body",
         [&](int port, const std::atomic<bool> &served) {
             Raw raw(port);
             flood(raw, "POST / HTTP/1.1\r\nHost: a\r\nTransfer-Encoding: chunked\r\n\r\n",
                   "1000\r\n" + QByteArray(4096, 'x') + "\r\n", 200 << 20);
             raw.readToEnd();
             EXPECT_TRUE(raw.closed());
             waitFor(served);
         }},
        {"small bodies and other methods",
         [&](int port, const std::atomic<bool> &served) {
             for (const char *request : {"POST / HTTP/1.1\r\nHost: a\r\nContent-Length: 3\r\n\r\nabc",
                                         "GET / HTTP/1.1\r\nHost: a\r\nContent-Length: 3\r\n\r\nabc",
                                         "DELETE / HTTP/1.1\r\nHost: a\r\n\r\n"}) {
                 Raw raw(port);
                 raw.send(request);
                 const QStringList got = statusLines(raw.readToEnd());
                 EXPECT_TRUE(got == QStringList{QStringLiteral("405")} || got == QStringList{QStringLiteral("413")})
                     << request;
             }
             waitFor(served);
         }},
        {"2700 ranges",
         [&](int port, const std::atomic<bool> &served) {
             const QByteArray ranges = "bytes=" + QByteArray("0-0,").repeated(2699) + "0-0";
             Raw raw(port);
             raw.send(QByteArray::fromStdString("GET " + doc) +
                      " HTTP/1.1\r\nHost: a\r\nConnection: close\r\nRange: " + ranges + "\r\n\r\n");
             const QByteArray answer = raw.readToEnd();
             EXPECT_EQ(statusLines(answer), QStringList{QStringLiteral("200")});
             EXPECT_LT(answer.size(), 64 * 1024);
             waitFor(served);
         }},
        {"three requests pipelined in one write",
         [&](int port, const std::atomic<bool> &served) {
             Raw raw(port);
             raw.send("GET / HTTP/1.1\r\nHost: a\r\n\r\nGET /nothing HTTP/1.1\r\nHost: a\r\n\r\n"
                      "HEAD / HTTP/1.1\r\nHost: a\r\nConnection: close\r\n\r\n");
             EXPECT_EQ(statusLines(raw.readToEnd()).join(u' '), QStringLiteral("200 404 200"));
             waitFor(served);
         }},
        {"1000 idle connections",
         [&](int port, const std::atomic<bool> &served) {
             std::vector<std::unique_ptr<Raw>> idle;
             for (int i = 0; i < 1000; ++i)
                 idle.push_back(std::make_unique<Raw>(port));
             EXPECT_TRUE(std::all_of(idle.begin(), idle.end(), [](const auto &r) { return r->connected(); }));
             waitFor(served);
         }},
    };
    ServiceProcess service;
    ASSERT_NE(service.port(), 0);
    const long startMb = service.peakMb();
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        std::atomic<bool> served{false};
        std::atomic<bool> started{false};
        auto hostile = std::async(std::launch::async, [&] {
            started = true;
            c.hostile(service.port(), served);
        });
        // Another client is answered while the hostile one is still at it.
        eventually([&] { return started.load(); });
        std::this_thread::sleep_for(300ms);
        EXPECT_TRUE(eventually([&] { return status(service.port(), doc) == 200; }, 20s));
        served = true;
        hostile.get();
        EXPECT_TRUE(service.running());
        EXPECT_LT(service.peakMb(), startMb + 150);
    }
}

// ---- Validators, for caches in front ----------------------------------------------------------

// Every document has a strong ETag and Last-Modified; either validator, when it matches, gets a 304 with
// no body; If-None-Match decides when both are there.
TEST(ForecastServiceLoad, DocumentsAnswerTheirValidatorsWith304)
{
    QString error;
    std::shared_ptr<ForecastSource> source = OfflineSource::Open(kDemo, {}, error);
    ASSERT_TRUE(source) << error.toStdString();
    ForecastService service(source, {QStringLiteral("127.0.0.1"), 0, {}});
    ASSERT_TRUE(service.Start(error)) << error.toStdString();
    httplib::Client client("127.0.0.1", service.Port());
    for (const std::string &path : {kTokyo, std::string("/forecast/rss/forecastmap.xml")}) {
        SCOPED_TRACE(path);
        const auto first = client.Get(path.c_str());
        ASSERT_TRUE(first);
        const std::string etag = first->get_header_value("ETag");
        const std::string modified = first->get_header_value("Last-Modified");
        ASSERT_EQ(etag.front(), '"');
        ASSERT_FALSE(modified.empty());
        EXPECT_NE(first->get_header_value("Cache-Control").find("max-age="), std::string::npos);
        const struct {
            httplib::Headers headers;
            int status;
        } cases[] = {
            {{{"If-None-Match", etag}}, 304},
            {{{"If-None-Match", "W/" + etag}}, 304},
            {{{"If-None-Match", "\"other\", " + etag}}, 304},
            {{{"If-None-Match", "*"}}, 304},
            {{{"If-None-Match", "\"other\""}}, 200},
            {{{"If-Modified-Since", modified}}, 304},
            {{{"If-Modified-Since", "Mon, 01 Jan 2024 00:00:00 GMT"}}, 200},
            {{{"If-Modified-Since", "yesterday"}}, 200},
            {{{"If-None-Match", "\"other\""}, {"If-Modified-Since", modified}}, 200},
        };
        for (const auto &c : cases) {
            const auto r = client.Get(path.c_str(), c.headers);
            ASSERT_TRUE(r);
            EXPECT_EQ(r->status, c.status) << c.headers.begin()->second;
            EXPECT_EQ(r->body.empty(), c.status == 304);
            EXPECT_EQ(r->get_header_value("ETag"), etag);
        }
    }
}

// A log line stays one line whatever a request holds: raw control characters are refused before any
// handler sees them, and the backslash that would start an escape is written escaped.
TEST(ForecastServiceLoad, AccessLogLinesStayOneLine)
{
    QTemporaryDir dir;
    const QString logPath = dir.filePath(QStringLiteral("access.log"));
    QString error;
    std::shared_ptr<ForecastSource> source = OfflineSource::Open(kDemo, {}, error);
    ASSERT_TRUE(source) << error.toStdString();
    ForecastService service(source, {QStringLiteral("127.0.0.1"), 0, {}});
    ASSERT_TRUE(service.OpenAccessLog(logPath, error)) << error.toStdString();
    ASSERT_TRUE(service.Start(error)) << error.toStdString();
    for (const QByteArray &target : {QByteArray("/a\\b"), QByteArray("/a\x1b[31m\nGET /forged")}) {
        Raw raw(service.Port());
        raw.send("GET " + target + " HTTP/1.1\r\nHost: a\r\nConnection: close\r\n\r\n");
        raw.readToEnd();
    }
    service.Stop();
    QFile log(logPath);
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    EXPECT_EQ(log.readAll(), QByteArray("GET /a\\x5cb 404\n- - 400\n"));
}
