#include "TrayHost.h"

#include "PlatformStartup.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusInterface>
#include <QDBusServiceWatcher>
#include <QGuiApplication>
#include <QTimer>

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <memory>

namespace platform {
namespace {

const QString kWatcherService = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString kWatcherPath = QStringLiteral("/StatusNotifierWatcher");

bool onX11()
{
    return QGuiApplication::platformName() == QLatin1String("xcb");
}

// The screen part of DISPLAY (":0.1" -> 1); the tray selection is per screen.
int x11ScreenNumber()
{
    const QByteArray display = qgetenv("DISPLAY");
    const qsizetype colon = display.lastIndexOf(':');
    const qsizetype dot = display.indexOf('.', colon < 0 ? 0 : colon);
    return dot < 0 ? 0 : display.mid(dot + 1).toInt();
}

} // namespace

TrayHost::TrayHost(QObject *parent)
    : ITrayHost(parent)
    , m_poll(new QTimer(this))
{
    m_poll->setSingleShot(true);
    m_poll->setInterval(kFirstPollMs);
    connect(m_poll, &QTimer::timeout, this, &TrayHost::PollXEmbed);
}

TrayHost::~TrayHost() = default;

bool TrayHost::StatusNotifierHostPresent()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.interface()->isServiceRegistered(kWatcherService))
        return false;
    QDBusInterface watcher(kWatcherService, kWatcherPath, kWatcherService, bus);
    return watcher.property("IsStatusNotifierHostRegistered").toBool();
}

bool TrayHost::XEmbedHostPresent()
{
    if (!onX11())
        return false;
    auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t *connection = x11 != nullptr ? x11->connection() : nullptr;
    if (connection == nullptr)
        return false;
    const QByteArray name = "_NET_SYSTEM_TRAY_S" + QByteArray::number(x11ScreenNumber());
    const std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> atom(
        xcb_intern_atom_reply(
            connection, xcb_intern_atom(connection, 1, static_cast<uint16_t>(name.size()), name.constData()), nullptr),
        &std::free);
    if (!atom || atom->atom == XCB_ATOM_NONE)
        return false;
    const std::unique_ptr<xcb_get_selection_owner_reply_t, decltype(&std::free)> owner(
        xcb_get_selection_owner_reply(connection, xcb_get_selection_owner(connection, atom->atom), nullptr),
        &std::free);
    return owner && owner->owner != XCB_WINDOW_NONE;
}

TrayHost::Kind TrayHost::Present()
{
    if (StatusNotifierHostPresent())
        return Kind::StatusNotifier;
    if (XEmbedHostPresent())
        return Kind::XEmbed;
    return Kind::None;
}

bool TrayHost::CanAppearLater() const
{
    return onX11() || IsWaylandSession();
}

bool TrayHost::ThisProcessExportsItem()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.interface()->isServiceRegistered(kWatcherService))
        return false;
    QDBusInterface watcher(kWatcherService, kWatcherPath, kWatcherService, bus);
    // Entries are "SERVICE" or "SERVICE/PATH"; Qt registers its item from a connection of its own.
    const QStringList items = watcher.property("RegisteredStatusNotifierItems").toStringList();
    const auto ourPid = static_cast<uint>(QCoreApplication::applicationPid());
    for (const QString &item : items) {
        const QString service = item.section(QLatin1Char('/'), 0, 0);
        if (!service.isEmpty() && bus.interface()->servicePid(service).value() == ourPid)
            return true;
    }
    return false;
}

void TrayHost::Watch()
{
    // The D-Bus hosts announce themselves: a watcher that starts, or a host that registers with it.
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (bus.isConnected() && m_watcher == nullptr) {
        m_watcher = new QDBusServiceWatcher(kWatcherService, bus, QDBusServiceWatcher::WatchForRegistration, this);
        connect(m_watcher, &QDBusServiceWatcher::serviceRegistered, this, &TrayHost::Check);
        bus.connect(kWatcherService, kWatcherPath, kWatcherService, QStringLiteral("StatusNotifierHostRegistered"),
                    this, SLOT(Check()));
    }
    Check();
    if (!m_done && onX11())
        m_poll->start();
}

void TrayHost::Check()
{
    if (m_done || !StatusNotifierHostPresent())
        return;
    m_done = true;
    m_poll->stop();
    emit Appeared(Kind::StatusNotifier);
}

void TrayHost::PollXEmbed()
{
    if (m_done)
        return;
    if (XEmbedHostPresent()) {
        // A panel that hosts both kinds may take the X selection a moment before it registers on D-Bus:
        // give it one more round before settling for XEmbed.
        if (m_xembedSeen) {
            m_done = true;
            emit Appeared(StatusNotifierHostPresent() ? Kind::StatusNotifier : Kind::XEmbed);
            return;
        }
        m_xembedSeen = true;
        m_poll->setInterval(kFirstPollMs);
    } else {
        // The X display tells nobody of a new tray: looked at less and less often.
        m_poll->setInterval(std::min(m_poll->interval() * 2, kLongestPollMs));
    }
    m_poll->start();
}

HeadlessTrayHost::HeadlessTrayHost(Kind present, QObject *parent)
    : ITrayHost(parent)
    , m_present(present)
{
}

void HeadlessTrayHost::Appear(Kind kind)
{
    m_present = kind;
    if (m_watching && kind != Kind::None)
        emit Appeared(kind);
}

} // namespace platform
