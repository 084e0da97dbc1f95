#include "TestHttpServer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstring>

namespace testsupport {
namespace {

QByteArray reason(int status)
{
    switch (status) {
    case 200: return "OK";
    case 204: return "No Content";
    case 301: return "Moved Permanently";
    case 302: return "Found";
    case 303: return "See Other";
    case 307: return "Temporary Redirect";
    case 308: return "Permanent Redirect";
    case 400: return "Bad Request";
    case 401: return "Unauthorized";
    case 403: return "Forbidden";
    case 404: return "Not Found";
    case 500: return "Internal Server Error";
    case 503: return "Service Unavailable";
    default: return "Status";
    }
}

bool sendAll(int fd, const QByteArray &bytes)
{
    qsizetype sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = ::send(fd, bytes.constData() + sent, static_cast<size_t>(bytes.size() - sent), MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        sent += n;
    }
    return true;
}

} // namespace

QByteArray RecordedRequest::header(const QByteArray &name) const
{
    for (const auto &h : headers)
        if (h.first.compare(name, Qt::CaseInsensitive) == 0)
            return h.second;
    return {};
}

TestHttpServer::TestHttpServer()
{
    if (::pipe2(m_wakePipe, O_CLOEXEC) != 0)
        return;
    m_listenFd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (m_listenFd < 0)
        return;
    int one = 1;
    ::setsockopt(m_listenFd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    if (::bind(m_listenFd, reinterpret_cast<sockaddr *>(&addr), sizeof addr) != 0 || ::listen(m_listenFd, 64) != 0)
        return;
    socklen_t len = sizeof addr;
    ::getsockname(m_listenFd, reinterpret_cast<sockaddr *>(&addr), &len);
    m_port = ntohs(addr.sin_port);
    m_acceptThread = std::thread([this] { acceptLoop(); });
}

TestHttpServer::~TestHttpServer()
{
    m_stopping = true;
    if (m_wakePipe[1] >= 0) {
        const char c = 'x';
        [[maybe_unused]] auto n = ::write(m_wakePipe[1], &c, 1);
    }
    if (m_acceptThread.joinable())
        m_acceptThread.join();
    std::vector<std::thread> workers;
    {
        std::lock_guard lock(m_mutex);
        workers.swap(m_workers);
    }
    for (auto &t : workers)
        t.join();
    for (int fd : {m_listenFd, m_wakePipe[0], m_wakePipe[1]})
        if (fd >= 0)
            ::close(fd);
}

QString TestHttpServer::baseUrl() const
{
    return QStringLiteral("http://127.0.0.1:%1").arg(m_port);
}

QString TestHttpServer::url(const QString &pathAndQuery) const
{
    return baseUrl() + pathAndQuery;
}

void TestHttpServer::setResponse(const QString &path, const HttpResponse &response)
{
    std::lock_guard lock(m_mutex);
    m_routes[path.toUtf8()] = response;
}

void TestHttpServer::serve(const QString &path, const QByteArray &body, int status, const QByteArray &contentType)
{
    HttpResponse r;
    r.status = status;
    r.body = body;
    r.contentType = contentType;
    setResponse(path, r);
}

void TestHttpServer::serveSlowly(const QString &path, const QByteArray &body, int delayMs)
{
    HttpResponse r;
    r.body = body;
    r.delayMs = delayMs;
    setResponse(path, r);
}

void TestHttpServer::neverAnswer(const QString &path)
{
    HttpResponse r;
    r.mode = HttpResponse::Mode::Never;
    setResponse(path, r);
}

void TestHttpServer::resetConnection(const QString &path)
{
    HttpResponse r;
    r.mode = HttpResponse::Mode::Reset;
    setResponse(path, r);
}

void TestHttpServer::endlessBody(const QString &path)
{
    HttpResponse r;
    r.mode = HttpResponse::Mode::Endless;
    setResponse(path, r);
}

void TestHttpServer::redirect(const QString &path, const QString &location, int status)
{
    HttpResponse r;
    r.status = status;
    r.headers.append({"Location", location.toUtf8()});
    setResponse(path, r);
}

std::vector<RecordedRequest> TestHttpServer::requests() const
{
    std::lock_guard lock(m_mutex);
    return m_requests;
}

int TestHttpServer::requestCount(const QString &path) const
{
    std::lock_guard lock(m_mutex);
    int n = 0;
    for (const auto &r : m_requests)
        n += r.path == path.toUtf8() ? 1 : 0;
    return n;
}

bool TestHttpServer::waitReadable(int fd, int timeoutMs) const
{
    pollfd fds[2] = {{fd, POLLIN, 0}, {m_wakePipe[0], POLLIN, 0}};
    const int rc = ::poll(fds, 2, timeoutMs);
    return rc > 0 && (fds[0].revents & (POLLIN | POLLHUP | POLLERR)) && !(fds[1].revents & POLLIN);
}

bool TestHttpServer::sleepInterruptible(int ms) const
{
    pollfd fd{m_wakePipe[0], POLLIN, 0};
    return ::poll(&fd, 1, ms) == 0; // true when the full time passed
}

void TestHttpServer::acceptLoop()
{
    while (!m_stopping) {
        if (!waitReadable(m_listenFd, 200))
            continue;
        const int fd = ::accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0)
            continue;
        std::lock_guard lock(m_mutex);
        m_workers.emplace_back([this, fd] { handle(fd); });
    }
}

namespace {

QByteArray statusAndHeaders(const HttpResponse &response)
{
    QByteArray out = "HTTP/1.1 " + QByteArray::number(response.status) + ' ' + reason(response.status) + "\r\n";
    out += "Content-Type: " + response.contentType + "\r\n";
    out += "Content-Length: " + QByteArray::number(response.body.size()) + "\r\n";
    out += "Connection: close\r\n";
    for (const auto &h : response.headers)
        out += h.first + ": " + h.second + "\r\n";
    return out + "\r\n";
}

} // namespace

void TestHttpServer::handle(int fd)
{
    QByteArray head;
    char buffer[4096];
    while (!head.contains("\r\n\r\n") && head.size() < 65536) {
        if (!waitReadable(fd, 10000)) {
            ::close(fd);
            return;
        }
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0) {
            ::close(fd);
            return;
        }
        head.append(buffer, n);
    }

