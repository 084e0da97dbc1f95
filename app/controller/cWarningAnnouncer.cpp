#include "cWarningAnnouncer.h"

#include "IDesktopNotifier.h"
#include "WarningRules.h"
#include "cWeatherIni.h"

cWarningAnnouncer::cWarningAnnouncer(cWeatherIni &settings, IDesktopNotifier &notifier)
    : m_settings(settings)
    , m_notifier(notifier)
{
}

void cWarningAnnouncer::AfterRetrieval(const cWeather *weather, const QString &cityID, int day)
{
    // Another day or a city looked at from the pop-up is not what the user asked to be told about.
    if (weather == nullptr || day != 0 || cityID != m_settings.CityID() || !m_settings.NotifyWarnings())
        return;
    const auto decision = warningrules::Decide(m_settings.AnnouncedWarnings(), cityID, *weather);
    if (decision.notification)
        m_notifier.Notify(*decision.notification);
    if (decision.remembered != m_settings.AnnouncedWarnings())
        m_settings.setAnnouncedWarnings(decision.remembered);
}
