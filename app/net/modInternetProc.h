#pragma once

#include <QRegularExpression>
#include <QString>

class cInet;
class cWeatherIni;

/// The program's three downloads from the forecast service (area list, forecast, icon). The
/// addresses and the proxy come from the settings given, read afresh at every call.
namespace modInternetProc {

/// Puts the proxy settings on the component: system settings, or with Method 1 the proxy
/// "HTTP=" + server + ":" + port with user name and password.
void ApplyProxySettings(cInet &Inet1, const cWeatherIni &settings);

/// Downloads the area list into ForecastmapPath; returns that path, or "" after a failure (each
/// failure is shown in a message box).
QString DownloadAreaFile(cInet &Inet1, const cWeatherIni &settings);

/// Downloads the forecast of a city for day 0, 1 or 2 into a new temporary file and returns its
/// path; "" with errorText set on failure.
QString DownloadForecastFile(cInet &Inet1, const cWeatherIni &settings, const QString &CityID, QString &errorText,
                             int Day);

/// Downloads the forecast icon into a new temporary file and returns its path; "" on failure
/// (errorText set for a failed fetch).
QString DownloadIconFile(cInet &Inet1, const cWeatherIni &settings, const QString &URL, QString &errorText);

/// Names of the downloads in the temporary folder (QDir::tempPath()), each removed once it is read.
QRegularExpression DownloadFileNames();

} // namespace modInternetProc
