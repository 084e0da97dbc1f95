#include "SysTrayMenuItems.h"

SysTrayMenuItems::SysTrayMenuItems()
    : m_items(1)
{
}

int SysTrayMenuItems::AddMenuItem(const QString &sCaption, const QString &sKey, bool bDefault, bool bChecked)
{
    int index = 0;
    if (m_firstItemUsed) {
        m_items.emplace_back();
        index = UBound();
    } else {
        m_firstItemUsed = true;
    }
    Item &item = m_items[static_cast<std::size_t>(index)];
    item.visible = true;
    item.key = sKey;
    item.caption = sCaption;
    item.checked = bChecked;
    if (bDefault)
        m_default = index;
    return index;
}

void SysTrayMenuItems::EnableMenuItem(int lIndex, bool bState)
{
    if (Contains(lIndex))
        m_items[static_cast<std::size_t>(lIndex)].enabled = bState;
}

void SysTrayMenuItems::RemoveMenuItem(int iIndex)
{
    if (!Contains(iIndex))
        return;
    if (iIndex == 0) {
        m_items.front().caption.clear();
        return;
    }
    // Captions and keys move down; the checked and enabled flags stay with their places.
    for (int i = iIndex + 1; i <= UBound(); ++i) {
        Item &to = m_items[static_cast<std::size_t>(i - 1)];
        const Item &from = m_items[static_cast<std::size_t>(i)];
        to.caption = from.caption;
        to.key = from.key;
    }
    m_items.pop_back();
    if (!Contains(m_default))
        m_default = 0;
}

void SysTrayMenuItems::setDefaultMenuIndex(int lIndex)
{
    m_default = Contains(lIndex) ? lIndex : 0;
}

void SysTrayMenuItems::setChecked(int lIndex, bool bChecked)
{
    if (Contains(lIndex))
        m_items[static_cast<std::size_t>(lIndex)].checked = bChecked;
}
