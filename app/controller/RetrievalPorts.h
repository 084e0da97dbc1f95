#pragma once

#include "WarningLevel.h"

#include <QString>

#include <memory>

class cWeather;

/// The desktop widget as the retrieval cycle uses it.
class IWeatherView {
public:
    virtual ~IWeatherView() = default;
    /// Whether the widget is on the screen.
    virtual bool Visible() const = 0;
    /// Takes the widget off the screen.
    virtual void Hide() = 0;
    /// The widget's current centre in screen pixels.
    virtual void GetCenter(int &x, int &y) const = 0;
    /// Shows the picture and the two text lines centred on (x, y).
    virtual void Draw(int x, int y, const QString &city, const QString &telop, const QString &minimum,
                      const QString &maximum, const QString &picturePath, bool topMost) = 0;
    /// Sets the widget's tool tip; icon 1 = information, 3 = error.
    virtual void SetToolTipText(const QString &title, const QString &body, int icon) = 0;
    /// The warning mark the picture carries from the next Draw on (None: no mark).
    virtual void SetWarningMark(WarningLevel level) = 0;
};

/// The tray icon as the retrieval cycle uses it.
class ITrayView {
public:
    virtual ~ITrayView() = default;
    /// Sets the tray tool tip.
    virtual void SetToolTip(const QString &text) = 0;
    /// Shows the normal icon ("AAA") or the failure icon ("BBB").
    virtual void SetFailureIcon(bool failure) = 0;
    /// Puts the warning mark on the icon shown (None: no mark).
    virtual void SetWarningMark(WarningLevel level) = 0;
};

/// Downloads and parsing as the retrieval cycle uses them.
class IForecastSource {
public:
    virtual ~IForecastSource() = default;
    /// Downloads the forecast document; the file path, or "" with errorText set.
    virtual QString DownloadForecastFile(const QString &cityID, QString &errorText, int day) = 0;
    /// Downloads the forecast icon; the file path, or "" (errorText set for a fetch failure).
    virtual QString DownloadIconFile(const QString &url, QString &errorText) = 0;
    /// Parses a forecast document; false after the library has shown its own message.
    virtual bool GetWeather(const QString &fileName, std::shared_ptr<cWeather> &weather) = 0;
};
