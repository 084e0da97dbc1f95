#include "cWeatherIni.h"

#include "IniDocument.h"
#include "NumberText.h"
#include "basBase64.h"
#include "cIniFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <algorithm>
#include <utility>

namespace {

// The area list, relative to the program folder (or to the settings file's folder when it follows that).
constexpr char kAreaListFile[] = "forecastmap/forecastmap.xml";

// The forecast service the program talks to unless the settings file names another.
constexpr char kServiceHost[] = "http://127.0.0.1:8931";

enum class Kind {
    Text,
    Password,
    Flag,
    Int16,
    Int32
};
/// What a default text starts with.
enum class Base {
    None,
    ProgramDir,
    ServiceHost
};

struct SettingInfo {
    cWeatherIni::Setting id;
    const char *section;
    const char *key;
    Kind kind;
    Base base;
    const char *defaultText;
};

using S = cWeatherIni::Setting;

// Every setting once, in the order they are read.
constexpr SettingInfo kSettings[] = {
    {S::CityID, "General", "CityID", Kind::Text, Base::None, ""},
    {S::ForecastmapURL, "General", "ForecastmapURL", Kind::Text, Base::ServiceHost, "/forecast/rss/forecastmap.xml"},
    {S::LastAccessCityID, "General", "LastAccessCityID", Kind::Text, Base::None, ""},
    {S::LastPublicTime, "General", "LastPublicTime", Kind::Text, Base::None, ""},
    {S::LastAccessDate, "General", "LastAccessDate", Kind::Text, Base::None, ""},
    {S::Method, "Communication", "Method", Kind::Int16, Base::None, "0"},
    {S::ProxyAuthentication, "Communication", "ProxyAuthentication", Kind::Flag, Base::None, "False"},
    {S::ProxyPassword, "Communication", "ProxyPassword", Kind::Password, Base::None, ""},
    {S::ProxyPort, "Communication", "ProxyPort", Kind::Int32, Base::None, "0"},
    {S::ProxyServer, "Communication", "ProxyServer", Kind::Text, Base::None, ""},
    {S::ProxyUser, "Communication", "ProxyUser", Kind::Text, Base::None, ""},
    {S::WeatherServiceURL, "General", "WeatherServiceURL", Kind::Text, Base::ServiceHost,
     "/forecast/webservice/rest/v1"},
    {S::ShowDeskTop, "General", "ShowDeskTop", Kind::Flag, Base::None, "True"},
    {S::SkinFile, "SkinStyle", "Path", Kind::Text, Base::ProgramDir, "/Styles/Default.cjstyles"},
    {S::ForecastmapPath, "General", "ForecastmapPath", Kind::Text, Base::ProgramDir, "/forecastmap/forecastmap.xml"},
    {S::ShowTopMost, "General", "ShowTopMost", Kind::Flag, Base::None, "True"},
    {S::Span, "General", "GetSpan", Kind::Int16, Base::None, "60"},
    {S::PosX, "Position", "PosX", Kind::Int32, Base::None, "-100"},
    {S::PosY, "Position", "PosY", Kind::Int32, Base::None, "-100"},
    {S::NotifyWarnings, "General", "NotifyWarnings", Kind::Flag, Base::None, "True"},
    {S::AnnouncedWarnings, "General", "AnnouncedWarnings", Kind::Text, Base::None, ""},
};
static_assert(std::size(kSettings) == static_cast<size_t>(S::Count));

const SettingInfo &info(S s)
{
    return kSettings[static_cast<size_t>(s)];
}

constexpr bool tableInOrder()
{
    for (size_t i = 0; i < std::size(kSettings); ++i)
        if (static_cast<size_t>(kSettings[i].id) != i)
            return false;
    return true;
}
static_assert(tableInOrder(), "kSettings must follow the order of cWeatherIni::Setting");

QString programDir()
{
    if (QCoreApplication::instance())
        return QCoreApplication::applicationDirPath();
    return QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget().section(u'/', 0, -2);
}

QString programBaseName()
{
    const QString exe = QCoreApplication::instance() ? QCoreApplication::applicationFilePath()
                                                     : QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget();
    return QFileInfo(exe).completeBaseName();
}

int clampInt16(int v)
{
    return std::clamp(v, -32768, 32767);
}

} // namespace

