#include "ForecastService.h"

#include "AreaListWriter.h"
#include "ForecastBuilder.h"
#include "ForecastIcons.h"
#include "ForecastSource.h"
#include "HttpServer.h"
#include "JmaData.h"
#include "JstTime.h"
#include "Warnings.h"

#include <QCryptographicHash>
#include <QFile>
#include <QLocale>

#include <algorithm>
#include <chrono>

namespace forecastd {

namespace {

constexpr const char *kXml = "application/xml; charset=utf-8";
constexpr const char *kText = "text/plain; charset=utf-8";
/// The area list follows area.json, which changes a few times a year.
constexpr int kAreaListMaxAgeSecs = 3600;

HttpResponse fail(const ServiceError &error)
{
    return {error.status, kText, (error.text + u'\n').toUtf8(), {}};
}

/// A plain host[:port]: letters, digits, dots and dashes, or a bracketed IPv6 address.
bool plainHost(std::string_view host)
{
    const auto colon = host.rfind(':');
    std::string_view name = host;
    if (colon != std::string_view::npos && (host.front() != '[' || host[colon - 1] == ']')) {
        const std::string_view port = host.substr(colon + 1);
        if (port.empty() || port.size() > 5 || !std::all_of(port.begin(), port.end(), ::isdigit))
            return false;
        name = host.substr(0, colon);
    }
    if (name.size() > 2 && name.front() == '[' && name.back() == ']')
        return std::all_of(name.begin() + 1, name.end() - 1,
                           [](char c) { return isxdigit(c) || c == ':' || c == '.'; });
    return !name.empty() &&
           std::all_of(name.begin(), name.end(), [](char c) { return isalnum(c) || c == '.' || c == '-'; });
}

/// The service's own absolute base URL for this request.
QString baseUrl(const HttpRequest &req, const ForecastService::Options &options, int port)
{
    if (!options.publicUrl.isEmpty())
        return options.publicUrl;
    // Only a plain host[:port] is echoed back into documents; anything else falls back on the bound address.
    const std::string_view host = req.Header("Host");
    if (!host.empty() && host.size() < 256 && plainHost(host))
        return QStringLiteral("http://") + QString::fromLatin1(host.data(), qsizetype(host.size()));
    QString bind = options.bind;
    if (bind == QLatin1String("0.0.0.0") || bind.isEmpty())
        bind = QStringLiteral("127.0.0.1");
    if (bind.contains(u':'))
        bind = u'[' + bind + u']';
    return QStringLiteral("http://%1:%2").arg(bind).arg(port);
}

QString httpDate(const QDateTime &time)
{
    return QLocale::c().toString(time.toUTC(), QStringLiteral("ddd, dd MMM yyyy HH:mm:ss 'GMT'"));
}

/// Bytes and validators of a new document; last modified when the newest of its data was.
auto served(QByteArray bytes, QDateTime modified)
{
    modified = modified.toUTC();
    modified.setTime(QTime(modified.time().hour(), modified.time().minute(), modified.time().second()));
    const QByteArray hash = QCryptographicHash::hash(bytes, QCryptographicHash::Sha1).toHex().left(24);
    return std::make_tuple(std::move(bytes), '"' + hash.toStdString() + '"', httpDate(modified).toStdString(),
                           modified);
}

/// If-None-Match holds this tag (weak comparison, as for GET), or "*".
bool tagListed(std::string_view list, std::string_view etag)
{
    while (!list.empty()) {
        const auto comma = list.find(',');
        std::string_view tag = list.substr(0, comma);
        list = comma == std::string_view::npos ? std::string_view() : list.substr(comma + 1);
        while (!tag.empty() && (tag.front() == ' ' || tag.front() == '\t'))
            tag.remove_prefix(1);
        while (!tag.empty() && (tag.back() == ' ' || tag.back() == '\t'))
            tag.remove_suffix(1);
        if (tag.substr(0, 2) == "W/")
            tag.remove_prefix(2);
        if (tag == "*" || tag == etag)
            return true;
    }
    return false;
}

/// The query's first value for `name`, percent-decoded; nullopt when the query has no such item. Read in
/// place: it runs for every document request.
std::optional<QString> queryValue(std::string_view query, std::string_view name)
{
    while (!query.empty()) {
        const auto amp = query.find('&');
        const std::string_view item = query.substr(0, amp);
        query = amp == std::string_view::npos ? std::string_view() : query.substr(amp + 1);
        const auto eq = item.find('=');
        if (item.substr(0, eq) != name)
            continue;
        if (eq == std::string_view::npos)
            return QString();
        const std::string_view value = item.substr(eq + 1);
        return QString::fromUtf8(
            QByteArray::fromPercentEncoding(QByteArray::fromRawData(value.data(), qsizetype(value.size()))));
    }
    return std::nullopt;
}

/// The text with control characters (and backslashes) as \xNN, so a line in the log stays one line.
std::string escaped(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7f || c == '\\') {
            char hex[5];
            std::snprintf(hex, sizeof hex, "\\x%02x", byte);
            out += hex;
        } else {
            out += c;
        }
    }
    return out;
}

} // namespace

