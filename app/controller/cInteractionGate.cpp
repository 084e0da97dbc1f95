#include "cInteractionGate.h"

#include <utility>

void cInteractionGate::Begin()
{
    if (m_holds++ == 0)
        emit BusyChanged(true);
}

void cInteractionGate::End()
{
    if (m_holds == 0 || --m_holds > 0)
        return;
    emit BusyChanged(false);
    if (std::exchange(m_menuWaiting, false))
        emit MenuDue();
}

bool cInteractionGate::RequestMenu()
{
    if (!Busy())
        return true;
    m_menuWaiting = true;
    return false;
}
