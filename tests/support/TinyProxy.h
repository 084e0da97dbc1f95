#pragma once

#include <QString>
#include <QTemporaryDir>

#include <memory>

class QProcess;

namespace testsupport {

/// A real tinyproxy (`tinyproxy -d -c CONF`) on 127.0.0.1 and a free port, optionally with
/// `BasicAuth user password`; stopped when the object goes. Its log shows which requests went
/// through it.
class TinyProxy {
public:
    /// Starts the proxy; with an empty user it asks for no credentials. Check isRunning().
    explicit TinyProxy(const QString &user = {}, const QString &password = {});
    /// Stops the proxy.
    ~TinyProxy();
    TinyProxy(const TinyProxy &) = delete;
    TinyProxy &operator=(const TinyProxy &) = delete;

    /// True when the proxy accepts connections.
    bool isRunning() const;
    /// Why it did not start (empty when it runs).
    QString startError() const { return m_error; }
    /// Port it listens on.
    quint16 port() const { return m_port; }
    /// The proxy text of the transfer component: "HTTP=127.0.0.1:PORT".
    QString proxyText() const;
    /// Everything the proxy logged so far.
    QString log() const;
    /// Stops the proxy now (later connections are refused).
    void stop();

private:
    bool start(const QString &user, const QString &password);

    QTemporaryDir m_dir;
    std::unique_ptr<QProcess> m_process;
    quint16 m_port = 0;
    QString m_error;
};

/// A port on 127.0.0.1 that nothing listened on a moment ago.
quint16 freeLocalPort();

} // namespace testsupport
