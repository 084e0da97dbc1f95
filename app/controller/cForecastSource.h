#pragma once

#include "RetrievalPorts.h"

#include <functional>

class cInet;
class cWeatherIni;

/// The retrieval cycle's downloads through a transfer component and its parsing through a given reader
/// (the main form's forecast control, or the display-free reader).
class cForecastSource final : public IForecastSource {
public:
    /// Reads a forecast document into a new forecast; false after the reader's own message.
    using Reader = std::function<bool(const QString &, std::shared_ptr<cWeather> &)>;

    /// Addresses and proxy come from `settings`, read at every download.
    cForecastSource(cInet &inet, const cWeatherIni &settings, Reader reader);

    QString DownloadForecastFile(const QString &cityID, QString &errorText, int day) override;
    QString DownloadIconFile(const QString &url, QString &errorText) override;
    bool GetWeather(const QString &fileName, std::shared_ptr<cWeather> &weather) override;

private:
    cInet &m_inet;
    const cWeatherIni &m_settings;
    Reader m_reader;
};
