#include "cForecastSource.h"

#include "cInet.h"
#include "modInternetProc.h"

cForecastSource::cForecastSource(cInet &inet, const cWeatherIni &settings, Reader reader)
    : m_inet(inet)
    , m_settings(settings)
    , m_reader(std::move(reader))
{
}

QString cForecastSource::DownloadForecastFile(const QString &cityID, QString &errorText, int day)
{
    return modInternetProc::DownloadForecastFile(m_inet, m_settings, cityID, errorText, day);
}

QString cForecastSource::DownloadIconFile(const QString &url, QString &errorText)
{
    return modInternetProc::DownloadIconFile(m_inet, m_settings, url, errorText);
}

bool cForecastSource::GetWeather(const QString &fileName, std::shared_ptr<cWeather> &weather)
{
    return m_reader(fileName, weather);
}
