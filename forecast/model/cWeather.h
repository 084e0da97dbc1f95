#pragma once

#include "roModelKey.h"

#include <QString>

#include <memory>

class cLocations;
class cTemperature;
class cImage;
class cWarnings;

/// The forecast of one city for one day (from the lwws element).
class cWeather {
public:
    /// Library only: objects come from the library's factory.
    explicit cWeather(roModelKey);
    ~cWeather();
    cWeather(const cWeather &) = delete;
    cWeather &operator=(const cWeather &) = delete;

    /// The point forecasts (created empty on first read).
    std::shared_ptr<cLocations> Locations() const;
    /// The temperatures (created empty on first read).
    std::shared_ptr<cTemperature> Temperature() const;
    /// The forecast icon (created empty on first read).
    std::shared_ptr<cImage> Image() const;
    /// The warnings and advisories (created empty, not available, on first read).
    std::shared_ptr<cWarnings> Warnings() const;

    /// Text of element description.
    const QString &Description() const { return m_Description; }
    /// Sets Description.
    void setDescription(const QString &value) { m_Description = value; }
    /// The weather in words (element telop).
    const QString &Telop() const { return m_Telop; }
    /// Sets Telop.
    void setTelop(const QString &value) { m_Telop = value; }
    /// Publication time as general date text, or "-".
    const QString &Publictime() const { return m_Publictime; }
    /// Sets Publictime.
    void setPublictime(const QString &value) { m_Publictime = value; }
    /// Forecast date as general date text, or "-".
    const QString &ForecastDate() const { return m_ForecastDate; }
    /// Sets ForecastDate.
    void setForecastDate(const QString &value) { m_ForecastDate = value; }
    /// Text of element day.
    const QString &Day() const { return m_Day; }
    /// Sets Day.
    void setDay(const QString &value) { m_Day = value; }
    /// Text of element forecastday.
    const QString &Forecastday() const { return m_Forecastday; }
    /// Sets Forecastday.
    void setForecastday(const QString &value) { m_Forecastday = value; }
    /// Text of element link.
    const QString &Link() const { return m_Link; }
    /// Sets Link.
    void setLink(const QString &value) { m_Link = value; }
    /// Text of element title.
    const QString &Title() const { return m_Title; }
    /// Sets Title.
    void setTitle(const QString &value) { m_Title = value; }
    /// Attribute city of element location.
    const QString &LocationCity() const { return m_LocationCity; }
    /// Sets LocationCity.
    void setLocationCity(const QString &value) { m_LocationCity = value; }
    /// Attribute pref of element location.
    const QString &LocationPref() const { return m_LocationPref; }
    /// Sets LocationPref.
    void setLocationPref(const QString &value) { m_LocationPref = value; }
    /// Attribute area of element location.
    const QString &LocationArea() const { return m_LocationArea; }
    /// Sets LocationArea.
    void setLocationArea(const QString &value) { m_LocationArea = value; }
    /// Text of element author.
    const QString &Author() const { return m_Author; }
    /// Sets Author.
    void setAuthor(const QString &value) { m_Author = value; }
    /// Attribute version of the lwws element.
    const QString &Version() const { return m_Version; }
    /// Sets Version.
    void setVersion(const QString &value) { m_Version = value; }

private:
    mutable std::shared_ptr<cLocations> m_Locations;
    mutable std::shared_ptr<cTemperature> m_Temperature;
    mutable std::shared_ptr<cImage> m_Image;
    mutable std::shared_ptr<cWarnings> m_Warnings;
    QString m_Description;
    QString m_Telop;
    QString m_Publictime;
    QString m_ForecastDate;
    QString m_Day;
    QString m_Forecastday;
    QString m_Link;
    QString m_Title;
    QString m_LocationCity;
    QString m_LocationPref;
    QString m_LocationArea;
    QString m_Author;
    QString m_Version;
};
