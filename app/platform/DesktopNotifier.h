#pragma once

#include "IDesktopNotifier.h"

#include <QIcon>
#include <QObject>
#include <QSet>
#include <QString>

/// Notifications through org.freedesktop.Notifications on the session bus, with the program's icon and,
/// where the server offers actions, an action 「詳細」. Every call is asynchronous.
class FreedesktopNotifier final
    : public QObject
    , public IDesktopNotifier {
    Q_OBJECT
public:
    /// `icon` is sent as the notification's image (its 48-pixel size).
    explicit FreedesktopNotifier(QIcon icon, QObject *parent = nullptr);
    void Notify(const DesktopNotification &notification) override;

signals:
    /// The user chose 「詳細」 on one of this program's notifications, or clicked it.
    void DetailsRequested();

private slots:
    void OnActionInvoked(uint id, const QString &action);
    void OnClosed(uint id, uint reason);

private:
    void Send(const DesktopNotification &notification, const QStringList &capabilities);

    QIcon m_icon;
    QSet<uint> m_shown; ///< ids of our notifications still open
};
