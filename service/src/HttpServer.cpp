#include "HttpServer.h"

#include <boost/asio/dispatch.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/post.hpp>
#include <boost/asio/steady_timer.hpp>
#include <boost/asio/strand.hpp>
#include <boost/asio/thread_pool.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>

#include <ctime>
#include <map>
#include <mutex>
#include <optional>
#include <thread>

#include <sys/resource.h>
#include <sys/socket.h>

namespace forecastd {

namespace asio = boost::asio;
namespace beast = boost::beast;
namespace http = beast::http;
using tcp = asio::ip::tcp;

namespace {

std::string_view view(beast::string_view s)
{
    return {s.data(), s.size()};
}

/// The Date header, formatted once a second per thread.
const std::string &httpDate()
{
    thread_local std::time_t shown = 0;
    thread_local std::string text;
    const std::time_t now = std::time(nullptr);
    if (now != shown) {
        std::tm tm{};
        gmtime_r(&now, &tm);
        char buffer[40];
        text.assign(buffer, std::strftime(buffer, sizeof buffer, "%a, %d %b %Y %H:%M:%S GMT", &tm));
        shown = now;
    }
    return text;
}

/// Open connections in all and per client address, bounded.
class ConnectionCount {
public:
    ConnectionCount(int total, int perClient)
        : m_total(total)
        , m_perClient(perClient)
    {
    }
    bool admit(const std::string &client)
    {
        std::lock_guard lock(m_mutex);
        int &n = m_clients[client];
        if (m_open >= m_total || n >= m_perClient) {
            if (n == 0)
                m_clients.erase(client);
            return false;
        }
        ++n;
        ++m_open;
        return true;
    }
    void leave(const std::string &client)
    {
        std::lock_guard lock(m_mutex);
        --m_open;
        if (--m_clients[client] == 0)
            m_clients.erase(client);
    }

private:
    std::mutex m_mutex;
    std::map<std::string, int> m_clients;
    int m_open = 0;
    const int m_total;
    const int m_perClient;
};

/// What every connection shares.
struct Shared {
    Shared(HttpServer::Handler h, HttpServer::Logger l, const HttpServer::Limits &limits)
        : handler(std::move(h))
        , logger(std::move(l))
        , limits(limits)
        , count(limits.connections, limits.connectionsPerClient)
    {
        if (limits.handlerThreads > 0)
            handlers = std::make_unique<asio::thread_pool>(static_cast<std::size_t>(limits.handlerThreads));
    }
    HttpServer::Handler handler;
    HttpServer::Logger logger;
    HttpServer::Limits limits;
    ConnectionCount count;
    std::unique_ptr<asio::thread_pool> handlers; ///< null: handlers run on the network threads
};

class BeastRequest : public HttpRequest {
public:
    explicit BeastRequest(const http::request<http::empty_body> &request)
        : m_request(request)
    {
    }
    std::string_view Method() const override { return view(m_request.method_string()); }
    std::string_view Target() const override { return view(m_request.target()); }
    std::string_view Header(std::string_view name) const override
    {
        const auto it = m_request.find(beast::string_view(name.data(), name.size()));
        return it == m_request.end() ? std::string_view() : view(it->value());
    }

private:
    const http::request<http::empty_body> &m_request;
};

/// One client connection: read a request's headers, answer, again, until either side ends it.
class Session : public std::enable_shared_from_this<Session> {
public:
    Session(tcp::socket socket, std::shared_ptr<Shared> shared, std::string client)
        : m_stream(std::move(socket))
        , m_buffer(shared->limits.headerBytes + 4096)
        , m_shared(std::move(shared))
        , m_client(std::move(client))
    {
    }
    ~Session() { m_shared->count.leave(m_client); }

    void start()
    {
        asio::dispatch(m_stream.get_executor(), beast::bind_front_handler(&Session::read, shared_from_this()));
    }

private:
    void read()
    {
        m_parser.emplace();
        m_parser->header_limit(static_cast<std::uint32_t>(m_shared->limits.headerBytes));
        m_stream.expires_after(m_shared->limits.requestTime);
        http::async_read_header(m_stream, m_buffer, *m_parser,
                                beast::bind_front_handler(&Session::onHeader, shared_from_this()));
    }

