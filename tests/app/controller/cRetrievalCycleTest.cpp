// The retrieval cycle end to end below the widgets: real downloads from a local HTTP server, the real
// forecast reader, real files; only the widget and the tray are recording stand-ins.
#include "cRetrievalCycle.h"
#include "AppSettings.h"
#include "RecordingViews.h"
#include "RetrievalPorts.h"
#include "TestHttpServer.h"
#include "TestSupport.h"
#include "cForecastSource.h"
#include "cInet.h"
#include "cWeather.h"
#include "cWeatherIni.h"
#include "roMessageBox.h"
#include "roWeatherParser.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using testsupport::DrawCall;
using testsupport::RecordingTray;
using testsupport::RecordingWidget;

QByteArray forecastDocument(const QString &iconUrl)
{
    return QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                          "<lwws version=\"livedoor 天気情報 Ver1.0\">"
                          "<location area=\"関東\" pref=\"東京都\" city=\"東京\"/>"
                          "<link>http://127.0.0.1/forecast/130010</link><forecastday>today</forecastday>"
                          "<publictime>Mon, 05 Jan 2026 17:00:00 +0900</publictime><telop>晴れ</telop>"
                          "<description>高気圧に覆われて晴れ。</description>"
                          "<image><title>晴れ</title><url>%1</url><width>50</width><height>31</height></image>"
                          "<temperature><max><celsius>12</celsius><fahrenheit>53.6</fahrenheit></max>"
                          "<min><celsius>3</celsius><fahrenheit>37.4</fahrenheit></min></temperature>"
                          "</lwws>")
        .arg(iconUrl)
        .toUtf8();
}

class RetrievalCycleTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_programDir.isValid() && m_tempDir.isValid());
        m_oldTmp = qgetenv("TMPDIR");
        qputenv("TMPDIR", m_tempDir.path().toLocal8Bit());
        QDir(m_programDir.path()).mkpath(QStringLiteral("Res"));
        ASSERT_TRUE(QFile::copy(QStringLiteral(SKYCASTER_SOURCE_DIR "/res/Res/CloudPaneX.bmp"),
                                m_programDir.filePath(QStringLiteral("Res/CloudPaneX.bmp"))));
        SetAppSettings(std::make_unique<cWeatherIni>(m_programDir.filePath(QStringLiteral("Skycaster.ini"))));
        m_settings = &AppSettings();
        m_source = std::make_unique<cForecastSource>(m_inet, *m_settings,
                                                     [](const QString &file, std::shared_ptr<cWeather> &weather) {
                                                         return roWeatherParser::GetWeather(file, weather);
                                                     });
        m_settings->setCityID(QStringLiteral("130010"));
        m_settings->setWeatherServiceURL(m_server.url(QStringLiteral("/forecast/webservice/rest/v1")));
        m_server.serve(QStringLiteral("/img/1.png"), testsupport::pngBytes(Qt::yellow));
        m_server.serve(QStringLiteral("/forecast/webservice/rest/v1"),
                       forecastDocument(m_server.url(QStringLiteral("/img/1.png"))));
        m_inet.setRequestTimeout(2000);
        m_cycle = std::make_unique<cRetrievalCycle>(
            *m_settings, *m_source, m_tray, [this]() -> IWeatherView & { return m_widget; }, m_programDir.path());
    }
    void TearDown() override
    {
        m_cycle.reset();
        SetAppSettings(nullptr);
        qputenv("TMPDIR", m_oldTmp);
    }

    void Retrieve(int day = 0, const QString &city = QString()) { m_cycle->RetrieveWeather(day, city); }
    QStringList TempFiles() const { return QDir(m_tempDir.path()).entryList(QDir::Files | QDir::NoDotAndDotDot); }
    QByteArray IconBytes() const { return testsupport::readAll(m_cycle->IconFilePath()); }
    QByteArray FailurePicture() const { return testsupport::readAll(m_cycle->FailurePicturePath()); }

    testsupport::TestHttpServer m_server;
    QTemporaryDir m_programDir;
    QTemporaryDir m_tempDir;
    QByteArray m_oldTmp;
    cWeatherIni *m_settings = nullptr;
    cInet m_inet;
    std::unique_ptr<cForecastSource> m_source;
    RecordingWidget m_widget;
    RecordingTray m_tray;
    std::unique_ptr<cRetrievalCycle> m_cycle;
};

} // namespace

