#include "TinyProxy.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QThread>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace testsupport {
namespace {

bool canConnect(quint16 port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(port);
    const bool ok = ::connect(fd, reinterpret_cast<sockaddr *>(&addr), sizeof addr) == 0;
    ::close(fd);
    return ok;
}

} // namespace

quint16 freeLocalPort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return 0;
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    quint16 port = 0;
    if (::bind(fd, reinterpret_cast<sockaddr *>(&addr), sizeof addr) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr *>(&addr), &len) == 0)
        port = ntohs(addr.sin_port);
    ::close(fd);
    return port;
}

TinyProxy::TinyProxy(const QString &user, const QString &password)
{
    // Another program may take the free port between our look and tinyproxy's bind: try again.
    for (int attempt = 0; attempt < 3 && !start(user, password); ++attempt) {
    }
}

TinyProxy::~TinyProxy()
{
    stop();
}

bool TinyProxy::start(const QString &user, const QString &password)
{
    stop();
    m_port = freeLocalPort();
    const QString conf = m_dir.filePath(QStringLiteral("tinyproxy.conf"));
    QByteArray text = "Port " + QByteArray::number(m_port) + "\n";
    text += "Listen 127.0.0.1\n";
    text += "Timeout 30\n";
    text += "MaxClients 20\n";
    text += "LogLevel Info\n";
    text += "LogFile \"" + m_dir.filePath(QStringLiteral("tinyproxy.log")).toUtf8() + "\"\n";
    text += "DisableViaHeader Yes\n";
    if (!user.isEmpty())
        text += "BasicAuth " + user.toUtf8() + ' ' + password.toUtf8() + "\n";
    QFile file(conf);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size()) {
        m_error = QStringLiteral("cannot write ") + conf;
        return false;
    }
    file.close();

    m_process = std::make_unique<QProcess>();
    m_process->setProcessChannelMode(QProcess::MergedChannels);
    m_process->setStandardOutputFile(m_dir.filePath(QStringLiteral("tinyproxy.out")));
    m_process->start(QStringLiteral("tinyproxy"), {QStringLiteral("-d"), QStringLiteral("-c"), conf});
    if (!m_process->waitForStarted(5000)) {
        m_error = QStringLiteral("tinyproxy did not start: ") + m_process->errorString();
        m_process.reset();
        return false;
    }
    const QDeadlineTimer deadline(5000);
    while (!deadline.hasExpired()) {
        if (m_process->state() != QProcess::Running)
            break;
        if (canConnect(m_port)) {
            m_error.clear();
            return true;
        }
        QThread::msleep(20);
    }
    QFile out(m_dir.filePath(QStringLiteral("tinyproxy.out")));
    out.open(QIODevice::ReadOnly);
    m_error = QStringLiteral("tinyproxy is not listening: ") + QString::fromUtf8(out.readAll());
    stop();
    return false;
}

bool TinyProxy::isRunning() const
{
    return m_process && m_process->state() == QProcess::Running;
}

QString TinyProxy::proxyText() const
{
    return QStringLiteral("HTTP=127.0.0.1:%1").arg(m_port);
}

QString TinyProxy::log() const
{
    QFile file(m_dir.filePath(QStringLiteral("tinyproxy.log")));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

void TinyProxy::stop()
{
    if (!m_process)
        return;
    if (m_process->state() != QProcess::NotRunning) {
        m_process->terminate();
        if (!m_process->waitForFinished(3000)) {
            m_process->kill();
            m_process->waitForFinished(3000);
        }
    }
    m_process.reset();
}

} // namespace testsupport
