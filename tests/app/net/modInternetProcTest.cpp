#include "modInternetProc.h"
#include "AppSettings.h"
#include "TestHttpServer.h"
#include "TestSupport.h"
#include "TinyProxy.h"
#include "cInet.h"
#include "cWeatherIni.h"
#include "roMessageBox.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using testsupport::TestHttpServer;

namespace {

const QString kForecastFailed = QString::fromUtf8("天気用法情報サイトから予報情報の取得に失敗しました");
const char kForecastPath[] = "/forecast/webservice/rest/v1";
const char kAreaPath[] = "/forecast/rss/forecastmap.xml";

class InternetProcTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(server.port(), 0);
        m_oldTmp = qgetenv("TMPDIR");
        useTempFolder(m_tmp.path());
        auto settings = std::make_unique<cWeatherIni>(m_dir.filePath("Skycaster.ini"));
        settings->setWeatherServiceURL(server.url(kForecastPath));
        settings->setForecastmapURL(server.url(kAreaPath));
        settings->setForecastmapPath(m_dir.filePath("forecastmap/forecastmap.xml"));
        SetAppSettings(std::move(settings));
        inet.setRequestTimeout(1500);
    }
    void TearDown() override
    {
        SetAppSettings(nullptr);
        qputenv("TMPDIR", m_oldTmp);
    }
    static void useTempFolder(const QString &path) { qputenv("TMPDIR", path.toUtf8()); }
    QStringList tempFiles() const { return QDir(m_tmp.path()).entryList(QDir::Files); }

    TestHttpServer server;
    cInet inet;
    ro::ScopedMessageBoxRecorder boxes;
    QTemporaryDir m_dir;
    QTemporaryDir m_tmp;
    QByteArray m_oldTmp;
};

TEST_F(InternetProcTest, ProxySettingsAreAppliedOnlyForMethodOne)
{
    inet.setUserName("keep");
    inet.setPassword("keep");
    inet.setAccessType(cInet::icNamedProxy);
    AppSettings().setMethod(0);
    AppSettings().setProxyUser("user");
    modInternetProc::ApplyProxySettings(inet, AppSettings());
    EXPECT_EQ(inet.AccessType(), cInet::icUseDefault);
    EXPECT_EQ(inet.UserName(), "keep");
    EXPECT_EQ(inet.Password(), "keep");

    AppSettings().setMethod(1);
    AppSettings().setProxyServer("proxy.example");
    AppSettings().setProxyPort(8080);
    AppSettings().setProxyPassword(QString::fromUtf8("パス"));
    AppSettings().setProxyAuthentication(false); // not consulted: credentials always go along
    modInternetProc::ApplyProxySettings(inet, AppSettings());
    EXPECT_EQ(inet.AccessType(), cInet::icNamedProxy);
    EXPECT_EQ(inet.Proxy(), "HTTP=proxy.example:8080");
    EXPECT_EQ(inet.UserName(), "user");
    EXPECT_EQ(inet.Password(), QString::fromUtf8("パス"));
    AppSettings().setProxyPort(0);
    modInternetProc::ApplyProxySettings(inet, AppSettings());
    EXPECT_EQ(inet.Proxy(), "HTTP=proxy.example:0");
}

TEST_F(InternetProcTest, ForecastRequestsTheDayWordAndWritesATempFile)
{
    server.serve(kForecastPath, "<lwws/>");
    QString errorText;
    const char *words[] = {"today", "tomorrow", "dayaftertomorrow", "dayaftertomorrow"};
    const int days[] = {0, 1, 2, 5};
    for (int i = 0; i < 4; ++i) {
        const QString file = modInternetProc::DownloadForecastFile(inet, AppSettings(), "016010", errorText, days[i]);
        ASSERT_FALSE(file.isEmpty()) << errorText.toStdString();
        EXPECT_EQ(server.requests().back().query, QByteArray("city=016010&day=") + words[i]);
        EXPECT_EQ(testsupport::readAll(file), "<lwws/>");
        EXPECT_TRUE(file.startsWith(m_tmp.path() + "/"));
        QFile::remove(file);
    }
    EXPECT_TRUE(errorText.isEmpty());
    EXPECT_TRUE(boxes.Shown().empty());
}

