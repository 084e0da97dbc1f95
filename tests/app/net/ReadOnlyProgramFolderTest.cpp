// An installation the user cannot write (installed by root): the area list follows the settings file into the
// user's configuration folder, so "最新の地域情報をサーバーから取得する" can store a fresh list. Runs as a user
// whom file modes stop (tests/support/unprivileged.sh).
#include "AppSettings.h"
#include "TestHttpServer.h"
#include "TestSupport.h"
#include "cInet.h"
#include "cWeatherIni.h"
#include "modInternetProc.h"
#include "roMessageBox.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using testsupport::TestHttpServer;

namespace {

const char kAreaPath[] = "/forecast/rss/forecastmap.xml";

class ReadOnlyProgramFolderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_root.isValid());
        ASSERT_NE(server.port(), 0);
        testsupport::writeFile(shippedList(), shipped);
        testsupport::writeFile(programFolder() + "/skycaster.ini", "[General]\r\nCityID=130010\r\nForecastmapURL=" +
                                                                       server.url(kAreaPath).toUtf8() + "\r\n");
        setWritable(false);
        inet.setRequestTimeout(5000);
    }
    void TearDown() override
    {
        SetAppSettings(nullptr);
        setWritable(true);
    }

    QString programFolder() const { return m_root.filePath("program"); }
    QString userFolder() const { return m_root.filePath("config/Skycaster"); }
    QString shippedList() const { return programFolder() + "/forecastmap/forecastmap.xml"; }
    QString ownList() const { return userFolder() + "/forecastmap/forecastmap.xml"; }

    void setWritable(bool writable)
    {
        const auto readable = QFileDevice::ReadOwner | QFileDevice::ExeOwner | QFileDevice::ReadGroup |
                              QFileDevice::ExeGroup | QFileDevice::ReadOther | QFileDevice::ExeOther;
        const auto mode = writable ? readable | QFileDevice::WriteOwner : readable;
        for (const QString &folder : {programFolder() + "/forecastmap", programFolder()})
            QFile::setPermissions(folder, mode);
    }

    /// The settings as start-up makes them for this installation.
    void startProgram()
    {
        const QString path = cWeatherIni::ChooseSettingsPath(programFolder(), "skycaster", userFolder());
        SetAppSettings(std::make_unique<cWeatherIni>(path, programFolder()));
    }

    const QByteArray shipped = testsupport::readAll(testsupport::dataPath("dialogs/forecastmap.xml"));
    const QByteArray fresh = testsupport::readAll(testsupport::dataPath("dialogs/forecastmap_new.xml"));
    TestHttpServer server;
    cInet inet;
    ro::ScopedMessageBoxRecorder boxes;
    QTemporaryDir m_root;
};

TEST_F(ReadOnlyProgramFolderTest, AFreshAreaListIsStoredBesideTheUsersSettings)
{
    ASSERT_FALSE(QFileInfo(programFolder()).isWritable()) << "run this test as a user file modes apply to";
    ASSERT_FALSE(shipped.isEmpty());
    ASSERT_NE(shipped, fresh);
    startProgram();
    EXPECT_EQ(AppSettings().SettingsPath(), userFolder() + "/skycaster.ini");

    // The first use finds the shipped list, copied to where it can be replaced.
    EXPECT_EQ(AppSettings().ForecastmapPath(), ownList());
    EXPECT_EQ(testsupport::readAll(ownList()), shipped);

    server.serve(kAreaPath, fresh);
    EXPECT_EQ(modInternetProc::DownloadAreaFile(inet, AppSettings()), ownList());
    EXPECT_TRUE(boxes.Shown().empty()) << (boxes.Shown().empty() ? "" : boxes.Shown()[0].prompt.toStdString());
    EXPECT_EQ(testsupport::readAll(ownList()), fresh);
    EXPECT_EQ(testsupport::readAll(shippedList()), shipped);

    // Saved and read again, the fresh list is the one in use; it is never overwritten by the shipped one.
    AppSettings().SaveShadowSetting();
    startProgram();
    EXPECT_EQ(AppSettings().ForecastmapPath(), ownList());
    EXPECT_EQ(testsupport::readAll(ownList()), fresh);
}

TEST_F(ReadOnlyProgramFolderTest, ASettingsFileNamingTheShippedListMovesToTheUsersCopy)
{
    // Saved by an older version, which kept the area list in the program folder.
    testsupport::writeFile(userFolder() + "/skycaster.ini",
                           "[General]\r\nCityID=130010\r\nForecastmapPath=" + shippedList().toUtf8() + "\r\n");
    startProgram();
    EXPECT_EQ(AppSettings().ForecastmapPath(), ownList());
    EXPECT_EQ(testsupport::readAll(ownList()), shipped);

    // A list the user chose elsewhere stays where it is.
    const QString chosen = m_root.filePath("mine/areas.xml");
    testsupport::writeFile(chosen, fresh);
    AppSettings().setForecastmapPath(chosen);
    startProgram();
    EXPECT_EQ(AppSettings().ForecastmapPath(), chosen);
}

TEST_F(ReadOnlyProgramFolderTest, AWritableProgramFolderKeepsItsOwnList)
{
    setWritable(true);
    startProgram();
    EXPECT_EQ(AppSettings().SettingsPath(), programFolder() + "/skycaster.ini");
    EXPECT_EQ(AppSettings().ForecastmapPath(), shippedList());
    server.serve(kAreaPath, fresh);
    EXPECT_EQ(modInternetProc::DownloadAreaFile(inet, AppSettings()), shippedList());
    EXPECT_EQ(testsupport::readAll(shippedList()), fresh);
    EXPECT_FALSE(QFileInfo::exists(userFolder()));
}

} // namespace