ForecastService::ForecastService(std::shared_ptr<ForecastSource> source, Options options)
    : m_source(std::move(source))
    , m_options(std::move(options))
    , m_icons(std::make_unique<ForecastIcons>())
{
    while (m_options.publicUrl.endsWith(u'/'))
        m_options.publicUrl.chop(1);
    HttpServer::Limits limits;
    // Answers that may wait on the network are taken off the network threads.
    if (m_source->MayWait())
        limits.handlerThreads = 32;
    m_server = std::make_unique<HttpServer>([this](const HttpRequest &request) { return answer(request); },
                                            [this](std::string_view method, std::string_view target, int status) {
                                                m_lastRequest =
                                                    std::chrono::steady_clock::now().time_since_epoch().count();
                                                if (m_accessLog)
                                                    logAccess(method, target, status);
                                            },
                                            limits);
}

ForecastService::~ForecastService()
{
    Stop();
}

void ForecastService::logAccess(std::string_view method, std::string_view target, int status)
{
    // One line per request, written whole so a reader never sees half a line.
    // A request refused before its line was read has neither method nor target.
    const std::string line = (method.empty() ? "-" : escaped(method)) + ' ' + (target.empty() ? "-" : escaped(target)) +
                             ' ' + std::to_string(status) + '\n';
    std::lock_guard lock(m_logMutex);
    std::fwrite(line.data(), 1, line.size(), m_accessLog.get());
    std::fflush(m_accessLog.get());
}

HttpResponse ForecastService::answer(const HttpRequest &request)
{
    const std::string_view target = request.Target();
    const auto mark = target.find('?');
    const std::string_view path = target.substr(0, mark);
    const std::string_view query = mark == std::string_view::npos ? std::string_view() : target.substr(mark + 1);
    if (path == "/forecast/webservice/rest/v1")
        return forecast(request, query);
    if (path == "/forecast/rss/forecastmap.xml")
        return areaList(request);
    constexpr std::string_view icons = "/forecast/img/";
    if (path.size() == icons.size() + 7 && path.substr(0, icons.size()) == icons &&
        path.substr(path.size() - 4) == ".png") {
        const std::string_view name = path.substr(icons.size(), 3);
        const QByteArray png = std::all_of(name.begin(), name.end(), ::isdigit)
                                   ? m_icons->Png(QString::fromLatin1(name.data(), 3))
                                   : QByteArray();
        if (png.isEmpty())
            return fail({404, QStringLiteral("no such icon")});
        return {200, "image/png", png, {{"Cache-Control", "max-age=86400"}}};
    }
    if (path == "/")
        return {200,
                kText,
                QByteArray("skycaster-forecastd: /forecast/webservice/rest/v1?city=130010&day=today, "
                           "/forecast/rss/forecastmap.xml\n出典：気象庁ホームページ\n"),
                {}};
    return fail({404, QStringLiteral("not found")});
}

HttpResponse ForecastService::forecast(const HttpRequest &request, std::string_view query)
{
    const auto city = queryValue(query, "city");
    const auto day = queryValue(query, "day");
    if (!city || !day)
        return fail({400, QStringLiteral("city and day are required")});
    if (!ForecastBuilder::DayIndex(*day))
        return fail({400, QStringLiteral("day must be today, tomorrow or dayaftertomorrow")});
    const AreasResult areas = m_source->Areas();
    if (!areas.areas)
        return fail(areas.error);
    const auto ref = ForecastBuilder::ResolveCity(*areas.areas, *city);
    if (const auto *error = std::get_if<ServiceError>(&ref))
        return fail(*error);
    const CityRef &cityRef = std::get<CityRef>(ref);
    const OfficeResult office = m_source->Office(cityRef.fileOffice);
    if (!office.report)
        return fail(office.error);
    // Warnings are welcome but not essential: without them the document says so.
    WarningResult warnings;
    if (ForecastBuilder::CarriesWarnings(*day))
        warnings = m_source->WarningFile(cityRef.office);
    const QString base = baseUrl(request, m_options, m_port);
    const QString key = cityRef.class10 + u'|' + *day + u'|' + base;
    // Japan keeps one offset all year; a fixed one spares a time zone look-up per request.
    const QDate today = office.now.toOffsetFromUtc(9 * 3600).date();
    const DocumentInputs inputs{areas.areas,     office.report,
                                office.overview, warnings.report,
                                today,           WarningFreshness::Confirmed(warnings.confirmed, office.now)};
    std::optional<Served> cached = cachedDocument(key, inputs);
    if (!cached) {
        const auto doc = ForecastBuilder::Build(*areas.areas, cityRef, office, warnings, *day, base);
        if (const auto *error = std::get_if<ServiceError>(&doc))
            return fail(*error);
        // Changed when its newest data came, or when "today" moved on.
        QDateTime modified = JstTime::toJst(office.now);
        modified.setTime(QTime(0, 0));
        for (const QDateTime &t :
             {office.report->reportTime, office.overview ? office.overview->reportTime : QDateTime(),
              warnings.report ? warnings.report->reportTime : QDateTime()}) {
            if (t.isValid() && t > modified)
                modified = t;
        }
        auto [bytes, etag, lastModified, time] = served(std::get<ForecastDocument>(doc).Write(), modified);
        cached = storeDocument(key, inputs, {std::move(bytes), std::move(etag), std::move(lastModified), time});
    }
    return document(request, *cached, m_options.documentMaxAgeSecs);
}

