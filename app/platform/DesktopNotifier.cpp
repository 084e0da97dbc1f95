#include "DesktopNotifier.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QImage>

namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kInterface = QStringLiteral("org.freedesktop.Notifications");
const QString kDetailsAction = QStringLiteral("details");
const QString kDefaultAction = QStringLiteral("default"); // a click on the notification itself
constexpr int kImageSize = 48;

// The "image-data" hint: width, height, row stride, alpha, bits per sample, channels, RGBA bytes.
struct NotificationImage {
    QImage image;
};

QDBusArgument &operator<<(QDBusArgument &arg, const NotificationImage &n)
{
    const QImage rgba = n.image.convertToFormat(QImage::Format_RGBA8888);
    arg.beginStructure();
    arg << rgba.width() << rgba.height() << static_cast<int>(rgba.bytesPerLine()) << true << 8 << 4
        << QByteArray(reinterpret_cast<const char *>(rgba.constBits()), rgba.sizeInBytes());
    arg.endStructure();
    return arg;
}

const QDBusArgument &operator>>(const QDBusArgument &arg, NotificationImage &)
{
    return arg; // only ever sent
}

QDBusMessage call(const QString &method)
{
    return QDBusMessage::createMethodCall(kService, kPath, kInterface, method);
}

} // namespace

Q_DECLARE_METATYPE(NotificationImage)

FreedesktopNotifier::FreedesktopNotifier(QIcon icon, QObject *parent)
    : QObject(parent)
    , m_icon(std::move(icon))
{
    qDBusRegisterMetaType<NotificationImage>();
    QDBusConnection bus = QDBusConnection::sessionBus();
    bus.connect(kService, kPath, kInterface, QStringLiteral("ActionInvoked"), this,
                SLOT(OnActionInvoked(uint, QString)));
    bus.connect(kService, kPath, kInterface, QStringLiteral("NotificationClosed"), this, SLOT(OnClosed(uint, uint)));
}

void FreedesktopNotifier::Notify(const DesktopNotification &notification)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    // Ask what the server can do first; a server that is not there answers with an error, later.
    auto *watcher = new QDBusPendingCallWatcher(bus.asyncCall(call(QStringLiteral("GetCapabilities"))), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, notification](QDBusPendingCallWatcher *w) {
        const QDBusPendingReply<QStringList> reply = *w;
        w->deleteLater();
        if (reply.isError()) {
            qWarning("desktop notification not shown: %s", qPrintable(reply.error().message()));
            return;
        }
        Send(notification, reply.value());
    });
}

void FreedesktopNotifier::Send(const DesktopNotification &notification, const QStringList &capabilities)
{
    const bool withActions = capabilities.contains(QStringLiteral("actions"));
    // A server that reads markup in the body would take a stray "<" or "&" for it.
    const QString body =
        capabilities.contains(QStringLiteral("body-markup")) ? notification.body.toHtmlEscaped() : notification.body;
    QVariantMap hints;
    hints.insert(QStringLiteral("urgency"), QVariant::fromValue<uchar>(notification.critical ? 2 : 1));
    hints.insert(QStringLiteral("desktop-entry"), QStringLiteral("skycaster"));
    const QImage image = m_icon.pixmap(kImageSize).toImage();
    if (!image.isNull())
        hints.insert(QStringLiteral("image-data"), QVariant::fromValue(NotificationImage{image}));
    const QString details = QStringLiteral("詳細");
    const QStringList actions =
        withActions ? QStringList{kDefaultAction, details, kDetailsAction, details} : QStringList{};

    QDBusMessage message = call(QStringLiteral("Notify"));
    message << QStringLiteral("Skycaster") << uint(0) << QStringLiteral("skycaster") << notification.summary << body
            << actions << hints << int(-1);
    auto *watcher = new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(message), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher *w) {
        const QDBusPendingReply<uint> reply = *w;
        w->deleteLater();
        if (reply.isError())
            qWarning("desktop notification not shown: %s", qPrintable(reply.error().message()));
        else
            m_shown.insert(reply.value());
    });
}

void FreedesktopNotifier::OnActionInvoked(uint id, const QString &action)
{
    if ((action == kDetailsAction || action == kDefaultAction) && m_shown.contains(id))
        emit DetailsRequested();
}

void FreedesktopNotifier::OnClosed(uint id, uint)
{
    m_shown.remove(id);
}
