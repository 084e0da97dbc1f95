#include "cWeather.h"

#include "cImage.h"
#include "cLocations.h"
#include "cTemperature.h"
#include "cWarnings.h"

cWeather::cWeather(roModelKey) {}

cWeather::~cWeather() = default;

std::shared_ptr<cLocations> cWeather::Locations() const
{
    if (!m_Locations)
        m_Locations = roModelFactory::Create<cLocations>();
    return m_Locations;
}

std::shared_ptr<cTemperature> cWeather::Temperature() const
{
    if (!m_Temperature)
        m_Temperature = roModelFactory::Create<cTemperature>();
    return m_Temperature;
}

std::shared_ptr<cImage> cWeather::Image() const
{
    if (!m_Image)
        m_Image = roModelFactory::Create<cImage>();
    return m_Image;
}

std::shared_ptr<cWarnings> cWeather::Warnings() const
{
    if (!m_Warnings)
        m_Warnings = roModelFactory::Create<cWarnings>();
    return m_Warnings;
}
