#include "ForecastService.h"

#include "AreaListWriter.h"
#include "ForecastBuilder.h"
#include "ForecastIcons.h"
#include "ForecastSource.h"
#include "JmaData.h"
#include "JstTime.h"
#include "Warnings.h"

#include <QFile>
#include <QRegularExpression>

#include <httplib.h>

#include <chrono>

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

namespace forecastd {

namespace {

constexpr const char *kXml = "application/xml; charset=utf-8";
constexpr const char *kText = "text/plain; charset=utf-8";

void fail(httplib::Response &res, const ServiceError &error)
{
    res.status = error.status;
    res.set_content(error.text.toStdString() + "\n", kText);
}

/// The service's own absolute base URL for this request.
QString baseUrl(const httplib::Request &req, const ForecastService::Options &options, int port)
{
    if (!options.publicUrl.isEmpty())
        return options.publicUrl;
    // Only a plain host[:port] is echoed back into documents; anything else falls back on the bound address.
    static const QRegularExpression plainHost(QStringLiteral("^(\\[[0-9A-Fa-f:.]+\\]|[A-Za-z0-9.-]+)(:[0-9]{1,5})?$"));
    const QString host = QString::fromStdString(req.get_header_value("Host"));
    if (plainHost.match(host).hasMatch())
        return QStringLiteral("http://") + host;
    QString bind = options.bind;
    if (bind == QLatin1String("0.0.0.0") || bind.isEmpty())
        bind = QStringLiteral("127.0.0.1");
    if (bind.contains(u':'))
        bind = u'[' + bind + u']';
    return QStringLiteral("http://%1:%2").arg(bind).arg(port);
}

/// httplib's server, able to serve on a socket someone else bound (systemd's socket activation).
class AdoptingServer : public httplib::Server {
public:
    void adopt(int fd)
    {
        // Answers are small: send them at once (httplib sets this only on sockets it creates).
        const int on = 1;
        setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        svr_sock_ = fd;
    }
};

/// The port a bound socket listens on, or 0.
int boundPort(int fd)
{
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    if (getsockname(fd, reinterpret_cast<sockaddr *>(&address), &length) != 0)
        return 0;
    if (address.ss_family == AF_INET)
        return ntohs(reinterpret_cast<const sockaddr_in &>(address).sin_port);
    if (address.ss_family == AF_INET6)
        return ntohs(reinterpret_cast<const sockaddr_in6 &>(address).sin6_port);
    return 0;
}

} // namespace

ForecastService::ForecastService(std::shared_ptr<ForecastSource> source, Options options)
    : m_source(std::move(source))
    , m_options(std::move(options))
    , m_icons(std::make_unique<ForecastIcons>())
    , m_server(std::make_unique<AdoptingServer>())
{
    while (m_options.publicUrl.endsWith(u'/'))
        m_options.publicUrl.chop(1);
    route();
    m_server->set_logger([this](const httplib::Request &req, const httplib::Response &res) {
        m_lastRequest = std::chrono::steady_clock::now().time_since_epoch().count();
        if (m_accessLog)
            logAccess(req.method, req.target, res.status);
    });
}

ForecastService::~ForecastService()
{
    Stop();
}

void ForecastService::logAccess(const std::string &method, const std::string &target, int status)
{
    // One line per request, written whole so a reader never sees half a line.
    std::lock_guard lock(m_logMutex);
    std::fprintf(m_accessLog.get(), "%s %s %d\n", method.c_str(), target.c_str(), status);
    std::fflush(m_accessLog.get());
}

void ForecastService::route()
{
    m_server->Get("/forecast/webservice/rest/v1", [this](const httplib::Request &req, httplib::Response &res) {
        const QString city = QString::fromStdString(req.get_param_value("city"));
        const QString day = QString::fromStdString(req.get_param_value("day"));
        if (!req.has_param("city") || !req.has_param("day"))
            return fail(res, {400, QStringLiteral("city and day are required")});
        if (!ForecastBuilder::DayIndex(day))
            return fail(res, {400, QStringLiteral("day must be today, tomorrow or dayaftertomorrow")});
        const AreasResult areas = m_source->Areas();
        if (!areas.areas)
            return fail(res, areas.error);
        const auto ref = ForecastBuilder::ResolveCity(*areas.areas, city);
        if (const auto *error = std::get_if<ServiceError>(&ref))
            return fail(res, *error);
        const CityRef &cityRef = std::get<CityRef>(ref);
        const OfficeResult office = m_source->Office(cityRef.fileOffice);
        if (!office.report)
            return fail(res, office.error);
        // Warnings are welcome but not essential: without them the document says so.
        WarningResult warnings;
        if (ForecastBuilder::CarriesWarnings(day))
            warnings = m_source->WarningFile(cityRef.office);
        const QString base = baseUrl(req, m_options, m_port);
        const QString key = cityRef.class10 + u'|' + day + u'|' + base;
        const DocumentInputs inputs{areas.areas,
                                    office.report,
                                    office.overview,
                                    warnings.report,
                                    JstTime::toJst(office.now).date(),
                                    WarningFreshness::Confirmed(warnings.confirmed, office.now)};
        QByteArray bytes = cachedDocument(key, inputs);
        if (bytes.isEmpty()) {
            const auto doc = ForecastBuilder::Build(*areas.areas, cityRef, office, warnings, day, base);
            if (const auto *error = std::get_if<ServiceError>(&doc))
                return fail(res, *error);
            bytes = std::get<ForecastDocument>(doc).Write();
            storeDocument(key, inputs, bytes);
        }
        res.set_header("Cache-Control", "no-cache");
        res.set_content(bytes.constData(), size_t(bytes.size()), kXml);
    });

    m_server->Get("/forecast/rss/forecastmap.xml", [this](const httplib::Request &req, httplib::Response &res) {
        const AreasResult areas = m_source->Areas();
        if (!areas.areas)
            return fail(res, areas.error);
        res.set_content(AreaListWriter::Write(*areas.areas, baseUrl(req, m_options, m_port)).toStdString(), kXml);
    });

    m_server->Get(R"(/forecast/img/([0-9]{3})\.png)", [this](const httplib::Request &req, httplib::Response &res) {
        const QByteArray png = m_icons->Png(QString::fromStdString(req.matches[1]));
        if (png.isEmpty())
            return fail(res, {404, QStringLiteral("no such icon")});
        res.set_header("Cache-Control", "max-age=86400");
        res.set_content(png.toStdString(), "image/png");
    });

    m_server->Get("/", [](const httplib::Request &, httplib::Response &res) {
        res.set_content("skycaster-forecastd: /forecast/webservice/rest/v1?city=130010&day=today, "
                        "/forecast/rss/forecastmap.xml\n出典：気象庁ホームページ\n",
                        kText);
    });

    m_server->set_error_handler([](const httplib::Request &, httplib::Response &res) {
        if (res.body.empty())
            res.set_content("HTTP " + std::to_string(res.status) + "\n", kText);
    });
    m_server->set_exception_handler([](const httplib::Request &, httplib::Response &res, std::exception_ptr) {
        fail(res, {500, QStringLiteral("internal error")});
    });
}

QByteArray ForecastService::cachedDocument(const QString &key, const DocumentInputs &inputs)
{
    std::lock_guard lock(m_cacheMutex);
    const auto it = m_documents.constFind(key);
    if (it == m_documents.constEnd() || !(it->inputs == inputs))
        return {};
    return it->bytes;
}

void ForecastService::storeDocument(const QString &key, const DocumentInputs &inputs, const QByteArray &bytes)
{
    // Keys include the Host a client used: bound the table so odd Host headers cannot grow it for ever.
    constexpr qsizetype kMaxDocuments = 2048;
    std::lock_guard lock(m_cacheMutex);
    if (m_documents.size() >= kMaxDocuments)
        m_documents.clear();
    m_documents.insert(key, {inputs, bytes});
}

bool ForecastService::OpenAccessLog(const QString &path, QString &error)
{
    std::FILE *file = std::fopen(QFile::encodeName(path).constData(), "a");
    if (file == nullptr) {
        error = QStringLiteral("cannot open the access log %1").arg(path);
        return false;
    }
    m_accessLog.reset(file);
    return true;
}

bool ForecastService::Start(QString &error)
{
    const std::string host = m_options.bind.toStdString();
    // Small answers on kept-alive connections: do not wait for delayed ACKs.
    m_server->set_tcp_nodelay(true);
    m_server->set_keep_alive_max_count(100);
    if (m_options.listenSocket >= 0) {
        static_cast<AdoptingServer &>(*m_server).adopt(m_options.listenSocket);
        m_port = boundPort(m_options.listenSocket);
    } else if (m_options.port == 0) {
        m_port = m_server->bind_to_any_port(host);
        if (m_port <= 0) {
            error = QStringLiteral("cannot listen on %1").arg(m_options.bind);
            return false;
        }
    } else {
        if (!m_server->bind_to_port(host, m_options.port)) {
            error = QStringLiteral("cannot listen on %1:%2").arg(m_options.bind).arg(m_options.port);
            return false;
        }
        m_port = m_options.port;
    }
    m_lastRequest = std::chrono::steady_clock::now().time_since_epoch().count();
    m_thread = std::thread([this] { m_server->listen_after_bind(); });
    // listen_after_bind() sets the running flag almost at once; wait so callers can connect.
    for (int i = 0; i < 500 && !m_server->is_running(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    return true;
}

std::chrono::steady_clock::duration ForecastService::IdleTime() const
{
    const std::chrono::steady_clock::duration last(m_lastRequest.load());
    return std::chrono::steady_clock::now().time_since_epoch() - last;
}

void ForecastService::Stop()
{
    if (m_thread.joinable()) {
        m_server->stop();
        m_thread.join();
    }
}

} // namespace forecastd