HttpResponse ForecastService::areaList(const HttpRequest &request)
{
    const AreasResult areas = m_source->Areas();
    if (!areas.areas)
        return fail(areas.error);
    const QString base = baseUrl(request, m_options, m_port);
    const QString key = QStringLiteral("areas|") + base;
    const DocumentInputs inputs{areas.areas, {}, {}, {}, {}, true};
    std::optional<Served> cached = cachedDocument(key, inputs);
    if (!cached) {
        // area.json carries no time of its own: the list is as new as the service's copy of it.
        auto [bytes, etag, lastModified, time] =
            served(AreaListWriter::Write(*areas.areas, base), QDateTime::currentDateTimeUtc());
        cached = storeDocument(key, inputs, {std::move(bytes), std::move(etag), std::move(lastModified), time});
    }
    return document(request, *cached, kAreaListMaxAgeSecs);
}

HttpResponse ForecastService::document(const HttpRequest &request, const Served &served, int maxAgeSecs) const
{
    HttpResponse r{200,
                   kXml,
                   served.bytes,
                   {{"ETag", served.etag},
                    {"Last-Modified", served.lastModified},
                    {"Cache-Control", "public, max-age=" + std::to_string(maxAgeSecs)}}};
    // If-None-Match decides when it is there; If-Modified-Since only without it.
    const std::string_view tags = request.Header("If-None-Match");
    bool same = false;
    if (!tags.empty()) {
        same = tagListed(tags, served.etag);
    } else if (const std::string_view since = request.Header("If-Modified-Since"); !since.empty()) {
        const QDateTime time = QLocale::c().toDateTime(QString::fromLatin1(since.data(), qsizetype(since.size())),
                                                       QStringLiteral("ddd, dd MMM yyyy HH:mm:ss 'GMT'"));
        same = time.isValid() && served.modified <= QDateTime(time.date(), time.time(), Qt::UTC);
    }
    if (same) {
        r.status = 304;
        r.body.clear();
        r.contentType = nullptr;
    }
    return r;
}

std::optional<ForecastService::Served> ForecastService::cachedDocument(const QString &key, const DocumentInputs &inputs)
{
    std::lock_guard lock(m_cacheMutex);
    const auto it = m_documents.constFind(key);
    if (it == m_documents.constEnd() || !(it->inputs == inputs))
        return std::nullopt;
    return it->served;
}

ForecastService::Served ForecastService::storeDocument(const QString &key, const DocumentInputs &inputs, Served served)
{
    // Keys include the Host a client used: bound the table so odd Host headers cannot grow it for ever.
    constexpr qsizetype kMaxDocuments = 2048;
    std::lock_guard lock(m_cacheMutex);
    if (const auto it = m_documents.constFind(key); it != m_documents.constEnd()) {
        const Served &before = it->served;
        // A document may change with no newer data (warnings gone stale, an older report): its date must
        // still move on, or a client asking If-Modified-Since keeps the old warnings.
        if (before.etag == served.etag) {
            served.modified = before.modified;
            served.lastModified = before.lastModified;
        } else if (served.modified <= before.modified) {
            served.modified = std::max(QDateTime::currentDateTimeUtc(), before.modified.addSecs(1));
            served.modified.setTime(
                QTime(served.modified.time().hour(), served.modified.time().minute(), served.modified.time().second()));
            served.lastModified = httpDate(served.modified).toStdString();
        }
    }
    if (m_documents.size() >= kMaxDocuments)
        m_documents.clear();
    m_documents.insert(key, {inputs, served});
    return served;
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
    const bool listening = m_options.listenSocket >= 0 ? m_server->Adopt(m_options.listenSocket, error)
                                                       : m_server->Listen(m_options.bind, m_options.port, error);
    if (!listening)
        return false;
    m_port = m_server->Port();
    m_lastRequest = std::chrono::steady_clock::now().time_since_epoch().count();
    m_server->Start();
    return true;
}

std::chrono::steady_clock::duration ForecastService::IdleTime() const
{
    const std::chrono::steady_clock::duration last(m_lastRequest.load());
    return std::chrono::steady_clock::now().time_since_epoch() - last;
}

void ForecastService::Stop()
{
    m_server->Stop();
}

} // namespace forecastd