TEST_F(InternetProcTest, ForecastTooShortOrFailedSetsErrorTextOnly)
{
    QString errorText;
    for (const QByteArray &tiny : {QByteArray(), QByteArray("x")}) {
        server.serve(kForecastPath, tiny);
        errorText.clear();
        EXPECT_EQ(modInternetProc::DownloadForecastFile(inet, AppSettings(), "130010", errorText, 0), "");
        EXPECT_EQ(errorText, kForecastFailed);
    }
    server.serve(kForecastPath, "ab");
    errorText.clear();
    const QString two = modInternetProc::DownloadForecastFile(inet, AppSettings(), "130010", errorText, 1);
    EXPECT_EQ(testsupport::readAll(two), "ab");
    QFile::remove(two);

    server.serve(kForecastPath, "gone", 404);
    errorText.clear();
    EXPECT_EQ(modInternetProc::DownloadForecastFile(inet, AppSettings(), "130010", errorText, 0), "");
    EXPECT_TRUE(errorText.startsWith(kForecastFailed + "\r")) << errorText.toStdString();
    EXPECT_FALSE(errorText.contains("\r\n"));
    EXPECT_TRUE(errorText.contains("404"));
    EXPECT_TRUE(boxes.Shown().empty());
    EXPECT_TRUE(tempFiles().isEmpty());
}

TEST_F(InternetProcTest, TempFileFailuresAreReported)
{
    server.serve(kForecastPath, "<lwws/>");
    server.serve("/icon.gif", "GIF89a");
    // A folder where nobody, not even the superuser, can create files.
    useTempFolder("/proc");
    QString errorText;
    EXPECT_EQ(modInternetProc::DownloadForecastFile(inet, AppSettings(), "130010", errorText, 1), "");
    EXPECT_TRUE(errorText.startsWith(QString::fromUtf8("天気情報一時ファイルの書き込み失敗しました\r")));

    errorText = "untouched";
    EXPECT_EQ(modInternetProc::DownloadIconFile(inet, AppSettings(), server.url("/icon.gif"), errorText), "");
    EXPECT_EQ(errorText, "untouched");
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_TRUE(
        boxes.Shown()[0].prompt.startsWith(QString::fromUtf8("天気アイコン一時ファイルの書き込み失敗しました\r")));
    EXPECT_EQ(boxes.Shown()[0].style, ro::vbOKOnly);
    EXPECT_EQ(boxes.Shown()[0].title, QCoreApplication::applicationName()); // the program's title

    server.serve(kAreaPath, "<rss/>");
    EXPECT_EQ(modInternetProc::DownloadAreaFile(inet, AppSettings()), "");
    ASSERT_EQ(boxes.Shown().size(), 2u);
    EXPECT_TRUE(boxes.Shown()[1].prompt.startsWith(QString::fromUtf8("一時ファイルの書き込み失敗しました\r")));
    EXPECT_EQ(boxes.Shown()[1].title, QString::fromUtf8("地域ファイルの取得"));
    EXPECT_EQ(boxes.Shown()[1].style, ro::vbCritical);
}

TEST_F(InternetProcTest, IconIsFetchedOnlyOverHttp)
{
    server.serve("/icon.gif", "GIF89a");
    QString errorText;
    const QString file = modInternetProc::DownloadIconFile(inet, AppSettings(), server.url("/icon.gif"), errorText);
    EXPECT_EQ(testsupport::readAll(file), "GIF89a");
    QFile::remove(file);

    const QString secret = m_dir.filePath("secret.txt");
    testsupport::writeFile(secret, "do not read");
    EXPECT_EQ(modInternetProc::DownloadIconFile(inet, AppSettings(), "file://" + secret, errorText), "");
    EXPECT_TRUE(errorText.startsWith(QString::fromUtf8("天気用法情報サイトから天気アイコンの取得に失敗しました\r")));
    EXPECT_TRUE(boxes.Shown().empty());
    EXPECT_TRUE(tempFiles().isEmpty());
}