    RecordedRequest req;
    const QList<QByteArray> lines = head.left(head.indexOf("\r\n\r\n")).split('\n');
    const QList<QByteArray> first = lines.value(0).trimmed().split(' ');
    req.method = first.value(0);
    req.target = first.value(1);
    QByteArray pathPart = req.target;
    if (pathPart.startsWith("http://") || pathPart.startsWith("https://")) {
        const qsizetype slash = pathPart.indexOf('/', pathPart.indexOf("//") + 2);
        pathPart = slash < 0 ? QByteArray("/") : pathPart.mid(slash);
    }
    const qsizetype q = pathPart.indexOf('?');
    req.path = q < 0 ? pathPart : pathPart.left(q);
    req.query = q < 0 ? QByteArray() : pathPart.mid(q + 1);
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArray line = lines[i].trimmed();
        const qsizetype colon = line.indexOf(':');
        if (colon > 0)
            req.headers.append({line.left(colon).trimmed(), line.mid(colon + 1).trimmed()});
    }

    HttpResponse response;
    bool known = false;
    {
        std::lock_guard lock(m_mutex);
        m_requests.push_back(req);
        if (auto it = m_routes.find(req.path); it != m_routes.end()) {
            response = it->second;
            known = true;
        }
    }
    if (!known) {
        response.status = 404;
        response.body = "not found";
        response.contentType = "text/plain";
    }

    switch (response.mode) {
    case HttpResponse::Mode::Never:
        // Hold the connection open until the client gives up or the server stops.
        while (!m_stopping) {
            if (!waitReadable(fd, 200))
                continue;
            if (::recv(fd, buffer, sizeof buffer, 0) <= 0)
                break;
        }
        break;
    case HttpResponse::Mode::Reset: {
        linger l{1, 0};
        ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &l, sizeof l);
        break;
    }
    case HttpResponse::Mode::Endless: {
        sendAll(fd, "HTTP/1.1 200 OK\r\nContent-Type: application/octet-stream\r\nConnection: close\r\n\r\n");
        const QByteArray chunk(64 * 1024, 'z');
        while (!m_stopping && sendAll(fd, chunk)) {
        }
        break;
    }
    case HttpResponse::Mode::Drip: {
        ++m_dripping;
        bool open = sendAll(fd, statusAndHeaders(response));
        for (qsizetype i = 0; open && !m_stopping && i < response.body.size(); ++i) {
            // Readable here means the client closed (or sent more than we read): stop dripping.
            open = !waitReadable(fd, response.delayMs) && sendAll(fd, response.body.mid(i, 1));
        }
        --m_dripping;
        break;
    }
    case HttpResponse::Mode::Normal: {
        if (response.delayMs > 0 && !sleepInterruptible(response.delayMs))
            break;
        sendAll(fd, statusAndHeaders(response) + response.body);
        ::shutdown(fd, SHUT_WR);
        // Let the client read everything before the socket goes away.
        while (waitReadable(fd, 2000) && ::recv(fd, buffer, sizeof buffer, 0) > 0) {
        }
        break;
    }
    }
    ::close(fd);
}

} // namespace testsupport
