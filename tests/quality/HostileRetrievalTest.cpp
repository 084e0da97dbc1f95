// Hostile services through the whole retrieval cycle: real downloads from servers on 127.0.0.1, the real
// forecast reader, real files. Each case must end in the failure state (or a sound forecast), leave nothing
// in the temporary folder and keep the event loop running while the download waits.
#include "AppSettings.h"
#include "RecordingViews.h"
#include "TestHttpServer.h"
#include "TestSupport.h"
#include "cForecastSource.h"
#include "cInet.h"
#include "cRetrievalCycle.h"
#include "cWeather.h"
#include "cWeatherIni.h"
#include "roMessageBox.h"
#include "roWeatherParser.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <atomic>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace {

const QString kForecastPath = QStringLiteral("/forecast/webservice/rest/v1");
const QString kFailureTip = QStringLiteral("天気情報取得に失敗しました");

// A "proxy" that accepts every connection and closes it at once, in a thread of its own.
class ClosingListener {
public:
    ClosingListener()
    {
        m_fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof addr;
        if (m_fd < 0 || ::bind(m_fd, reinterpret_cast<sockaddr *>(&addr), sizeof addr) != 0 ||
            ::listen(m_fd, 16) != 0 || ::getsockname(m_fd, reinterpret_cast<sockaddr *>(&addr), &len) != 0)
            return;
        m_port = ntohs(addr.sin_port);
        m_thread = std::thread([this] {
            while (!m_stop) {
                pollfd p{m_fd, POLLIN, 0};
                if (::poll(&p, 1, 50) <= 0)
                    continue;
                const int client = ::accept4(m_fd, nullptr, nullptr, SOCK_CLOEXEC);
                if (client >= 0) {
                    ++m_accepted;
                    ::close(client);
                }
            }
        });
    }
    ~ClosingListener()
    {
        m_stop = true;
        if (m_thread.joinable())
            m_thread.join();
        if (m_fd >= 0)
            ::close(m_fd);
    }
    ClosingListener(const ClosingListener &) = delete;
    ClosingListener &operator=(const ClosingListener &) = delete;

    quint16 port() const { return m_port; }
    int accepted() const { return m_accepted; }

private:
    int m_fd = -1;
    quint16 m_port = 0;
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_accepted{0};
    std::thread m_thread;
};

// A sound forecast document; `padding` goes between two elements, where a reader skips it.
QByteArray forecastDocument(const QString &iconUrl, const QByteArray &padding = {})
{
    return QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                          "<lwws version=\"livedoor 天気情報 Ver1.0\">"
                          "<location area=\"関東\" pref=\"東京都\" city=\"東京\"/>"
                          "<link>http://127.0.0.1/forecast/130010</link><forecastday>today</forecastday>"
                          "<publictime>Mon, 05 Jan 2026 17:00:00 +0900</publictime><telop>晴れ</telop>")
               .toUtf8() +
           padding +
           QStringLiteral("<description>晴れ。</description>"
                          "<image><title>晴れ</title><url>%1</url><width>50</width><height>31</height></image>"
                          "<temperature><max><celsius>12</celsius></max><min><celsius>3</celsius></min></temperature>"
                          "</lwws>")
               .arg(iconUrl)
               .toUtf8();
}

class HostileRetrievalTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(m_server.port(), 0);
        ASSERT_TRUE(m_programDir.isValid() && m_tempDir.isValid());
        m_oldTmp = qgetenv("TMPDIR");
        qputenv("TMPDIR", m_tempDir.path().toLocal8Bit());
        QDir(m_programDir.path()).mkpath(QStringLiteral("Res"));
        ASSERT_TRUE(QFile::copy(QStringLiteral(SKYCASTER_SOURCE_DIR "/res/Res/CloudPaneX.bmp"),
                                m_programDir.filePath(QStringLiteral("Res/CloudPaneX.bmp"))));
        SetAppSettings(std::make_unique<cWeatherIni>(m_programDir.filePath(QStringLiteral("Skycaster.ini"))));
        AppSettings().setCityID(QStringLiteral("130010"));
        AppSettings().setWeatherServiceURL(m_server.url(kForecastPath));
        m_server.serve(QStringLiteral("/img/1.png"), testsupport::pngBytes(Qt::cyan));
        m_inet.setRequestTimeout(1500);
        m_source = std::make_unique<cForecastSource>(m_inet, AppSettings(),
                                                     [](const QString &file, std::shared_ptr<cWeather> &weather) {
                                                         return roWeatherParser::GetWeather(file, weather);
                                                     });
        m_cycle = std::make_unique<cRetrievalCycle>(
            AppSettings(), *m_source, m_tray, [this]() -> IWeatherView & { return m_widget; }, m_programDir.path());
    }
    void TearDown() override
    {
        m_cycle.reset();
        SetAppSettings(nullptr);
        qputenv("TMPDIR", m_oldTmp);
    }

    // Runs one cycle while a 20 ms timer ticks on the event loop; returns the ticks seen meanwhile.
    int RetrieveCountingTicks()
    {
        int ticks = 0;
        QTimer ticker;
        ticker.setInterval(20);
        QObject::connect(&ticker, &QTimer::timeout, [&ticks] { ++ticks; });
        ticker.start();
        int day = 0;
        m_cycle->RetrieveWeather(day, QString());
        return ticks;
    }

    QStringList TempFiles() const
    {
        return QDir(m_tempDir.path()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
    }

    // The failure state in every place the user looks, and nothing left behind. (After a failed icon
    // download the parsed forecast stays current for the menus; only the display shows the failure.)
    void ExpectFailureShown(const QString &telop)
    {
        EXPECT_TRUE(m_tray.failure);
        EXPECT_EQ(m_tray.tips.value(m_tray.tips.size() - 1), kFailureTip);
        ASSERT_FALSE(m_widget.draws.empty());
        const testsupport::DrawCall &draw = m_widget.draws.back();
        EXPECT_EQ(draw.city, QStringLiteral("エラー"));
        EXPECT_EQ(draw.telop, telop);
        EXPECT_EQ(draw.minimum, QStringLiteral("-"));
        EXPECT_TRUE(draw.pictureReadable);
        EXPECT_EQ(m_widget.tipIcon, 3);
        EXPECT_EQ(testsupport::readAll(m_cycle->IconFilePath()), testsupport::readAll(m_cycle->FailurePicturePath()));
        EXPECT_TRUE(AppSettings().LastAccessCityID().isEmpty());
        EXPECT_TRUE(TempFiles().isEmpty()) << TempFiles().join(u' ').toStdString();
    }

    testsupport::TestHttpServer m_server;
    QTemporaryDir m_programDir;
    QTemporaryDir m_tempDir;
    QByteArray m_oldTmp;
    cInet m_inet;
    std::unique_ptr<cForecastSource> m_source;
    testsupport::RecordingWidget m_widget;
    testsupport::RecordingTray m_tray;
    std::unique_ptr<cRetrievalCycle> m_cycle;
};

} // namespace

TEST_F(HostileRetrievalTest, HundredMegabyteDocumentIsRefusedByTheCapOrReadWhenAllowed)
{
    const QByteArray padding(100 * 1024 * 1024, ' ');
    m_server.serve(kForecastPath, forecastDocument(m_server.url(QStringLiteral("/img/1.png")), padding));

    // The usual cap refuses it before it is written anywhere; a loaded machine may take seconds to send it.
    m_inet.setRequestTimeout(60000);
    RetrieveCountingTicks();
    ASSERT_FALSE(m_cycle->LastError().isEmpty());
    EXPECT_TRUE(m_cycle->LastError().contains(QString::number(cInet::kDefaultMaxResponseSize)))
        << m_cycle->LastError().toStdString();
    EXPECT_FALSE(m_cycle->CurrentWeather());
    ExpectFailureShown(m_cycle->LastError());

    // With room for it, the reader gets through the padding and the forecast shows.
    m_inet.setMaxResponseSize(128 * 1024 * 1024);
    m_inet.setRequestTimeout(60000);
    RetrieveCountingTicks();
    EXPECT_TRUE(m_cycle->LastError().isEmpty()) << m_cycle->LastError().toStdString();
    ASSERT_TRUE(m_cycle->CurrentWeather());
    EXPECT_EQ(m_widget.draws.back().city, QStringLiteral("東京"));
    EXPECT_FALSE(m_tray.failure);
    EXPECT_TRUE(TempFiles().isEmpty()) << TempFiles().join(u' ').toStdString();
}

