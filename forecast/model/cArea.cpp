#include "cArea.h"

#include "cPrefs.h"

cArea::cArea(roModelKey) {}

cArea::~cArea() = default;

std::shared_ptr<cPrefs> cArea::Prefs() const
{
    if (!m_Prefs)
        m_Prefs = roModelFactory::Create<cPrefs>();
    return m_Prefs;
}