cWeatherIni::cWeatherIni()
    : cWeatherIni(DefaultSettingsPath(), programDir())
{
}

cWeatherIni::cWeatherIni(const QString &settingsPath, const QString &programFolder)
    : m_path(settingsPath)
    , m_programFolder(programFolder)
{
    readAll();
}

cWeatherIni::cWeatherIni(const QString &settingsPath)
    : m_path(settingsPath)
{
    readAll();
}

QString cWeatherIni::DefaultSettingsPath()
{
    return ChooseSettingsPath(programDir(), programBaseName(),
                              QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation))
                                  .filePath(QStringLiteral("Skycaster")));
}

QString cWeatherIni::ChooseSettingsPath(const QString &programFolder, const QString &baseName,
                                        const QString &userFolder)
{
    const QString fileName = baseName + QStringLiteral(".ini");
    const QString beside = QDir(programFolder).filePath(fileName);
    const QFileInfo besideInfo(beside);
    // Every write replaces the file through a new one beside it, so the folder must take new files.
    if (QFileInfo(programFolder).isWritable() && (!besideInfo.exists() || besideInfo.isWritable()))
        return beside;

    // An installed, read-only program folder: the user's own copy, started from the file shipped there.
    const QString own = QDir(userFolder).filePath(fileName);
    QDir().mkpath(userFolder);
    if (!QFileInfo::exists(own) && besideInfo.exists() && QFile::copy(beside, own))
        QFile::setPermissions(own, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    return own;
}

QString cWeatherIni::DefaultServiceHost()
{
    return QString::fromLatin1(kServiceHost);
}

QString cWeatherIni::DefaultText(Setting setting)
{
    const SettingInfo &si = info(setting);
    const QString tail = QString::fromLatin1(si.defaultText);
    switch (si.base) {
    case Base::ProgramDir: {
        QString dir = programDir();
        if (dir.endsWith(u'/'))
            dir.chop(1);
        return dir + tail;
    }
    case Base::ServiceHost: return DefaultServiceHost() + tail;
    case Base::None: break;
    }
    return tail;
}

QString cWeatherIni::shippedAreaListPath() const
{
    return QDir::cleanPath(QFileInfo(m_programFolder).absoluteFilePath() + u'/' + QLatin1String(kAreaListFile));
}

QString cWeatherIni::ownAreaListPath() const
{
    if (m_programFolder.isEmpty())
        return {};
    const QString settingsFolder = QFileInfo(m_path).absolutePath();
    if (QDir::cleanPath(settingsFolder) == QDir::cleanPath(QFileInfo(m_programFolder).absoluteFilePath()))
        return {};
    return QDir::cleanPath(settingsFolder + u'/' + QLatin1String(kAreaListFile));
}

QString cWeatherIni::defaultFor(Setting setting) const
{
    if (setting == Setting::ForecastmapPath && !m_programFolder.isEmpty()) {
        const QString own = ownAreaListPath();
        return own.isEmpty() ? shippedAreaListPath() : own;
    }
    return DefaultText(setting);
}

QString cWeatherIni::ForecastmapPath() const
{
    const QString path = text(Setting::ForecastmapPath);
    const QString own = ownAreaListPath();
    if (!own.isEmpty() && path == own && !QFileInfo::exists(own)) {
        QDir().mkpath(QFileInfo(own).absolutePath());
        // The copy is the user's to replace: owner-writable whatever mode the shipped file has.
        if (QFile::copy(shippedAreaListPath(), own))
            QFile::setPermissions(own, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup |
                                           QFileDevice::ReadOther);
    }
    return path;
}

QString cWeatherIni::SectionOf(Setting setting)
{
    return QString::fromLatin1(info(setting).section);
}

QString cWeatherIni::KeyOf(Setting setting)
{
    return QString::fromLatin1(info(setting).key);
}

void cWeatherIni::readAll()
{
    // One read of the file for all keys: a huge file costs one read, not one per key.
    const ini::IniDocument doc = ini::load(m_path);
    for (const SettingInfo &si : kSettings) {
        const QString fallback = defaultFor(si.id);
        QString stored = cIniFile::ValueIn(doc, QString::fromLatin1(si.section), QString::fromLatin1(si.key), fallback);
        // A file saved before it moved out of the read-only program folder may name the shipped list,
        // which can never be updated there: it reads as the user's own copy.
        if (si.id == Setting::ForecastmapPath && stored != fallback && !ownAreaListPath().isEmpty() &&
            QDir::cleanPath(stored) == shippedAreaListPath())
            stored = fallback;
        Value &value = m_values[static_cast<size_t>(si.id)];
        // A value that does not convert (text in a number, out of range, empty) reads as the
        // default: a damaged file never stops the program from starting.
        switch (si.kind) {
        case Kind::Text: value = stored; break;
        case Kind::Password: value = basBase64::Base64Decode(stored); break;
        case Kind::Flag: value = numbertext::toFlag(stored).value_or(*numbertext::toFlag(fallback)); break;
        case Kind::Int16: value = numbertext::toInt16(stored).value_or(*numbertext::toInt16(fallback)); break;
        case Kind::Int32: value = numbertext::toInt32(stored).value_or(*numbertext::toInt32(fallback)); break;
        }
    }
}

void cWeatherIni::assign(Setting setting, Value value)
{
    if (info(setting).kind == Kind::Int16)
        value = clampInt16(std::get<int>(value));
    m_values[static_cast<size_t>(setting)] = std::move(value);
    m_pending.set(static_cast<size_t>(setting));
    if (m_batchDepth == 0)
        SavePending();
}

QString cWeatherIni::fileText(Setting setting) const
{
    const Value &value = m_values[static_cast<size_t>(setting)];
    switch (info(setting).kind) {
    case Kind::Text: return std::get<QString>(value);
    case Kind::Password: return basBase64::Base64Encode(std::get<QString>(value));
    case Kind::Flag: return std::get<bool>(value) ? QStringLiteral("True") : QStringLiteral("False");
    case Kind::Int16:
    case Kind::Int32: break;
    }
    return QString::number(std::get<int>(value));
}

bool cWeatherIni::SavePending()
{
    if (m_pending.none())
        return true;
    QList<cIniFile::Entry> entries;
    for (const SettingInfo &si : kSettings)
        if (m_pending.test(static_cast<size_t>(si.id)))
            entries.append({QString::fromLatin1(si.section), QString::fromLatin1(si.key), fileText(si.id)});
    cIniFile ini;
    ini.setPath(m_path);
    // The proxy password is only Base64-encoded: a file holding one is for its owner only.
    const SettingInfo &secret = info(Setting::ProxyPassword);
    ini.setSecretKey(QString::fromLatin1(secret.section), QString::fromLatin1(secret.key));
    ini.setValues(entries);
    if (ini.Success()) {
        m_pending.reset();
        m_failureTold = false;
        return true;
    }
    if (!std::exchange(m_failureTold, true) && m_onWriteFailure) {
        QString message = QStringLiteral("設定を保存できませんでした。後でもう一度保存します。\r") + m_path;
        if (!ini.LastError().isEmpty())
            message += QStringLiteral("\r") + ini.LastError();
        m_onWriteFailure(message);
    }
    return false;
}

void cWeatherIni::SaveShadowSetting()
{
    const SaveBatch batch(*this);
    for (Setting s : {Setting::ForecastmapURL, Setting::WeatherServiceURL, Setting::SkinFile, Setting::ForecastmapPath,
                      Setting::Span})
        m_pending.set(static_cast<size_t>(s));
}

cWeatherIni::SaveBatch::SaveBatch(cWeatherIni &settings)
    : m_settings(settings)
{
    ++m_settings.m_batchDepth;
}

cWeatherIni::SaveBatch::~SaveBatch()
{
    if (--m_settings.m_batchDepth == 0)
        m_settings.SavePending();
}