    void onHeader(beast::error_code ec, std::size_t)
    {
        // The client left, or took too long: nothing to answer.
        if (ec == http::error::end_of_stream || ec == beast::error::timeout || ec == asio::error::eof ||
            ec == asio::error::connection_reset || ec == asio::error::operation_aborted)
            return;
        if (ec == http::error::header_limit || ec == http::error::buffer_overflow)
            return refuse(431, "request headers too large\n");
        if (ec)
            return refuse(400, "bad request\n");
        const auto &request = m_parser->get();
        if (std::distance(request.begin(), request.end()) > m_shared->limits.headerFields)
            return refuse(431, "too many request headers\n");
        if (request.method() != http::verb::get && request.method() != http::verb::head)
            return refuse(405, "only GET and HEAD\n", {{"Allow", "GET, HEAD"}});
        if (m_parser->chunked() || m_parser->content_length().value_or(0) > 0)
            return refuse(413, "requests carry no body here\n");
        m_close = !request.keep_alive();
        m_head = request.method() == http::verb::head;
        if (!m_shared->handlers) {
            write(m_shared->handler(BeastRequest(request)));
            return;
        }
        asio::post(*m_shared->handlers, [self = shared_from_this()] {
            HttpResponse response = self->m_shared->handler(BeastRequest(self->m_parser->get()));
            asio::post(self->m_stream.get_executor(),
                       [self, r = std::move(response)]() mutable { self->write(std::move(r)); });
        });
    }

    /// Answers and ends the connection: what is left of the request cannot be read as a request.
    void refuse(int status, const char *text, std::vector<std::pair<const char *, std::string>> headers = {})
    {
        m_close = true;
        m_head = false;
        write({status, "text/plain; charset=utf-8", QByteArray(text), std::move(headers)});
    }

    void write(HttpResponse r)
    {
        if (m_shared->logger) {
            const auto &request = m_parser->get();
            m_shared->logger(view(request.method_string()), view(request.target()), r.status);
        }
        m_body = std::move(r.body);
        m_response = {};
        m_response.version(11);
        m_response.result(static_cast<unsigned>(r.status));
        m_response.set(http::field::date, httpDate());
        if (r.contentType)
            m_response.set(http::field::content_type, r.contentType);
        for (const auto &[name, value] : r.headers)
            m_response.set(name, value);
        // A 304 has no body, and its length would have to be the full answer's: none is sent.
        if (r.status != 304)
            m_response.content_length(static_cast<std::uint64_t>(m_body.size()));
        if (!m_head)
            m_response.body() = {m_body.constData(), static_cast<std::size_t>(m_body.size())};
        m_response.keep_alive(!m_close);
        m_stream.expires_after(m_shared->limits.requestTime);
        http::async_write(m_stream, m_response, beast::bind_front_handler(&Session::onWrite, shared_from_this()));
    }

    void onWrite(beast::error_code ec, std::size_t)
    {
        if (ec)
            return;
        if (m_close) {
            beast::error_code ignored;
            m_stream.socket().shutdown(tcp::socket::shutdown_send, ignored);
            return;
        }
        read();
    }

    beast::tcp_stream m_stream;
    beast::flat_buffer m_buffer;
    std::shared_ptr<Shared> m_shared;
    std::string m_client;
    std::optional<http::request_parser<http::empty_body>> m_parser;
    QByteArray m_body; ///< what m_response's body points into
    http::response<http::span_body<const char>> m_response;
    bool m_close = false;
    bool m_head = false;
};

/// Room for the connections beside the files the service itself opens.
int fileLimit()
{
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0)
        return 1024;
    // Take what the system allows this process: each idle client costs one descriptor.
    if (limit.rlim_cur < limit.rlim_max) {
        limit.rlim_cur = limit.rlim_max;
        setrlimit(RLIMIT_NOFILE, &limit);
        getrlimit(RLIMIT_NOFILE, &limit);
    }
    return static_cast<int>(std::min<rlim_t>(limit.rlim_cur, 1 << 20));
}

} // namespace

