#pragma once

#include <QString>

class IDesktopNotifier;
class cWeather;
class cWeatherIni;

/// Announces warnings newly in force for the configured city, remembering what it announced in the
/// settings file (key AnnouncedWarnings) so that a restart repeats nothing.
class cWarningAnnouncer {
public:
    cWarningAnnouncer(cWeatherIni &settings, IDesktopNotifier &notifier);

    /// After a retrieval of `day` for `cityID` (`weather` none when it failed): today's forecast of the
    /// configured city is compared with what was announced, when notifications are switched on.
    void AfterRetrieval(const cWeather *weather, const QString &cityID, int day);

private:
    cWeatherIni &m_settings;
    IDesktopNotifier &m_notifier;
};
