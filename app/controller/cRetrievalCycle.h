#pragma once

#include <QString>

#include <functional>
#include <memory>

class cWeather;
class cWeatherIni;
class IForecastSource;
class ITrayView;
class IWeatherView;

/// One fetch-parse-show cycle and the forecast state it leaves for the menus and pop-ups.
class cRetrievalCycle {
public:
    /// `widget` creates the desktop widget on first use; `programDir` holds Res/ and "Icon.tmp".
    cRetrievalCycle(cWeatherIni &settings, IForecastSource &source, ITrayView &tray,
                    std::function<IWeatherView &()> widget, QString programDir);

    /// Fetches `day` for `cityID` (empty: the configured city) and shows the result or the failure. Always true.
    bool RetrieveWeather(int day, const QString &cityID);

    /// Day of the last forecast downloaded: 0 today, 1 tomorrow, 2 the day after tomorrow.
    int CurrentDay() const { return m_currentDay; }

    /// The forecast of the last successful parse, or none.
    const std::shared_ptr<cWeather> &CurrentWeather() const { return m_currentWeather; }
    /// The failure text of the last cycle; empty when it succeeded.
    const QString &LastError() const { return m_lastError; }
    /// The picture the widget shows ("Icon.tmp" in the program folder).
    const QString &IconFilePath() const { return m_iconFilePath; }
    /// The picture shown on failure.
    QString FailurePicturePath() const;

    /// Tool tip body: publication time, " 発表", a blank line, the description.
    static QString BuildToolTipBody(const cWeather *weather);

private:
    void ShowFailure();
    void UpdateTrayState();
    void ShowForecast(const cWeather &weather);
    void StorePositionAndHide();
    void DrawAt(const QString &city, const QString &telop, const QString &minimum, const QString &maximum);
    bool SaveIconPicture(const QString &downloadedFile);
    bool StorePicture(const QByteArray &bytes);

    cWeatherIni &m_settings;
    IForecastSource &m_source;
    ITrayView &m_tray;
    std::function<IWeatherView &()> m_widget;
    QString m_programDir;
    QString m_iconFilePath;
    std::shared_ptr<cWeather> m_currentWeather;
    QString m_lastError;
    int m_currentDay = 0;
};