TEST_F(RetrievalCycleTest, SuccessDrawsAtWidgetCentreStoresCityAndLeavesOnlyThePicture)
{
    Retrieve();
    ASSERT_TRUE(m_cycle->LastError().isEmpty()) << m_cycle->LastError().toStdString();
    ASSERT_TRUE(m_cycle->CurrentWeather());
    ASSERT_EQ(m_widget.draws.size(), 1U);
    const DrawCall &draw = m_widget.draws[0];
    EXPECT_EQ(QPoint(draw.x, draw.y), m_widget.center); // PosX = -100: never placed
    EXPECT_EQ(draw.city, QStringLiteral("東京"));
    EXPECT_EQ(draw.telop, QStringLiteral("晴れ"));
    EXPECT_EQ(draw.minimum, QStringLiteral("3"));
    EXPECT_EQ(draw.maximum, QStringLiteral("12"));
    EXPECT_TRUE(draw.topMost);
    EXPECT_TRUE(draw.pictureReadable);
    EXPECT_EQ(m_widget.tipTitle, QStringLiteral("東京 晴れ"));
    EXPECT_EQ(m_widget.tipBody, QStringLiteral("2026/01/05 17:00:00 発表\r\n\r\n高気圧に覆われて晴れ。"));
    EXPECT_EQ(m_widget.tipIcon, 1);
    EXPECT_FALSE(m_tray.failure);
    EXPECT_EQ(m_tray.tips, (QStringList{QStringLiteral("お天気取得中です...."), QStringLiteral("東京 晴れ")}));

    const cWeatherIni reread(m_programDir.filePath(QStringLiteral("Skycaster.ini")));
    EXPECT_EQ(reread.LastAccessCityID(), QStringLiteral("130010"));
    EXPECT_EQ(reread.LastPublicTime(), QStringLiteral("2026/01/05 17:00:00"));
    EXPECT_EQ(reread.PosX(), -100);
    EXPECT_TRUE(TempFiles().isEmpty()) << TempFiles().join(u' ').toStdString();
    EXPECT_FALSE(QImage(m_cycle->IconFilePath()).isNull());
}

TEST_F(RetrievalCycleTest, WarningsInForceMarkTheTrayAndTheWidgetAndLeadTheirToolTips)
{
    QByteArray document = forecastDocument(m_server.url(QStringLiteral("/img/1.png")));
    document.replace("</lwws>", QStringLiteral("<warnings><warning class=\"警報\">洪水警報</warning>"
                                               "<warning class=\"危険警報\" partial=\"true\">大雨危険警報</warning>"
                                               "</warnings></lwws>")
                                    .toUtf8());
    m_server.serve(QStringLiteral("/forecast/webservice/rest/v1"), document);
    Retrieve();
    EXPECT_EQ(m_tray.mark, WarningLevel::Danger);
    EXPECT_EQ(m_widget.mark, WarningLevel::Danger);
    EXPECT_EQ(m_tray.tips.last(), QStringLiteral("【危険警報】大雨（一部）\n【警報】洪水\n東京 晴れ"));
    EXPECT_EQ(m_widget.tipTitle, QStringLiteral("【危険警報】大雨（一部）"));
    EXPECT_TRUE(m_widget.tipBody.startsWith(QStringLiteral("【警報】洪水\r\n東京 晴れ\r\n2026/01/05 17:00:00 発表")));
    EXPECT_EQ(m_widget.tipIcon, 2);

    // A failure takes the marks off.
    m_server.serve(QStringLiteral("/forecast/webservice/rest/v1"), "gone", 500);
    Retrieve();
    EXPECT_EQ(m_tray.mark, WarningLevel::None);
    EXPECT_EQ(m_widget.mark, WarningLevel::None);
}

