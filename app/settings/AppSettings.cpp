#include "AppSettings.h"

#include "cWeatherIni.h"

namespace {

std::unique_ptr<cWeatherIni> &instance()
{
    static std::unique_ptr<cWeatherIni> settings;
    return settings;
}

} // namespace

cWeatherIni &AppSettings()
{
    if (!instance())
        instance() = std::make_unique<cWeatherIni>();
    return *instance();
}

void SetAppSettings(std::unique_ptr<cWeatherIni> settings)
{
    instance() = std::move(settings);
}
