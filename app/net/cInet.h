#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

#include <memory>

class QNetworkAccessManager;
class QNetworkProxy;

/// The transfer component: fetches a whole http or https resource with GET, synchronously for
/// the caller while the program keeps painting (user input waits). Direct, through the system's
/// proxy configuration, or through a named HTTP proxy with user name and password.
class cInet : public QObject {
    Q_OBJECT
public:
    /// Access types of the component.
    enum AccessTypeConstants {
        icUseDefault = 0, ///< the system's proxy configuration (http_proxy, no_proxy, ...)
        icDirect = 1,     ///< no proxy at all
        icNamedProxy = 2  ///< the proxy named by Proxy()
    };
    static constexpr int kDefaultRequestTimeoutMs = 30000;
    static constexpr qint64 kDefaultMaxResponseSize = 16 * 1024 * 1024;
    static constexpr int kMaxRedirects = 5;

    /// A component with the system's proxy configuration.
    explicit cInet(QObject *parent = nullptr);
    ~cInet() override;

    /// icUseDefault, icDirect or icNamedProxy.
    int AccessType() const { return m_accessType; }
    /// Sets the access type.
    void setAccessType(int value) { m_accessType = value; }
    /// Named proxy as "HTTP=server:port".
    QString Proxy() const { return m_proxy; }
    /// Sets the named proxy.
    void setProxy(const QString &value) { m_proxy = value; }
    /// User name for the named proxy.
    QString UserName() const { return m_userName; }
    /// Sets the user name.
    void setUserName(const QString &value) { m_userName = value; }
    /// Password for the named proxy.
    QString Password() const { return m_password; }
    /// Sets the password.
    void setPassword(const QString &value) { m_password = value; }
    /// Longest time a whole fetch may take, in milliseconds.
    int RequestTimeout() const { return m_timeoutMs; }
    /// Sets the time-out (tests use short ones).
    void setRequestTimeout(int ms) { m_timeoutMs = ms; }
    /// Largest body accepted, in bytes.
    qint64 MaxResponseSize() const { return m_maxSize; }
    /// Sets the size cap.
    void setMaxResponseSize(qint64 bytes) { m_maxSize = bytes; }
    /// True while a fetch runs anywhere in the program.
    static bool StillExecuting();

    /// Fetches URL with GET. True with the whole body in Body; false with a description of the
    /// failure (Japanese for the common cases). Refused while another fetch runs.
    bool OpenURL(const QString &URL, QByteArray &Body, QString &Description);

    /// Parses "HTTP=server:port" (or "server:port"); false when it names no usable proxy.
    static bool ParseProxy(const QString &text, QString &host, quint16 &port);

private:
    bool proxyFor(const QString &url, QNetworkProxy &proxy, QString &description) const;
    QNetworkAccessManager &managerFor(const QNetworkProxy &proxy);

    std::unique_ptr<QNetworkAccessManager> m_manager;
    QString m_managerProxy; ///< the proxy and credentials m_manager's connections were made with

    int m_accessType = icUseDefault;
    QString m_proxy;
    QString m_userName;
    QString m_password;
    int m_timeoutMs = kDefaultRequestTimeoutMs;
    qint64 m_maxSize = kDefaultMaxResponseSize;
};