TEST_F(RetrievalCycleTest, StoredPositionIsUsedUnchangedAndCityArgumentWins)
{
    m_settings->setPosX(-99);
    m_settings->setPosY(0);
    Retrieve(0, QStringLiteral("016010"));
    ASSERT_EQ(m_widget.draws.size(), 1U);
    EXPECT_EQ(QPoint(m_widget.draws[0].x, m_widget.draws[0].y), QPoint(-99, 0));
    EXPECT_EQ(m_settings->LastAccessCityID(), QStringLiteral("016010"));
    const auto requests = m_server.requests();
    ASSERT_FALSE(requests.empty());
    EXPECT_EQ(requests.front().query, QByteArray("city=016010&day=today"));
}

TEST_F(RetrievalCycleTest, FailedForecastDownloadShowsFailureEverywhereAndKeepsLastCity)
{
    m_settings->setLastAccessCityID(QStringLiteral("400010"));
    m_server.serve(QStringLiteral("/forecast/webservice/rest/v1"), "gone", 500);
    Retrieve();
    EXPECT_FALSE(m_cycle->CurrentWeather());
    ASSERT_FALSE(m_cycle->LastError().isEmpty());
    ASSERT_EQ(m_widget.draws.size(), 1U);
    EXPECT_EQ(m_widget.draws[0].city, QStringLiteral("エラー"));
    EXPECT_EQ(m_widget.draws[0].telop, m_cycle->LastError());
    EXPECT_EQ(m_widget.draws[0].minimum, QStringLiteral("-"));
    EXPECT_EQ(m_widget.draws[0].maximum, QStringLiteral("-"));
    EXPECT_EQ(m_widget.tipTitle, QStringLiteral("取得できません"));
    EXPECT_EQ(m_widget.tipBody, m_cycle->LastError());
    EXPECT_EQ(m_widget.tipIcon, 3);
    EXPECT_TRUE(m_tray.failure);
    EXPECT_EQ(m_tray.tips.last(), QStringLiteral("天気情報取得に失敗しました"));
    EXPECT_EQ(IconBytes(), FailurePicture());
    EXPECT_EQ(m_settings->LastAccessCityID(), QStringLiteral("400010"));
    EXPECT_TRUE(TempFiles().isEmpty());
}

TEST_F(RetrievalCycleTest, RejectedDocumentIsAFailureOnTheTrayToo)
{
    ro::ScopedMessageBoxRecorder boxes;
    m_server.serve(QStringLiteral("/forecast/webservice/rest/v1"), "<html><body>maintenance</body></html>");
    Retrieve();
    EXPECT_EQ(boxes.Shown().size(), 1U); // the library's own message
    EXPECT_FALSE(m_cycle->CurrentWeather());
    EXPECT_TRUE(m_cycle->LastError().isEmpty());
    ASSERT_EQ(m_widget.draws.size(), 1U);
    EXPECT_EQ(m_widget.draws[0].telop, QStringLiteral("取得できません"));
    EXPECT_TRUE(m_tray.failure);
    EXPECT_EQ(m_tray.tips.last(), QStringLiteral("天気情報取得に失敗しました"));
    EXPECT_TRUE(TempFiles().isEmpty());

    // A document without version yields no forecast: the same failure state.
    m_server.serve(QStringLiteral("/forecast/webservice/rest/v1"), "<lwws><telop>晴れ</telop></lwws>");
    Retrieve();
    EXPECT_FALSE(m_cycle->CurrentWeather());
    EXPECT_TRUE(m_tray.failure);
}

