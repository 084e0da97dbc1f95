#pragma once

#include <QString>

class cInet;

/// The program's three downloads from the forecast service (area list, forecast, icon). The
/// proxy settings are read afresh at every call.
namespace modInternetProc {

/// Day index of the last forecast downloaded: 0 today, 1 tomorrow, 2 the day after tomorrow.
extern int CurrentDay;

/// Puts the proxy settings of AppSettings() on the component: system settings, or with Method 1
/// the proxy "HTTP=" + server + ":" + port with user name and password.
void ApplyProxySettings(cInet &Inet1);

/// Downloads the area list into ForecastmapPath; returns that path, or "" after a failure (each
/// failure is shown in a message box).
QString DownloadAreaFile(cInet &Inet1);

/// Downloads the forecast of a city for day 0, 1 or 2 into a new temporary file and returns its
/// path; "" with errorText set on failure.
QString DownloadForecastFile(cInet &Inet1, const QString &CityID, QString &errorText, int Day);

/// Downloads the forecast icon into a new temporary file and returns its path; "" on failure
/// (errorText set for a failed fetch).
QString DownloadIconFile(cInet &Inet1, const QString &URL, QString &errorText);

} // namespace modInternetProc
