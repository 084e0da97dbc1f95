#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace testsupport {

/// How TestHttpServer answers requests for one path.
struct HttpResponse {
    enum class Mode {
        Normal,  ///< status line, headers and body, then close
        Never,   ///< read the request and never answer (until the server stops)
        Reset,   ///< read the request and reset the connection (TCP RST)
        Endless, ///< a 200 response whose body never ends
        Drip,    ///< status line and headers, then one body byte every delayMs
    };
    Mode mode = Mode::Normal;
    int status = 200;
    QByteArray body;
    QByteArray contentType = "application/octet-stream";
    QList<QPair<QByteArray, QByteArray>> headers; ///< extra headers (e.g. Location)
    int delayMs = 0;                              ///< wait before the status line
};

/// One request as the server received it.
struct RecordedRequest {
    QByteArray method;
    QByteArray target; ///< as sent: "/path?query" (or an absolute URL through a proxy)
    QByteArray path;   ///< target without the query
    QByteArray query;  ///< text after '?', without it
    QList<QPair<QByteArray, QByteArray>> headers;
    /// Value of a header (case-insensitive name), empty when absent.
    QByteArray header(const QByteArray &name) const;
};

/// A real HTTP/1.1 server on 127.0.0.1 and a free port, serving in its own threads (so it also
/// answers while the test's thread is blocked). Paths are scripted; unknown paths get 404.
/// Every connection is closed after one response.
class TestHttpServer {
public:
    /// Starts listening; check port() != 0.
    TestHttpServer();
    /// Stops: wakes every waiting connection and joins all threads.
    ~TestHttpServer();
    TestHttpServer(const TestHttpServer &) = delete;
    TestHttpServer &operator=(const TestHttpServer &) = delete;

    /// Port it listens on (0 when listening failed).
    quint16 port() const { return m_port; }
    /// "http://127.0.0.1:PORT".
    QString baseUrl() const;
    /// baseUrl() + pathAndQuery.
    QString url(const QString &pathAndQuery) const;

    /// Scripts the answer for a path (the query is not part of the match).
    void setResponse(const QString &path, const HttpResponse &response);
    /// 200 (or `status`) with this body.
    void serve(const QString &path, const QByteArray &body, int status = 200,
               const QByteArray &contentType = "application/octet-stream");
    /// Like serve(), after waiting delayMs.
    void serveSlowly(const QString &path, const QByteArray &body, int delayMs);
    /// Accepts the request and never answers.
    void neverAnswer(const QString &path);
    /// Resets the connection after reading the request.
    void resetConnection(const QString &path);
    /// A 200 response with a body that never ends.
    void endlessBody(const QString &path);
    /// A redirect (302 unless told) to `location` (absolute or relative).
    void redirect(const QString &path, const QString &location, int status = 302);

    /// Every request received so far, oldest first.
    std::vector<RecordedRequest> requests() const;
    /// Number of requests for a path.
    int requestCount(const QString &path) const;
    /// Connections being answered in Drip mode right now.
    int dripping() const { return m_dripping; }

private:
    void acceptLoop();
    void handle(int fd);
    bool waitReadable(int fd, int timeoutMs) const;
    bool sleepInterruptible(int ms) const;

    int m_listenFd = -1;
    int m_wakePipe[2] = {-1, -1};
    quint16 m_port = 0;
    std::atomic<bool> m_stopping{false};
    std::atomic<int> m_dripping{0};
    std::thread m_acceptThread;
    mutable std::mutex m_mutex;
    std::vector<std::thread> m_workers;
    std::map<QByteArray, HttpResponse> m_routes;
    std::vector<RecordedRequest> m_requests;
};

} // namespace testsupport
