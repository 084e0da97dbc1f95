#pragma once

#include <QString>

#include <vector>

/// The tray form's list of menu entries: entry 0 exists from the start, later ones are appended, and one
/// entry may be the default.
class SysTrayMenuItems {
public:
    /// One entry of the list.
    struct Item {
        QString caption;
        QString key;
        bool checked = false;
        bool enabled = true;
        bool visible = false;
    };

    SysTrayMenuItems();

    /// Adds an entry (the first call fills entry 0) and returns its index.
    int AddMenuItem(const QString &sCaption, const QString &sKey, bool bDefault, bool bChecked);
    /// Enables or disables entry `lIndex`; nothing happens outside the list.
    void EnableMenuItem(int lIndex, bool bState);
    /// Removes entry `iIndex`: entry 0 only loses its caption, later entries move down by one.
    void RemoveMenuItem(int iIndex);
    /// Index of the default entry, 0 when none was set.
    int DefaultMenuIndex() const { return m_default; }
    /// Sets the default entry; an index outside the list gives 0.
    void setDefaultMenuIndex(int lIndex);
    /// Sets the checked flag of entry `lIndex`; nothing happens outside the list.
    void setChecked(int lIndex, bool bChecked);

    /// Highest index in use.
    int UBound() const { return static_cast<int>(m_items.size()) - 1; }
    /// Whether `index` lies within the list.
    bool Contains(int index) const { return index >= 0 && index <= UBound(); }
    /// Entry `index` (must lie within the list).
    const Item &At(int index) const { return m_items.at(static_cast<std::size_t>(index)); }

private:
    std::vector<Item> m_items;
    bool m_firstItemUsed = false;
    int m_default = 0;
};