TEST_F(InternetProcTest, AreaFileIsStoredAndTheTempFileDeleted)
{
    const QByteArray list = testsupport::readAll(testsupport::dataPath("forecast/area-list.xml"));
    ASSERT_FALSE(list.isEmpty());
    server.serve(kAreaPath, list);
    const QString target = AppSettings().ForecastmapPath();
    EXPECT_EQ(modInternetProc::DownloadAreaFile(inet, AppSettings()), target);
    EXPECT_EQ(testsupport::readAll(target), list);
    EXPECT_TRUE(tempFiles().isEmpty());
    EXPECT_TRUE(boxes.Shown().empty());

    // A failed fetch keeps the stored list and says so.
    server.serve(kAreaPath, "", 500);
    EXPECT_EQ(modInternetProc::DownloadAreaFile(inet, AppSettings()), "");
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_TRUE(
        boxes.Shown()[0].prompt.startsWith(QString::fromUtf8("天気用法情報サイトから地域情報の取得に失敗しました\r")));
    EXPECT_EQ(boxes.Shown()[0].title, QString::fromUtf8("取得失敗"));
    EXPECT_EQ(boxes.Shown()[0].style, ro::vbCritical);
    // So does an empty answer.
    server.serve(kAreaPath, "");
    EXPECT_EQ(modInternetProc::DownloadAreaFile(inet, AppSettings()), "");
    EXPECT_EQ(boxes.Shown().size(), 2u);
    EXPECT_EQ(testsupport::readAll(target), list);

    // An answer that is no area list (an error page sent with 200) keeps the stored list too.
    for (const QByteArray &notAList : {QByteArray("<html><body>maintenance</body></html>"), list.left(200)}) {
        server.serve(kAreaPath, notAList);
        EXPECT_EQ(modInternetProc::DownloadAreaFile(inet, AppSettings()), target);
        EXPECT_TRUE(
            boxes.Shown().back().prompt.startsWith(QString::fromUtf8("地域情報ファイルのコピーに失敗しました\r")));
        EXPECT_EQ(testsupport::readAll(target), list);
    }
    EXPECT_EQ(boxes.Shown().size(), 4u); // the reader's own boxes stay quiet
    EXPECT_TRUE(tempFiles().isEmpty());
}

TEST_F(InternetProcTest, FailedAreaCopyStillReturnsThePath)
{
    server.serve(kAreaPath, testsupport::readAll(testsupport::dataPath("forecast/area-list.xml")));
    const QString blocker = m_dir.filePath("blocker");
    testsupport::writeFile(blocker, "a file, not a folder");
    AppSettings().setForecastmapPath(blocker + "/forecastmap.xml");
    EXPECT_EQ(modInternetProc::DownloadAreaFile(inet, AppSettings()), blocker + "/forecastmap.xml");
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_TRUE(boxes.Shown()[0].prompt.startsWith(QString::fromUtf8("地域情報ファイルのコピーに失敗しました\r")));
    EXPECT_EQ(boxes.Shown()[0].title, QString::fromUtf8("地域ファイルの取得"));
    EXPECT_TRUE(tempFiles().isEmpty());
}

TEST_F(InternetProcTest, MethodOneGoesThroughTheConfiguredProxy)
{
    testsupport::TinyProxy proxy("skyuser", QString::fromUtf8("pw"));
    ASSERT_TRUE(proxy.isRunning()) << proxy.startError().toStdString();
    server.serve(kForecastPath, "<lwws/>");
    AppSettings().setMethod(1);
    AppSettings().setProxyServer("127.0.0.1");
    AppSettings().setProxyPort(proxy.port());
    AppSettings().setProxyUser("skyuser");
    AppSettings().setProxyPassword("pw");
    QString errorText;
    const QString file = modInternetProc::DownloadForecastFile(inet, AppSettings(), "130010", errorText, 0);
    EXPECT_FALSE(file.isEmpty()) << errorText.toStdString();
    QFile::remove(file);
    EXPECT_TRUE(proxy.log().contains("city=130010&day=today")) << proxy.log().toStdString();

    // Settings are read afresh at every call.
    AppSettings().setProxyPassword("bad");
    EXPECT_EQ(modInternetProc::DownloadForecastFile(inet, AppSettings(), "130010", errorText, 0), "");
    EXPECT_TRUE(errorText.startsWith(kForecastFailed + "\r"));
}

} // namespace
