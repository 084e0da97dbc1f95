#include "modInternetProc.h"

#include "cAreas.h"
#include "cInet.h"
#include "cWeatherIni.h"
#include "roMessageBox.h"
#include "roWeatherParser.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryFile>

namespace modInternetProc {
namespace {

const QString kCR = QStringLiteral("\r");

/// Creates a new, uniquely named file in the temporary folder (atomically, owner only).
/// `created` tells whether the file came into being, so callers can tell the two failures apart.
bool writeTempFile(const QByteArray &bytes, QString &path, QString &description, bool &created)
{
    QTemporaryFile file(QDir::tempPath() + QStringLiteral("/SkycasterXXXXXX.tmp"));
    file.setAutoRemove(false);
    created = file.open();
    if (!created) {
        description = file.errorString();
        return false;
    }
    path = file.fileName();
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        description = file.errorString();
        file.close();
        QFile::remove(path);
        path.clear();
        return false;
    }
    file.close();
    return true;
}

// A download that is no area list (an error page, a truncated answer) must not replace the stored one.
bool isAreaList(const QString &path, QString &description)
{
    std::shared_ptr<cAreas> areas;
    if (roWeatherParser::GetArea(path, areas, nullptr, roWeatherParser::Messages::Quiet) && areas && areas->Count() > 0)
        return true;
    description = QStringLiteral("受信したデータは地域情報ではありません");
    return false;
}

/// Replaces `target` atomically, so a failed copy leaves the earlier file usable.
bool replaceFile(const QString &target, const QByteArray &bytes, QString &description)
{
    QDir().mkpath(QFileInfo(target).absolutePath());
    QSaveFile file(target);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) || file.write(bytes) != bytes.size() ||
        !file.commit()) {
        description = file.errorString();
        file.cancelWriting();
        return false;
    }
    return true;
}

} // namespace

void ApplyProxySettings(cInet &Inet1, const cWeatherIni &settings)
{
    Inet1.setAccessType(cInet::icUseDefault);
    if (settings.Method() == 1) {
        Inet1.setAccessType(cInet::icNamedProxy);
        Inet1.setProxy(QStringLiteral("HTTP=") + settings.ProxyServer() + u':' + QString::number(settings.ProxyPort()));
        Inet1.setUserName(settings.ProxyUser());
        Inet1.setPassword(settings.ProxyPassword());
    }
}

QString DownloadAreaFile(cInet &Inet1, const cWeatherIni &settings)
{
    const QString caption = QStringLiteral("地域ファイルの取得");
    ApplyProxySettings(Inet1, settings);
    QByteArray bytes;
    QString description;
    bool fetched = Inet1.OpenURL(settings.ForecastmapURL(), bytes, description);
    // An empty answer would replace a good area list with nothing.
    if (fetched && bytes.size() < 2) {
        fetched = false;
        description = QStringLiteral("受信したデータが空です（%1 バイト）").arg(bytes.size());
    }
    if (!fetched) {
        ro::MsgBox(QStringLiteral("天気用法情報サイトから地域情報の取得に失敗しました") + kCR + description,
                   ro::vbCritical, QStringLiteral("取得失敗"));
        return {};
    }

    QString tempPath;
    bool created = false;
    bool ok = writeTempFile(bytes, tempPath, description, created);
    if (!created) {
        ro::MsgBox(QStringLiteral("一時ファイルの書き込み失敗しました") + kCR + description, ro::vbCritical, caption);
        return {};
    }
    const QString target = settings.ForecastmapPath();
    if (ok)
        ok = isAreaList(tempPath, description);
    if (ok)
        ok = replaceFile(target, bytes, description);
    if (!ok)
        ro::MsgBox(QStringLiteral("地域情報ファイルのコピーに失敗しました") + kCR + description, ro::vbCritical,
                   caption);
    if (!tempPath.isEmpty())
        QFile::remove(tempPath);
    return target;
}

QString DownloadForecastFile(cInet &Inet1, const cWeatherIni &settings, const QString &CityID, QString &errorText,
                             int Day)
{
    const QString failed = QStringLiteral("天気用法情報サイトから予報情報の取得に失敗しました");
    ApplyProxySettings(Inet1, settings);
    const QString dayWord = Day == 0   ? QStringLiteral("today")
                            : Day == 1 ? QStringLiteral("tomorrow")
                                       : QStringLiteral("dayaftertomorrow");
    const QString url =
        settings.WeatherServiceURL() + QStringLiteral("?city=") + CityID + QStringLiteral("&day=") + dayWord;
    QByteArray bytes;
    QString description;
    if (!Inet1.OpenURL(url, bytes, description)) {
        errorText = failed + kCR + description;
        return {};
    }
    if (bytes.size() < 2) {
        errorText = failed;
        return {};
    }
    QString tempPath;
    bool created = false;
    if (!writeTempFile(bytes, tempPath, description, created)) {
        errorText = QStringLiteral("天気情報一時ファイルの書き込み失敗しました") + kCR + description;
        return {};
    }
    return tempPath;
}

QString DownloadIconFile(cInet &Inet1, const cWeatherIni &settings, const QString &URL, QString &errorText)
{
    ApplyProxySettings(Inet1, settings);
    QByteArray bytes;
    QString description;
    if (!Inet1.OpenURL(URL, bytes, description)) {
        errorText = QStringLiteral("天気用法情報サイトから天気アイコンの取得に失敗しました") + kCR + description;
        return {};
    }
    QString tempPath;
    bool created = false;
    if (!writeTempFile(bytes, tempPath, description, created)) {
        ro::MsgBox(QStringLiteral("天気アイコン一時ファイルの書き込み失敗しました") + kCR + description, ro::vbOKOnly,
                   QString());
        return {};
    }
    return tempPath;
}

QRegularExpression DownloadFileNames()
{
    return QRegularExpression(QStringLiteral("Skycaster[A-Za-z0-9]{6}\\.tmp"));
}

} // namespace modInternetProc
