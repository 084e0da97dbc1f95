#pragma once

#include <QObject>
#include <QPoint>
#include <QString>

#include <memory>
#include <vector>

class QMenu;
class QWidget;

/// One item of a command bar: a plain button with a command identifier.
class CommandBarControl {
public:
    /// A button with its command identifier and caption.
    CommandBarControl(int Id, QString Caption);

    /// The command identifier reported when the item is chosen.
    int Id() const { return m_id; }
    /// The text of the item.
    const QString &Caption() const { return m_caption; }
    /// True when a separator line is drawn above the item.
    bool Separator() const { return m_separator; }
    /// Draws (or not) a separator line above the item.
    void setSeparator(bool v) { m_separator = v; }
    /// True when the item can be chosen.
    bool Enabled() const { return m_enabled; }
    /// Enables or greys out the item; the update event is the place to call it.
    void setEnabled(bool v) { m_enabled = v; }

private:
    int m_id;
    QString m_caption;
    bool m_separator = false;
    bool m_enabled = true;
};

/// A pop-up command bar: an ordered list of buttons, shown as a context menu.
class CommandBar {
public:
    /// An empty bar with the given name.
    explicit CommandBar(QString Name);

    /// The bar's name ("Popup" for every menu of the program).
    const QString &Name() const { return m_name; }
    /// Appends a button; items appear in the order added. The bar keeps ownership.
    CommandBarControl &AddButton(int Id, const QString &Caption);
    /// Number of items.
    int Count() const { return static_cast<int>(m_controls.size()); }
    /// The item at a 1-based position; throws std::out_of_range outside 1..Count.
    CommandBarControl &Item(int Index);
    /// The first item with that identifier, or nullptr.
    CommandBarControl *FindControl(int Id);

    /// Iteration over the items in order.
    auto begin() const { return m_controls.begin(); }
    /// End of the iteration.
    auto end() const { return m_controls.end(); }

private:
    QString m_name;
    std::vector<std::unique_ptr<CommandBarControl>> m_controls;
};

/// The menu component: builds pop-up bars and shows them as QMenus at a point given in twips.
class CommandBars : public QObject {
    Q_OBJECT
public:
    /// A component without menus.
    explicit CommandBars(QObject *parent = nullptr);

    /// A new, empty pop-up bar; the caller owns it and releases it after showing.
    std::unique_ptr<CommandBar> AddPopupBar(const QString &Name) const;

    /// Shows the bar at (x, y) twips and waits until it closes. Emits Update for every item before it is
    /// shown and Execute for the chosen item after the menu has closed. Returns the chosen identifier, 0 when
    /// nothing was chosen. `Anchor` is the program's window the menu belongs to (the one clicked, or the one
    /// shown): on Wayland a menu is a pop-up surface of such a window, so without a shown anchor there it is
    /// not opened at all. The menu closes when the program loses the keyboard to another program.
    int ShowPopup(CommandBar &Bar, int x, int y, QWidget *Anchor = nullptr);

    /// The QMenu that ShowPopup shows: items, separators and enabled states of the bar (after Update).
    std::unique_ptr<QMenu> BuildMenu(CommandBar &Bar, QWidget *Parent = nullptr);

    /// True when a menu shown now with that anchor can be placed (always on X11; on Wayland only beside a
    /// shown window of the program).
    static bool CanPlaceMenu(const QWidget *Anchor);

    /// Closes every menu of the program that is open (the ones ShowPopup waits for return 0).
    static void CloseAllMenus();

    /// The menu open right now (while ShowPopup waits), or nullptr.
    QMenu *ActiveMenu() const { return m_activeMenu; }

signals:
    /// An item was chosen: its command identifier.
    void Execute(int Id);
    /// An item is about to be shown: a handler may change its enabled state.
    void Update(CommandBarControl *Control);

private:
    QMenu *m_activeMenu = nullptr;
};
