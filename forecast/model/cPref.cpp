#include "cPref.h"

#include "cCities.h"

cPref::cPref(roModelKey) {}

cPref::~cPref() = default;

std::shared_ptr<cCities> cPref::Cities() const
{
    if (!m_Cities)
        m_Cities = roModelFactory::Create<cCities>();
    return m_Cities;
}
