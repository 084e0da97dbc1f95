#include "cWeatherIni.h"
#include "AppSettings.h"
#include "Cp932.h"
#include "TestSupport.h"
#include "cIniFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <sys/stat.h>

namespace {

mode_t modeOf(const QString &path)
{
    struct stat info {};
    return stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_mode & 07777 : 0;
}

class WeatherIniTest : public ::testing::Test {
protected:
    QString path() const { return m_dir.filePath(QStringLiteral("Skycaster.ini")); }
    QString fixture(const QString &name)
    {
        testsupport::writeFile(path(), testsupport::readAll(testsupport::dataPath(QStringLiteral("settings/") + name)));
        return path();
    }
    QString stored(const QString &section, const QString &key) const
    {
        cIniFile ini;
        ini.setPath(path());
        ini.setSection(section);
        ini.setKEY(key);
        ini.setDefault(QStringLiteral("<absent>"));
        return ini.Value();
    }

    QTemporaryDir m_dir;
};

TEST_F(WeatherIniTest, FreshSystemReadsDefaultsAndCreatesNoFile)
{
    cWeatherIni s(path());
    const QString program = QCoreApplication::applicationDirPath();
    EXPECT_EQ(s.CityID(), "");
    EXPECT_EQ(s.Method(), 0);
    EXPECT_EQ(s.ProxyPort(), 0);
    EXPECT_FALSE(s.ProxyAuthentication());
    EXPECT_TRUE(s.ShowDeskTop());
    EXPECT_TRUE(s.ShowTopMost());
    EXPECT_EQ(s.Span(), 60);
    EXPECT_EQ(s.PosX(), -100);
    EXPECT_EQ(s.PosY(), -100);
    EXPECT_EQ(s.ProxyPassword(), "");
    EXPECT_EQ(s.ForecastmapPath(), program + "/forecastmap/forecastmap.xml");
    EXPECT_EQ(s.SkinFile(), program + "/Styles/Default.cjstyles");
    EXPECT_EQ(s.WeatherServiceURL(), "http://127.0.0.1:8931/forecast/webservice/rest/v1");
    EXPECT_EQ(s.ForecastmapURL(), "http://127.0.0.1:8931/forecast/rss/forecastmap.xml");
    EXPECT_FALSE(QFile::exists(path()));
}

TEST_F(WeatherIniTest, DefaultFileSitsBesideTheExecutable)
{
    const QString exe = QCoreApplication::applicationFilePath();
    EXPECT_EQ(cWeatherIni::DefaultSettingsPath(),
              QCoreApplication::applicationDirPath() + "/" + QFileInfo(exe).completeBaseName() + ".ini");
}

TEST_F(WeatherIniTest, AssignmentsAreWrittenAtOnceAndReadBack)
{
    {
        cWeatherIni s(path());
        s.setPosX(250);
        EXPECT_EQ(stored("Position", "PosX"), "250");
        s.setShowTopMost(false);
        EXPECT_EQ(stored("General", "ShowTopMost"), "False");
        s.setSpan(30);
        EXPECT_EQ(s.Span(), 30);
        EXPECT_EQ(stored("General", "GetSpan"), "30");
        s.setLastPublicTime("2024/05/01 11:00:00");
        s.setCityID("016010");
        s.setMethod(1);
        s.setProxyPort(3128);
        s.setProxyAuthentication(true);
        s.setProxyServer(QString::fromUtf8("プロキシ.example"));
    }
    cWeatherIni again(path());
    EXPECT_EQ(again.PosX(), 250);
    EXPECT_FALSE(again.ShowTopMost());
    EXPECT_EQ(again.Span(), 30);
    EXPECT_EQ(again.LastPublicTime(), "2024/05/01 11:00:00");
    EXPECT_EQ(again.CityID(), "016010"); // leading zero kept
    EXPECT_EQ(again.Method(), 1);
    EXPECT_EQ(again.ProxyPort(), 3128);
    EXPECT_TRUE(again.ProxyAuthentication());
    EXPECT_EQ(again.ProxyServer(), QString::fromUtf8("プロキシ.example"));
}

TEST_F(WeatherIniTest, FlagsAcceptAnyCaseAndNumbers)
{
    for (const char *text : {"false", "FALSE", "0", " 0 "}) {
        testsupport::writeFile(path(), QByteArray("[General]\nShowTopMost=") + text + "\n");
        EXPECT_FALSE(cWeatherIni(path()).ShowTopMost()) << text;
    }
    for (const char *text : {"tRUe", "1", "-1", "2.5"}) {
        testsupport::writeFile(path(), QByteArray("[General]\nShowTopMost=") + text + "\n");
        EXPECT_TRUE(cWeatherIni(path()).ShowTopMost()) << text;
    }
}

TEST_F(WeatherIniTest, PasswordIsStoredBase64AndReadsBackUnchanged)
{
    cWeatherIni s(path());
    s.setProxyPassword("abc");
    EXPECT_EQ(stored("Communication", "ProxyPassword"), "YWJj");
    const QString japanese = QString::fromUtf8("秘密のパス");
    s.setProxyPassword(japanese);
    EXPECT_EQ(stored("Communication", "ProxyPassword"), QString::fromLatin1(codepage::toCp932(japanese)->toBase64()));
    EXPECT_EQ(cWeatherIni(path()).ProxyPassword(), japanese);
    const QString foreign = QString::fromUtf8("pässwörd😀");
    s.setProxyPassword(foreign);
    EXPECT_EQ(cWeatherIni(path()).ProxyPassword(), foreign);
    s.setProxyPassword("");
    EXPECT_EQ(stored("Communication", "ProxyPassword"), "");
    EXPECT_TRUE(testsupport::readAll(path()).contains("ProxyPassword=\n"));
}

TEST_F(WeatherIniTest, AFileHoldingAProxyPasswordEndsUpOwnerOnlyWhateverModeItHad)
{
    struct Case {
        const char *what;
        QByteArray file;                        // written by hand (or by an older version) beforehand
        mode_t before;                          // its mode then
        std::function<void(cWeatherIni &)> act; // what the program writes
        mode_t after;
    };
    const QByteArray withPassword = "[Communication]\r\nProxyPassword=YWJj\r\n";
    const QByteArray withoutPassword = "[General]\r\nCityID=130010\r\n";
    const Case cases[] = {
        {"password stored in a shared file", withoutPassword, 0644, [](cWeatherIni &s) { s.setProxyPassword("abc"); },
         0600},
        {"other value written to a world-writable file that holds one", withPassword, 0666,
         [](cWeatherIni &s) { s.setPosX(120); }, 0600},
        {"shadow settings written to a group-readable file that holds one", withPassword, 0640,
         [](cWeatherIni &s) { s.SaveShadowSetting(); }, 0600},
        {"password removed: the mode is left alone", withPassword, 0644, [](cWeatherIni &s) { s.setProxyPassword(""); },
         0644},
        {"no password: the mode is left alone", withoutPassword, 0644, [](cWeatherIni &s) { s.setPosX(120); }, 0644},
    };
    for (const Case &c : cases) {
        QFile::remove(path());
        testsupport::writeFile(path(), c.file);
        ASSERT_EQ(chmod(QFile::encodeName(path()).constData(), c.before), 0) << c.what;
        cWeatherIni settings(path());
        c.act(settings);
        EXPECT_EQ(modeOf(path()), c.after) << c.what;
    }
    // A new file is for its owner only from the start.
    QFile::remove(path());
    cWeatherIni(path()).setCityID("130010");
    EXPECT_EQ(modeOf(path()), 0600u);
}

TEST_F(WeatherIniTest, SaveShadowSettingPutsDefaultsIntoTheFile)
{
    cWeatherIni s(path());
    s.SaveShadowSetting();
    EXPECT_EQ(stored("General", "GetSpan"), "60");
    EXPECT_EQ(stored("General", "ForecastmapURL"), s.ForecastmapURL());
    EXPECT_EQ(stored("General", "WeatherServiceURL"), s.WeatherServiceURL());
    EXPECT_EQ(stored("General", "ForecastmapPath"), s.ForecastmapPath());
    EXPECT_EQ(stored("SkinStyle", "Path"), s.SkinFile());
    EXPECT_EQ(stored("General", "CityID"), "<absent>");
    EXPECT_EQ(stored("Position", "PosX"), "<absent>");
}

TEST_F(WeatherIniTest, ValuesThatDoNotConvertReadAsDefaults)
{
    cWeatherIni s(fixture("unconvertible-lf.ini"));
    EXPECT_EQ(s.Span(), 60);      // text
    EXPECT_TRUE(s.ShowDeskTop()); // not a flag
    EXPECT_EQ(s.Method(), 0);     // outside 16 bits
    EXPECT_EQ(s.ProxyPort(), 0);  // outside 32 bits
    EXPECT_FALSE(s.ProxyAuthentication());
    EXPECT_EQ(s.ProxyPassword(), "");  // not Base64
    EXPECT_EQ(s.PosX(), -100);         // empty
    EXPECT_EQ(s.PosY(), -100);         // trailing garbage
    EXPECT_EQ(s.ForecastmapURL(), ""); // an empty text is a text
}

TEST_F(WeatherIniTest, SixteenBitSettingsStayInRange)
{
    cWeatherIni s(path());
    s.setMethod(70000);
    s.setSpan(-70000);
    cWeatherIni again(path());
    EXPECT_EQ(again.Method(), s.Method());
    EXPECT_EQ(again.Span(), s.Span());
    EXPECT_EQ(s.Method(), 32767);
    EXPECT_EQ(s.Span(), -32768);
}

TEST_F(WeatherIniTest, HandWrittenFileIsReadAndKept)
{
    const QString file = fixture("handwritten-crlf.ini");
    cWeatherIni s(file);
    EXPECT_EQ(s.CityID(), "130010");
    EXPECT_FALSE(s.ShowTopMost());
    EXPECT_EQ(s.LastPublicTime(), "2024/05/01 11:00:00");
    EXPECT_EQ(s.ProxyServer(), QString::fromUtf8("東京プロキシ"));
    EXPECT_EQ(s.Method(), 1);
    EXPECT_EQ(s.ProxyPort(), 8080); // 8080.5: half to even
    s.setPosY(300);
    const QByteArray bytes = testsupport::readAll(file);
    EXPECT_TRUE(bytes.contains("UnknownKey = keep me\r\n"));
    EXPECT_TRUE(bytes.contains("# a comment\r\n"));
    EXPECT_TRUE(bytes.endsWith("Note=untouched\r\n[Position]\r\nPosY=300\r\n"));
}

TEST_F(WeatherIniTest, UnwritableFolderKeepsValuesInMemory)
{
    const QString file = m_dir.filePath(QStringLiteral("gone/Skycaster.ini"));
    cWeatherIni s(file);
    s.setCityID("130010");
    EXPECT_EQ(s.CityID(), "130010");
    EXPECT_FALSE(QFile::exists(file));
}

TEST_F(WeatherIniTest, AFailedSaveIsToldOnceKeepsTheOldFileAndIsRetried)
{
    struct Case {
        const char *name;
        std::function<void(const QString &)> prepare; // makes saving to the path fail
        std::function<void(const QString &)> repair;
    };
    const QByteArray old = "[General]\r\nCityID=4\r\n";
    std::unique_ptr<testsupport::FileSizeLimit> limit;
    const Case cases[] = {
        {"settings path is a folder", [](const QString &p) { QDir().mkpath(p); },
         [](const QString &p) { QDir(p).removeRecursively(); }},
        {"disk full",
         [&](const QString &p) {
             testsupport::writeFile(p, old), limit = std::make_unique<testsupport::FileSizeLimit>(24);
         },
         [&](const QString &) { limit.reset(); }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("Skycaster.ini"));
        c.prepare(file);
        const QByteArray before = testsupport::readAll(file);
        QStringList told;
        cWeatherIni s(file);
        s.setWriteFailureHandler([&](const QString &message) { told << message; });
        s.setCityID("130010");
        s.setLastPublicTime("2024/05/01 11:00:00");
        EXPECT_EQ(told.size(), 1);
        EXPECT_TRUE(told.value(0).contains(file));
        EXPECT_TRUE(s.HasPendingValues());
        EXPECT_EQ(testsupport::readAll(file), before);
        c.repair(file);
        EXPECT_TRUE(s.SavePending());
        const cWeatherIni again(file);
        EXPECT_EQ(again.CityID(), "130010");
        EXPECT_EQ(again.LastPublicTime(), "2024/05/01 11:00:00");
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 1) << "no temporary copy left";
    }
}

TEST_F(WeatherIniTest, ABatchWritesTheFileOnceAtItsEnd)
{
    cWeatherIni s(path());
    {
        const cWeatherIni::SaveBatch batch(s);
        s.setCityID("130010");
        s.setPosX(250);
        EXPECT_FALSE(QFile::exists(path()));
    }
    EXPECT_EQ(stored("General", "CityID"), "130010");
    EXPECT_EQ(stored("Position", "PosX"), "250");
}

TEST_F(WeatherIniTest, ProgramWideObjectCanBeReplaced)
{
    SetAppSettings(std::make_unique<cWeatherIni>(path()));
    AppSettings().setCityID("400010");
    EXPECT_EQ(AppSettings().SettingsPath(), path());
    EXPECT_EQ(stored("General", "CityID"), "400010");
    SetAppSettings(nullptr);
    EXPECT_EQ(AppSettings().SettingsPath(), cWeatherIni::DefaultSettingsPath());
    SetAppSettings(nullptr);
}

} // namespace