TEST_F(HostileRetrievalTest, EntityBombAndExternalEntityAreRefusedWithoutExpansion)
{
    // A billion laughs: ten levels of ten references each.
    QByteArray bomb = "<?xml version=\"1.0\"?>\n<!DOCTYPE lwws [\n  <!ENTITY l0 \"aaaaaaaaaa\">\n";
    for (int level = 1; level < 10; ++level) {
        const QByteArray ref = "&l" + QByteArray::number(level - 1) + ';';
        bomb += "  <!ENTITY l" + QByteArray::number(level) + " \"" + ref.repeated(10) + "\">\n";
    }
    bomb += "]>\n<lwws version=\"1\"><telop>&l9;</telop><description>&l9;&l9;</description></lwws>";
    const QByteArray external = "<?xml version=\"1.0\"?>\n"
                                "<!DOCTYPE lwws [<!ENTITY pw SYSTEM \"file:///etc/passwd\">]>\n"
                                "<lwws version=\"1\"><telop>&pw;</telop><description>&pw;</description></lwws>";

    for (const QByteArray &document : {bomb, external}) {
        ro::ScopedMessageBoxRecorder boxes;
        m_widget.draws.clear();
        m_server.serve(kForecastPath, document);
        RetrieveCountingTicks();
        // The reader's own message, then the failure state; no text of the password file anywhere.
        ASSERT_EQ(boxes.Shown().size(), 1U);
        EXPECT_FALSE(boxes.Shown()[0].prompt.contains(QStringLiteral("root:")));
        EXPECT_TRUE(m_cycle->LastError().isEmpty());
        EXPECT_FALSE(m_cycle->CurrentWeather());
        ExpectFailureShown(QStringLiteral("取得できません"));
        for (const testsupport::DrawCall &draw : m_widget.draws)
            EXPECT_FALSE(draw.telop.contains(QStringLiteral("root:")) || draw.telop.contains(QStringLiteral("aaaa")));
        EXPECT_EQ(m_server.requestCount(QStringLiteral("/img/1.png")), 0);
    }
}

TEST_F(HostileRetrievalTest, EndlessBodyIsCutByTheSizeCap)
{
    // A gigabyte and more: the body never ends, so only the cap can stop it.
    m_server.endlessBody(kForecastPath);
    m_inet.setRequestTimeout(60000);
    RetrieveCountingTicks();
    ASSERT_FALSE(m_cycle->LastError().isEmpty());
    EXPECT_FALSE(m_cycle->CurrentWeather());
    EXPECT_TRUE(m_cycle->LastError().contains(QString::number(cInet::kDefaultMaxResponseSize)))
        << m_cycle->LastError().toStdString();
    ExpectFailureShown(m_cycle->LastError());

    // The same for an icon that never ends, after a sound document.
    m_server.serve(kForecastPath, forecastDocument(m_server.url(QStringLiteral("/img/endless.png"))));
    m_server.endlessBody(QStringLiteral("/img/endless.png"));
    m_inet.setMaxResponseSize(1024 * 1024);
    RetrieveCountingTicks();
    EXPECT_TRUE(m_cycle->LastError().contains(QString::number(1024 * 1024))) << m_cycle->LastError().toStdString();
    ExpectFailureShown(m_cycle->LastError());
}

TEST_F(HostileRetrievalTest, ServerThatNeverAnswersTimesOutWhileTheEventLoopRuns)
{
    m_server.neverAnswer(kForecastPath);
    const int ticks = RetrieveCountingTicks();
    ASSERT_FALSE(m_cycle->LastError().isEmpty());
    EXPECT_EQ(m_server.requestCount(kForecastPath), 1);
    EXPECT_FALSE(m_cycle->CurrentWeather());
    ExpectFailureShown(m_cycle->LastError());
    // 1.5 s of waiting is about 75 ticks of 20 ms; a blocked thread would give none.
    EXPECT_GE(ticks, 25) << "the event loop stalled during the download";

    // An icon that never comes: the same time-out, the same failure state.
    m_server.serve(kForecastPath, forecastDocument(m_server.url(QStringLiteral("/img/never.png"))));
    m_server.neverAnswer(QStringLiteral("/img/never.png"));
    EXPECT_GE(RetrieveCountingTicks(), 25);
    ASSERT_FALSE(m_cycle->LastError().isEmpty());
    ExpectFailureShown(m_cycle->LastError());
}

TEST_F(HostileRetrievalTest, ProxyThatClosesTheConnectionIsAFailure)
{
    ClosingListener proxy;
    ASSERT_NE(proxy.port(), 0);
    AppSettings().setMethod(1);
    AppSettings().setProxyServer(QStringLiteral("127.0.0.1"));
    AppSettings().setProxyPort(proxy.port());
    RetrieveCountingTicks();
    EXPECT_GE(proxy.accepted(), 1);
    ASSERT_FALSE(m_cycle->LastError().isEmpty());
    EXPECT_EQ(m_server.requestCount(kForecastPath), 0); // nothing went round the proxy
    EXPECT_FALSE(m_cycle->CurrentWeather());
    ExpectFailureShown(m_cycle->LastError());

    // Back to a direct connection, the next cycle shows the forecast again.
    AppSettings().setMethod(0);
    m_server.serve(kForecastPath, forecastDocument(m_server.url(QStringLiteral("/img/1.png"))));
    RetrieveCountingTicks();
    EXPECT_TRUE(m_cycle->LastError().isEmpty()) << m_cycle->LastError().toStdString();
    EXPECT_FALSE(m_tray.failure);
    EXPECT_TRUE(TempFiles().isEmpty());
}
