#pragma once

#include "roModelKey.h"

#include <QString>

#include <memory>

/// The day's temperatures: numeric text from the document or "-".
class cTemperature {
public:
    /// Library only: objects come from the library's factory.
    explicit cTemperature(roModelKey);
    ~cTemperature();
    cTemperature(const cTemperature &) = delete;
    cTemperature &operator=(const cTemperature &) = delete;

    /// Minimum in Fahrenheit.
    const QString &MinFahrenheit() const { return m_MinFahrenheit; }
    /// Sets MinFahrenheit.
    void setMinFahrenheit(const QString &value) { m_MinFahrenheit = value; }
    /// Minimum in Celsius.
    const QString &MinCelsius() const { return m_MinCelsius; }
    /// Sets MinCelsius.
    void setMinCelsius(const QString &value) { m_MinCelsius = value; }
    /// Maximum in Fahrenheit.
    const QString &MaxFahrenheit() const { return m_MaxFahrenheit; }
    /// Sets MaxFahrenheit.
    void setMaxFahrenheit(const QString &value) { m_MaxFahrenheit = value; }
    /// Maximum in Celsius.
    const QString &MaxCelsius() const { return m_MaxCelsius; }
    /// Sets MaxCelsius.
    void setMaxCelsius(const QString &value) { m_MaxCelsius = value; }

private:
    QString m_MinFahrenheit;
    QString m_MinCelsius;
    QString m_MaxFahrenheit;
    QString m_MaxCelsius;
};
