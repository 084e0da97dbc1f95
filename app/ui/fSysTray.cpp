#include "fSysTray.h"

#include "SysTrayNotify.h"
#include "TrayHost.h"
#include "c32BitIcon.h"

#include <QAction>
#include <QGuiApplication>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QTimer>

fSysTray::fSysTray(QWidget *parent)
    : QWidget(parent)
    , m_balloonTimer(new QTimer(this))
{
    setWindowTitle(QStringLiteral("Sys Tray Interface"));
    m_icon = c32BitIcon().SetIcon2(this, QStringLiteral("AAA"), true);
    QString description = QGuiApplication::applicationDisplayName();
    if (description.isEmpty())
        description = QStringLiteral("Skycaster");
    setToolTip(description);
    m_balloonTimer->setSingleShot(true);
    connect(m_balloonTimer, &QTimer::timeout, this, [this] { BalloonGone(SysTrayNotify::NIN_BALLOONTIMEOUT); });

    // Qt chooses between a StatusNotifierItem and an XEmbed icon once per process, when the first tray icon is
    // made: at a login the program may start before the panel, so the icon waits for a host to appear.
    if (platform::TrayHost::Present() != platform::TrayHost::Kind::None || !platform::TrayHost::CanAppearLater()) {
        CreateTrayIcon();
        return;
    }
    m_host = new platform::TrayHost(this);
    connect(m_host, &platform::TrayHost::Appeared, this, &fSysTray::CreateTrayIcon);
    m_host->Watch();
}

fSysTray::~fSysTray()
{
    if (m_tray != nullptr)
        m_tray->hide();
}

void fSysTray::CreateTrayIcon()
{
    if (m_tray != nullptr)
        return;
    m_tray = new QSystemTrayIcon(m_icon, this);
    m_tray->setToolTip(m_toolTip);
    // How the icon's clicks reach the program:
    //  - XEmbed: the icon is our own window; a right press gives Context, and the owner opens the command
    //    menu at the cursor. No menu is attached there, or Qt would open a second one.
    //  - StatusNotifierItem: the host draws the menu itself from the one attached here (exported over
    //    DBusMenu), so every host shows the command menu; its choices come back as the actions' triggers. A
    //    host's Activate is Trigger and its ContextMenu is Context, as on XEmbed. Both are D-Bus calls the
    //    owner must answer at once, so it handles them after returning to the event loop.
    connect(m_tray, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        for (int value : SysTrayNotify::FromActivation(reason))
            Notify(value);
    });
    connect(m_tray, &QSystemTrayIcon::messageClicked, this,
            [this] { BalloonGone(SysTrayNotify::NIN_BALLOONUSERCLICK); });
    m_tray->show();
    m_statusNotifier = platform::TrayHost::StatusNotifierHostPresent() || platform::TrayHost::ThisProcessExportsItem();
    if (m_statusNotifier && m_hostMenu)
        m_tray->setContextMenu(m_hostMenu);
    emit IconAdded();
}

void fSysTray::SetHostMenu(QMenu *menu)
{
    m_hostMenu = menu;
    if (m_tray != nullptr && m_statusNotifier)
        m_tray->setContextMenu(menu);
}

void fSysTray::setToolTip(const QString &text)
{
    m_toolTip = text.left(kToolTipMax);
    if (m_tray != nullptr)
        m_tray->setToolTip(m_toolTip);
}

void fSysTray::setIconHandle(const QIcon &icon)
{
    if (icon.cacheKey() == m_icon.cacheKey())
        return;
    m_icon = icon;
    if (m_tray != nullptr)
        m_tray->setIcon(m_icon);
}

void fSysTray::ShowBalloonTip(const QString &sMessage, const QString &sTitle, int eIcon, int lTimeOutMs)
{
    if (m_tray == nullptr || !QSystemTrayIcon::supportsMessages())
        return;
    if (m_balloonTimer->isActive()) {
        m_balloonTimer->stop();
        Notify(SysTrayNotify::NIN_BALLOONHIDE);
    }
    QSystemTrayIcon::MessageIcon icon = QSystemTrayIcon::NoIcon;
    switch (eIcon) {
    case 1: icon = QSystemTrayIcon::Information; break;
    case 2: icon = QSystemTrayIcon::Warning; break;
    case 3: icon = QSystemTrayIcon::Critical; break;
    default: break;
    }
    const int timeout = lTimeOutMs > 0 ? lTimeOutMs : 10000;
    m_tray->showMessage(sTitle.left(kBalloonTitleMax), sMessage.left(kBalloonTextMax), icon, timeout);
    Notify(SysTrayNotify::NIN_BALLOONSHOW);
    m_balloonTimer->start(timeout);
}

void fSysTray::BalloonGone(int value)
{
    m_balloonTimer->stop();
    Notify(value);
}

void fSysTray::ShowMenu()
{
    // Menus opened next take the keyboard focus from wherever it is.
    if (isVisible())
        activateWindow();
}

int fSysTray::AddMenuItem(const QString &sCaption, const QString &sKey, bool bDefault, bool bChecked)
{
    return m_items.AddMenuItem(sCaption, sKey, bDefault, bChecked);
}

void fSysTray::EnableMenuItem(int lIndex, bool bState)
{
    m_items.EnableMenuItem(lIndex, bState);
}

void fSysTray::RemoveMenuItem(int iIndex)
{
    m_items.RemoveMenuItem(iIndex);
}

void fSysTray::FillMenu(QMenu &menu)
{
    for (int i = 0; i <= m_items.UBound(); ++i) {
        const SysTrayMenuItems::Item &item = m_items.At(i);
        if (!item.visible)
            continue;
        QAction *action = menu.addAction(item.caption);
        action->setCheckable(item.checked);
        action->setChecked(item.checked);
        action->setEnabled(item.enabled);
        if (i == m_items.DefaultMenuIndex()) {
            QFont bold = action->font();
            bold.setBold(true);
            action->setFont(bold);
        }
        connect(action, &QAction::triggered, this, [this, i] { MenuItemChosen(i); });
    }
}

void fSysTray::MenuItemChosen(int lIndex)
{
    if (!m_items.Contains(lIndex))
        return;
    bool checked = m_items.At(lIndex).checked;
    const QString key = m_items.At(lIndex).key;
    emit MenuClick(lIndex, key, checked);
    m_items.setChecked(lIndex, checked); // the receiver may have removed entries meanwhile
}

void fSysTray::Notify(int value)
{
    if (!isEnabled())
        return;
    using SysTrayNotify::Event;
    const SysTrayNotify::Decoded d = SysTrayNotify::Decode(value);
    switch (d.event) {
    case Event::MouseMove: emit SysTrayMouseMove(); break;
    case Event::MouseDown: emit SysTrayMouseDown(d.button); break;
    case Event::MouseUp: emit SysTrayMouseUp(d.button); break;
    case Event::DoubleClick: emit SysTrayDoubleClick(d.button); break;
    case Event::BalloonShow: emit BalloonShow(); break;
    case Event::BalloonHide: emit BalloonHide(); break;
    case Event::BalloonTimeOut: emit BalloonTimeOut(); break;
    case Event::BalloonClicked: emit BalloonClicked(); break;
    case Event::None: break;
    }
}
