#pragma once

#include <memory>

class cWeatherIni;

/// The program-wide settings object; creates the default one (beside the executable) when none
/// has been installed.
cWeatherIni &AppSettings();

/// Installs the program-wide settings object (start-up, tests); nullptr releases it.
void SetAppSettings(std::unique_ptr<cWeatherIni> settings);
