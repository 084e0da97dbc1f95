#pragma once

#include <QObject>

class QDBusServiceWatcher;
class QTimer;

namespace platform {

/// The notification-area host of the session, as the tray icon asks for it.
class ITrayHost : public QObject {
    Q_OBJECT
public:
    /// Which host a new tray icon would use.
    enum class Kind {
        None,
        StatusNotifier,
        XEmbed
    };

    using QObject::QObject;

    /// The host there is now, the D-Bus one first.
    virtual Kind Present() = 0;
    /// True when a host may still appear later on this platform.
    virtual bool CanAppearLater() const = 0;
    /// True when a StatusNotifierItem of this process is registered (Qt chose that kind for its icon).
    virtual bool ThisProcessExportsItem() = 0;
    /// Starts watching; emits Appeared once, when a host is there.
    virtual void Watch() = 0;

signals:
    /// A host is there now; the tray icon can be created.
    void Appeared(platform::ITrayHost::Kind kind);
};

/// The hosts of a desktop session: StatusNotifierItem hosts on the D-Bus session bus (Plasma, XFCE, LXQt,
/// swaybar, GNOME's AppIndicator), told by the watcher's signals, and the XEmbed tray of the X display,
/// which has none and is looked for less and less often.
class TrayHost final : public ITrayHost {
    Q_OBJECT
public:
    /// How often the X display is looked at first, and at the longest.
    static constexpr int kFirstPollMs = 700;
    static constexpr int kLongestPollMs = 10000;

    explicit TrayHost(QObject *parent = nullptr);
    ~TrayHost() override;

    Kind Present() override;
    bool CanAppearLater() const override;
    bool ThisProcessExportsItem() override;
    void Watch() override;

    /// A StatusNotifierItem host is registered with the session's watcher.
    static bool StatusNotifierHostPresent();
    /// An XEmbed tray manager owns the X display's tray selection.
    static bool XEmbedHostPresent();

private slots:
    void Check();

private:
    void PollXEmbed();

    QDBusServiceWatcher *m_watcher = nullptr;
    QTimer *m_poll;
    bool m_xembedSeen = false;
    bool m_done = false;
};

/// A host set by hand, for tests without a session.
class HeadlessTrayHost final : public ITrayHost {
    Q_OBJECT
public:
    explicit HeadlessTrayHost(Kind present = Kind::None, QObject *parent = nullptr);

    Kind Present() override { return m_present; }
    bool CanAppearLater() const override { return true; }
    bool ThisProcessExportsItem() override { return m_present == Kind::StatusNotifier; }
    void Watch() override { m_watching = true; }

    /// A host appears: announced when watched.
    void Appear(Kind kind);

private:
    Kind m_present;
    bool m_watching = false;
};

} // namespace platform
