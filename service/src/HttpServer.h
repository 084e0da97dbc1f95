#pragma once

#include <QByteArray>
#include <QString>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace forecastd {

/// A request as handlers see it: GET or HEAD, headers read, no body.
class HttpRequest {
public:
    virtual ~HttpRequest() = default;
    virtual std::string_view Method() const = 0;
    /// Path and query as sent.
    virtual std::string_view Target() const = 0;
    /// The first header of that name (any case), empty when absent.
    virtual std::string_view Header(std::string_view name) const = 0;
};

/// What a handler answers. The server adds Content-Length, Date and the connection's fate; a HEAD
/// request gets the headers only.
struct HttpResponse {
    int status = 200;
    const char *contentType = "text/plain; charset=utf-8"; ///< null: none (a 304)
    QByteArray body;
    std::vector<std::pair<const char *, std::string>> headers;
};

/// An event-driven HTTP/1.1 server: a few network threads serve any number of connections, so slow
/// or idle clients cost a socket each, never a thread. It bounds everything it reads: the size and
/// count of header lines, the time a request may take to arrive, connections in all and per client
/// address; it refuses bodies and methods other than GET and HEAD, and answers pipelined requests in
/// order.
class HttpServer {
public:
    struct Limits {
        std::size_t headerBytes = 16 * 1024; ///< request line and headers together (431 beyond)
        int headerFields = 100;              ///< header lines (431 beyond)
        /// From a connection's start (or its last answer) to the end of the next request's headers;
        /// also the time an answer may take to be taken.
        std::chrono::milliseconds requestTime{10000};
        /// Open connections in all (fewer when the descriptor limit is lower); further ones are closed at once.
        int connections = 16384;
        int connectionsPerClient = 1024; ///< per client address (a cache in front is one client)
        int backlog = 4096;              ///< listen queue for bursts (the kernel may cap it)
        int networkThreads = 0;          ///< 0: one per core
        /// 0: handlers run on the network threads and must not wait; else a pool of this many runs them.
        int handlerThreads = 0;
    };
    using Handler = std::function<HttpResponse(const HttpRequest &)>;
    /// Told of every answer, refusals included (the target then may be empty).
    using Logger = std::function<void(std::string_view method, std::string_view target, int status)>;

    HttpServer(Handler handler, Logger logger, Limits limits);
    ~HttpServer();
    HttpServer(const HttpServer &) = delete;
    HttpServer &operator=(const HttpServer &) = delete;

    /// Binds `address`:`port` (0: any free port); false with error set when it cannot.
    bool Listen(const QString &address, int port, QString &error);
    /// Serves on a socket that already listens (socket activation); false with error set when unusable.
    bool Adopt(int fd, QString &error);
    /// The port listened on.
    int Port() const;
    /// Starts the network threads.
    void Start();
    /// Closes every connection and joins the threads.
    void Stop();

private:
    struct Impl;
    std::unique_ptr<Impl> m;
};

} // namespace forecastd