struct HttpServer::Impl {
    asio::io_context io;
    tcp::acceptor acceptor{io};
    asio::steady_timer pause{io};
    std::shared_ptr<Shared> shared;
    std::vector<std::thread> threads;

    void accept()
    {
        acceptor.async_accept(asio::make_strand(io), [this](beast::error_code ec, tcp::socket socket) {
            if (!acceptor.is_open())
                return;
            if (ec) {
                // Out of descriptors, most likely: let connections end before accepting again.
                pause.expires_after(std::chrono::milliseconds(50));
                pause.async_wait([this](beast::error_code) { accept(); });
                return;
            }
            admit(std::move(socket));
            accept();
        });
    }

    void admit(tcp::socket socket)
    {
        beast::error_code ec;
        const auto remote = socket.remote_endpoint(ec);
        if (ec)
            return;
        std::string client = remote.address().to_string();
        if (!shared->count.admit(client))
            return; // closed at once: the client may try again later
        socket.set_option(tcp::no_delay(true), ec);
        std::make_shared<Session>(std::move(socket), shared, std::move(client))->start();
    }
};

HttpServer::HttpServer(Handler handler, Logger logger, Limits limits)
    : m(std::make_unique<Impl>())
{
    limits.connections = std::min(limits.connections, fileLimit() - 64);
    if (limits.networkThreads <= 0)
        limits.networkThreads = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    m->shared = std::make_shared<Shared>(std::move(handler), std::move(logger), limits);
}

HttpServer::~HttpServer()
{
    Stop();
}

bool HttpServer::Listen(const QString &address, int port, QString &error)
{
    beast::error_code ec;
    const auto ip = asio::ip::make_address(address.toStdString(), ec);
    if (!ec)
        m->acceptor.open(ip.is_v6() ? tcp::v6() : tcp::v4(), ec);
    if (!ec)
        m->acceptor.set_option(asio::socket_base::reuse_address(true), ec);
    if (!ec)
        m->acceptor.bind({ip, static_cast<unsigned short>(port)}, ec);
    if (!ec)
        m->acceptor.listen(m->shared->limits.backlog, ec);
    if (ec) {
        beast::error_code ignored;
        m->acceptor.close(ignored);
        error = QStringLiteral("cannot listen on %1:%2 (%3)")
                    .arg(address)
                    .arg(port)
                    .arg(QString::fromStdString(ec.message()));
        return false;
    }
    return true;
}

bool HttpServer::Adopt(int fd, QString &error)
{
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    beast::error_code ec;
    if (getsockname(fd, reinterpret_cast<sockaddr *>(&address), &length) != 0)
        ec = beast::error_code(errno, boost::system::system_category());
    if (!ec)
        m->acceptor.assign(address.ss_family == AF_INET6 ? tcp::v6() : tcp::v4(), fd, ec);
    if (ec) {
        error = QStringLiteral("cannot serve on the passed-in socket (%1)").arg(QString::fromStdString(ec.message()));
        return false;
    }
    return true;
}

int HttpServer::Port() const
{
    beast::error_code ec;
    const auto endpoint = m->acceptor.local_endpoint(ec);
    return ec ? 0 : endpoint.port();
}

void HttpServer::Start()
{
    m->accept();
    for (int i = 0; i < m->shared->limits.networkThreads; ++i)
        m->threads.emplace_back([this] { m->io.run(); });
}

void HttpServer::Stop()
{
    if (m->threads.empty())
        return;
    m->io.stop();
    for (std::thread &t : m->threads)
        t.join();
    m->threads.clear();
    beast::error_code ignored;
    m->acceptor.close(ignored);
    if (m->shared->handlers)
        m->shared->handlers->join();
}

} // namespace forecastd