TEST_F(RetrievalCycleTest, FailedIconDownloadAndBrokenIconPicture)
{
    m_server.serve(QStringLiteral("/img/1.png"), "missing", 404);
    Retrieve();
    EXPECT_FALSE(m_cycle->LastError().isEmpty());
    EXPECT_TRUE(m_tray.failure);
    EXPECT_EQ(m_widget.draws.back().city, QStringLiteral("エラー"));
    EXPECT_EQ(m_settings->LastAccessCityID(), QString());
    EXPECT_TRUE(TempFiles().isEmpty());

    // Bytes that are no picture: the forecast still shows, with the failure picture in its place.
    m_server.serve(QStringLiteral("/img/1.png"), "not a picture at all");
    Retrieve();
    EXPECT_TRUE(m_cycle->LastError().isEmpty());
    EXPECT_FALSE(m_tray.failure);
    EXPECT_EQ(m_widget.draws.back().city, QStringLiteral("東京"));
    EXPECT_EQ(IconBytes(), FailurePicture());
}

TEST_F(RetrievalCycleTest, TheCurrentDayFollowsDownloadedForecastsOnly)
{
    const struct {
        int day;
        int status;
        int currentDay;
    } steps[] = {{1, 200, 1}, {2, 500, 1}, {2, 200, 2}, {0, 404, 2}, {0, 200, 0}};
    for (const auto &step : steps) {
        m_server.serve(QStringLiteral("/forecast/webservice/rest/v1"),
                       forecastDocument(m_server.url(QStringLiteral("/img/1.png"))), step.status);
        Retrieve(step.day);
        EXPECT_EQ(m_cycle->CurrentDay(), step.currentDay) << "day " << step.day << ", HTTP " << step.status;
    }
}

TEST_F(RetrievalCycleTest, AFullDiskKeepsTheLastPictureWhole)
{
    Retrieve();
    const QByteArray good = IconBytes();
    ASSERT_FALSE(good.isEmpty());
    // A small download whose picture, stored as PNG, no longer fits (nor does the failure picture).
    QImage noise(120, 120, QImage::Format_RGB32);
    for (int y = 0; y < noise.height(); ++y)
        for (int x = 0; x < noise.width(); ++x)
            noise.setPixel(x, y, static_cast<QRgb>((x * 2654435761U) ^ (y * 40503U * 65537U)));
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    ASSERT_TRUE(noise.save(&buffer, "JPEG", 5));
    ASSERT_LT(jpeg.size(), 4000);
    m_server.serve(QStringLiteral("/img/1.png"), jpeg);
    {
        const testsupport::FileSizeLimit full(4500);
        Retrieve();
    }
    EXPECT_TRUE(m_cycle->LastError().isEmpty());
    EXPECT_EQ(IconBytes(), good);
    EXPECT_EQ(QDir(m_programDir.path()).entryList({QStringLiteral("Icon.tmp*")}, QDir::Files),
              QStringList{QStringLiteral("Icon.tmp")});
}

TEST_F(RetrievalCycleTest, WidgetSwitchedOffStoresPositionAndHidesOnSuccessAndFailure)
{
    m_settings->setShowDeskTop(false);
    m_widget.visible = true;
    m_widget.center = QPoint(321, 123);
    Retrieve();
    EXPECT_FALSE(m_widget.visible);
    EXPECT_TRUE(m_widget.draws.empty());
    EXPECT_EQ(QPoint(m_settings->PosX(), m_settings->PosY()), QPoint(321, 123));

    m_widget.visible = true;
    m_widget.center = QPoint(10, 20);
    m_server.serve(QStringLiteral("/forecast/webservice/rest/v1"), "", 503);
    Retrieve();
    EXPECT_FALSE(m_widget.visible);
    EXPECT_EQ(QPoint(m_settings->PosX(), m_settings->PosY()), QPoint(10, 20));
}
