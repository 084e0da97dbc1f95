#include "modMain.h"

#include "AppSettings.h"
#include "InstanceFiles.h"
#include "PlatformStartup.h"
#include "c32BitIcon.h"
#include "cBundledService.h"
#include "cInitComn.h"
#include "cServiceProcess.h"
#include "cWeatherIni.h"
#include "frmMain.h"
#include "frmSetting.h"
#include "modInternetProc.h"
#include "roMessageBox.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QLibraryInfo>
#include <QPixmapCache>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTranslator>

#include <chrono>
#include <cstdio>
#include <memory>

namespace modMain {
namespace {

constexpr int kPixmapCacheKb = 1024;

// One instance per settings file: two programs writing the same file would undo each other's values.
std::unique_ptr<platform::InstanceLock> lockSingleInstance()
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    const QByteArray key =
        QCryptographicHash::hash(cWeatherIni::DefaultSettingsPath().toUtf8(), QCryptographicHash::Sha1).toHex();
    return platform::InstanceLock::TryLock(
        QDir(folder).filePath(QStringLiteral("skycaster-%1.lock").arg(QString::fromLatin1(key.left(16)))));
}

// What a killed run left: copies of the settings file a save had not renamed yet (this instance holds the
// settings file's lock, so no save of another one is under way) and old downloads.
void removeLeftovers(const QString &settingsPath)
{
    using namespace std::chrono_literals;
    const QFileInfo settings(settingsPath);
    platform::RemoveOwnStaleFiles(
        settings.absolutePath(),
        QRegularExpression(QRegularExpression::escape(settings.fileName()) + QStringLiteral("\\.[A-Za-z0-9]{6}")), 0s);
    // A download lives for one retrieval: an older one is no other running instance's.
    platform::RemoveOwnStaleFiles(QDir::tempPath(), modInternetProc::DownloadFileNames(), 1h);
}

void tellSaveFailure(const QString &message)
{
    ro::MsgBox(message, ro::vbExclamation, QStringLiteral("設定の保存"));
}

void loadJapaneseQtTexts(QApplication &app, QTranslator &translator)
{
    if (translator.load(QLocale(QLocale::Japanese), QStringLiteral("qtbase"), QStringLiteral("_"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        app.installTranslator(&translator);
}

void substituteJapaneseFonts()
{
    QFont::insertSubstitutions(QStringLiteral("MS UI Gothic"),
                               {QStringLiteral("IPAGothic"), QStringLiteral("IPAPGothic"),
                                QStringLiteral("Noto Sans CJK JP"), QStringLiteral("VL Gothic"),
                                QStringLiteral("TakaoGothic")});
}

void reportBundledService(const cBundledService &service, cBundledService::Outcome outcome)
{
    if (outcome == cBundledService::Outcome::Started)
        std::fprintf(stderr, "skycaster: started the forecast service %s\n", qPrintable(service.StartedProgram()));
    else if (outcome == cBundledService::Outcome::DidNotStart)
        std::fprintf(stderr, "skycaster: the forecast service shipped with the program did not start\n");
}

void runMainForm()
{
    frmMain form;
    form.setSettingsDialog([] { return frmSetting().ShowSettingManager(); });
    form.Load();
    form.Start();
    form.Unload();
}

} // namespace

int Main(int argc, char **argv)
{
    platform::ChoosePlatformBeforeQApplication();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Skycaster"));
    QApplication::setQuitOnLastWindowClosed(false);
    // Every window of the program (the first-start settings dialog, pop-ups) shows it in task bars and switchers.
    QApplication::setWindowIcon(c32BitIcon::LoadIconGroup(QStringLiteral("AAA")));
    // Pictures are drawn once per retrieval: a cache of old ones would only grow for weeks.
    QPixmapCache::setCacheLimit(kPixmapCacheKb);

    const auto instanceLock = lockSingleInstance();
    if (!instanceLock)
        return 0;

    QTranslator qtTexts;
    loadJapaneseQtTexts(app, qtTexts);
    substituteJapaneseFonts();
    cInitComn().InitControls(cInitComn::ICC_BAR_CLASSES);

    SetAppSettings(std::make_unique<cWeatherIni>());
    AppSettings().setWriteFailureHandler(tellSaveFailure);
    removeLeftovers(AppSettings().SettingsPath());
    // Where no service manager runs the forecast service, the program runs the one it ships with.
    platform::cServiceProcess serviceProcess;
    cBundledService bundledService(serviceProcess,
                                   platform::cServiceProcess::Candidates(QCoreApplication::applicationDirPath()));
    reportBundledService(bundledService, bundledService.StartIfNeeded(
                                             AppSettings().WeatherServiceURL(),
                                             cWeatherIni::DefaultText(cWeatherIni::Setting::WeatherServiceURL)));
    if (!AppSettings().CityID().isEmpty() || frmSetting().ShowSettingManager())
        runMainForm();
    AppSettings().SavePending();
    SetAppSettings(nullptr);
    return 0;
}

} // namespace modMain
