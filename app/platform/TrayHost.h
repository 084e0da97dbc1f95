#pragma once

#include <QObject>

class QDBusServiceWatcher;
class QTimer;

namespace platform {

/// The notification-area hosts of the session: StatusNotifierItem hosts on the D-Bus session bus (Plasma,
/// XFCE, LXQt, swaybar, GNOME's AppIndicator) and the XEmbed tray of the X display.
class TrayHost : public QObject {
    Q_OBJECT
public:
    /// Which host a new tray icon would use.
    enum class Kind {
        None,
        StatusNotifier,
        XEmbed
    };

    explicit TrayHost(QObject *parent = nullptr);
    ~TrayHost() override;

    /// A StatusNotifierItem host is registered with the session's watcher.
    static bool StatusNotifierHostPresent();
    /// An XEmbed tray manager owns the X display's tray selection.
    static bool XEmbedHostPresent();
    /// The host there is now, the D-Bus one first.
    static Kind Present();
    /// True when a host may still appear later on this platform (X11 or Wayland, not an offscreen one).
    static bool CanAppearLater();
    /// True when the session's watcher lists a StatusNotifierItem of this process.
    static bool ThisProcessExportsItem();

    /// Starts watching; emits Appeared once, when a host is there.
    void Watch();

signals:
    /// A host is there now; the tray icon can be created.
    void Appeared(Kind kind);

private slots:
    void Check();

private:
    QDBusServiceWatcher *m_watcher = nullptr;
    QTimer *m_poll;
    bool m_xembedSeen = false;
    bool m_done = false;
};

} // namespace platform
