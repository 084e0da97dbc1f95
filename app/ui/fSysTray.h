#pragma once

#include "SysTrayMenuItems.h"

#include <QIcon>
#include <QPointer>
#include <QWidget>

class QMenu;
class QSystemTrayIcon;
class QTimer;
namespace platform {
class TrayHost;
}

/// The program's icon in the notification area: icon, tool tip, balloon, a small menu-entry list, and the
/// icon's clicks decoded into events for the owner. A hidden form; the icon lives as long as the form.
class fSysTray : public QWidget {
    Q_OBJECT
public:
    /// Longest tool tip in characters.
    static constexpr int kToolTipMax = 127;
    /// Longest balloon text and title in characters.
    static constexpr int kBalloonTextMax = 255;
    static constexpr int kBalloonTitleMax = 63;

    /// Adds the icon ("AAA", the program's name as tool tip) to the notification area; when the session has no
    /// notification area yet, as soon as one appears.
    explicit fSysTray(QWidget *parent = nullptr);
    /// Removes the icon.
    ~fSysTray() override;

    /// The tool-tip text shown for the icon.
    QString ToolTip() const { return m_toolTip; }
    /// Sets the tool tip (its first 127 characters).
    void setToolTip(const QString &text);
    /// The icon shown.
    QIcon IconHandle() const { return m_icon; }
    /// Shows another icon; the same icon again changes nothing.
    void setIconHandle(const QIcon &icon);
    /// Shows a balloon message; eIcon 0 none, 1 information, 2 warning, 3 error; time-out in ms.
    void ShowBalloonTip(const QString &sMessage, const QString &sTitle = QString(), int eIcon = 0,
                        int lTimeOutMs = 10000);
    /// Brings the form forward before the owner opens its menu.
    void ShowMenu();

    /// Adds a menu entry; returns its index.
    int AddMenuItem(const QString &sCaption, const QString &sKey = QString(), bool bDefault = false,
                    bool bChecked = false);
    /// Enables or disables a menu entry.
    void EnableMenuItem(int lIndex, bool bState);
    /// Removes a menu entry.
    void RemoveMenuItem(int iIndex);
    /// Index of the default menu entry (0 when none).
    int DefaultMenuIndex() const { return m_items.DefaultMenuIndex(); }
    /// Sets the default menu entry (0 when outside the list).
    void setDefaultMenuIndex(int lIndex) { m_items.setDefaultMenuIndex(lIndex); }
    /// The menu entries.
    const SysTrayMenuItems &MenuItems() const { return m_items; }
    /// Fills `menu` with the visible entries; choosing one raises MenuClick.
    void FillMenu(QMenu &menu);
    /// Entry `lIndex` was chosen: raises MenuClick and keeps the checked flag the owner left.
    void MenuItemChosen(int lIndex);

    /// Handles one notification value of the icon (ignored while the form is disabled).
    void Notify(int value);
    /// The Qt tray icon behind the form (nullptr while the session has no notification area).
    QSystemTrayIcon *TrayIcon() const { return m_tray; }
    /// True when the icon is a StatusNotifierItem on the D-Bus session bus (the host draws its menu).
    bool IsStatusNotifierItem() const { return m_statusNotifier; }
    /// The menu a StatusNotifierItem host shows for the icon itself (not owned); unused on XEmbed hosts.
    void SetHostMenu(QMenu *menu);

signals:
    /// The icon was added to a notification area.
    void IconAdded();

    /// A mouse button went down on the icon (1 left, 2 right).
    void SysTrayMouseDown(int eButton);
    /// A mouse button went up on the icon.
    void SysTrayMouseUp(int eButton);
    /// The pointer moved over the icon.
    void SysTrayMouseMove();
    /// The icon was double-clicked.
    void SysTrayDoubleClick(int eButton);
    /// A menu entry was chosen; the receiver may change `bChecked` (direct connections only).
    void MenuClick(int lIndex, const QString &sKey, bool &bChecked);
    /// A balloon appeared.
    void BalloonShow();
    /// A balloon went away before its time (replaced or the icon removed).
    void BalloonHide();
    /// A balloon's time ran out.
    void BalloonTimeOut();
    /// The user clicked the balloon.
    void BalloonClicked();

private:
    void BalloonGone(int value);
    void CreateTrayIcon();

    QSystemTrayIcon *m_tray = nullptr;
    platform::TrayHost *m_host = nullptr;
    QPointer<QMenu> m_hostMenu;
    bool m_statusNotifier = false;
    QTimer *m_balloonTimer;
    QIcon m_icon;
    QString m_toolTip;
    SysTrayMenuItems m_items;
};
