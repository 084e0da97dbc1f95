// Where the settings file goes when the program is installed in a folder the user cannot write.
#include "TestSupport.h"
#include "cIniFile.h"
#include "cWeatherIni.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr uid_t kNobody = 65534;

QString storedValue(const QString &path, const QString &section, const QString &key)
{
    cIniFile ini;
    ini.setPath(path);
    ini.setSection(section);
    ini.setKEY(key);
    ini.setDefault(QStringLiteral("<absent>"));
    return ini.Value();
}

class SettingsLocationTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_root.isValid());
        // Reachable by the unprivileged user the checks run as.
        QFile::setPermissions(m_root.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
                                                 QFileDevice::ReadOther | QFileDevice::ExeOther);
        ASSERT_TRUE(QDir(m_root.path()).mkpath(QStringLiteral("program")));
        ASSERT_TRUE(QDir(m_root.path()).mkpath(QStringLiteral("config")));
        QFile::setPermissions(configRoot(), QFileDevice::Permissions(0x7777));
    }
    void TearDown() override { setProgramFolderWritable(true); }

    QString programFolder() const { return m_root.filePath(QStringLiteral("program")); }
    QString configRoot() const { return m_root.filePath(QStringLiteral("config")); }
    QString userFolder() const { return configRoot() + QStringLiteral("/Skycaster"); }
    QString shipped() const { return programFolder() + QStringLiteral("/skycaster.ini"); }
    QString own() const { return userFolder() + QStringLiteral("/skycaster.ini"); }

    void setProgramFolderWritable(bool writable)
    {
        const auto readable = QFileDevice::ReadOwner | QFileDevice::ExeOwner | QFileDevice::ReadOther |
                              QFileDevice::ExeOther | QFileDevice::ReadGroup | QFileDevice::ExeGroup;
        const auto all = QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
        QFile::setPermissions(programFolder(), writable ? readable | all : readable);
    }

    /// Runs the settings code as a user without the right to write others' files (root writes
    /// anywhere, so a root test process drops to "nobody" in a child) and returns what it chose.
    QString chooseAndAssignCity(const QString &city)
    {
        int fds[2];
        if (pipe(fds) != 0)
            return QStringLiteral("<no pipe>");
        const pid_t child = fork();
        if (child == 0) {
            close(fds[0]);
            if (geteuid() == 0 && (setgid(kNobody) != 0 || setuid(kNobody) != 0))
                _exit(3);
            const QString path =
                cWeatherIni::ChooseSettingsPath(programFolder(), QStringLiteral("skycaster"), userFolder());
            cWeatherIni settings(path);
            settings.setCityID(city);
            const QByteArray out = path.toUtf8();
            const bool written = write(fds[1], out.constData(), out.size()) == out.size();
            _exit(written ? 0 : 4);
        }
        close(fds[1]);
        QByteArray result;
        char buffer[512];
        for (ssize_t n; (n = read(fds[0], buffer, sizeof buffer)) > 0;)
            result.append(buffer, n);
        close(fds[0]);
        int status = 0;
        waitpid(child, &status, 0);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
            return QStringLiteral("<child failed %1>").arg(status);
        return QString::fromUtf8(result);
    }

    void ship(const QByteArray &bytes)
    {
        testsupport::writeFile(shipped(), bytes);
        QFile::setPermissions(shipped(), QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther);
    }

    QTemporaryDir m_root;
};

TEST_F(SettingsLocationTest, WritableProgramFolderKeepsTheFileBesideTheProgram)
{
    EXPECT_EQ(cWeatherIni::ChooseSettingsPath(programFolder(), QStringLiteral("skycaster"), userFolder()), shipped());
    EXPECT_FALSE(QFileInfo::exists(userFolder()));
}

TEST_F(SettingsLocationTest, ReadOnlyProgramFolderUsesTheUsersFolder)
{
    setProgramFolderWritable(false);
    EXPECT_EQ(chooseAndAssignCity(QStringLiteral("130010")), own());
    EXPECT_EQ(storedValue(own(), QStringLiteral("General"), QStringLiteral("CityID")), "130010");
    EXPECT_FALSE(QFileInfo::exists(shipped()));
}

TEST_F(SettingsLocationTest, FileShippedInAReadOnlyFolderStartsTheUsersCopy)
{
    ship("[General]\r\nCityID=130010\r\nWeatherServiceURL=http://127.0.0.1:9000/forecast/webservice/rest/v1\r\n");
    const QByteArray before = testsupport::readAll(shipped());
    setProgramFolderWritable(false);

    EXPECT_EQ(chooseAndAssignCity(QStringLiteral("400010")), own());
    EXPECT_EQ(storedValue(own(), QStringLiteral("General"), QStringLiteral("CityID")), "400010");
    EXPECT_EQ(storedValue(own(), QStringLiteral("General"), QStringLiteral("WeatherServiceURL")),
              "http://127.0.0.1:9000/forecast/webservice/rest/v1");
    EXPECT_EQ(testsupport::readAll(shipped()), before);

    // The user's copy, once there, is never replaced by the shipped one again.
    EXPECT_EQ(chooseAndAssignCity(QStringLiteral("016010")), own());
    EXPECT_EQ(storedValue(own(), QStringLiteral("General"), QStringLiteral("CityID")), "016010");
    EXPECT_EQ(storedValue(own(), QStringLiteral("General"), QStringLiteral("WeatherServiceURL")),
              "http://127.0.0.1:9000/forecast/webservice/rest/v1");
}

TEST_F(SettingsLocationTest, ReadOnlyFileInAWritableFolderUsesTheUsersFolder)
{
    ship("[General]\r\nCityID=130010\r\n");
    QFile::setPermissions(programFolder(), QFileDevice::Permissions(0x7777));
    EXPECT_EQ(chooseAndAssignCity(QStringLiteral("400010")), own());
    EXPECT_EQ(storedValue(own(), QStringLiteral("General"), QStringLiteral("CityID")), "400010");
    EXPECT_EQ(storedValue(shipped(), QStringLiteral("General"), QStringLiteral("CityID")), "130010");
}

} // namespace
