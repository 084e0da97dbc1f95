#include "LiveSource.h"

#include "JmaData.h"
#include "JstTime.h"

#include <QUrl>
#include <QtGlobal>

#include <httplib.h>

#include <atomic>
#include <string>

namespace forecastd {

namespace {

/// While a new issue may still be on its way, look again this often.
constexpr int kRecheckSecs = 5 * 60;
constexpr int kRecheckWindowSecs = 60 * 60;

struct Fetch {
    int status = 0; ///< HTTP status, 0 when no answer came
    QByteArray body;
    QString etag;
    QString lastModified;
    QString error; ///< why there is no usable answer
};

} // namespace

/// One cached upstream file.
struct LiveSource::Entry {
    std::mutex mutex;
    std::shared_ptr<const void> value; ///< parsed data of the last good answer
    QDateTime reportTime;              ///< its report time (forecasts), for the re-check rule
    QString etag;
    QString lastModified;
    QDateTime freshUntil;
    QDateTime confirmed; ///< when upstream last answered 200 with good data, or 304
    QDateTime nextAttempt;
    int failures = 0;
    QString lastError;
};

std::unique_ptr<LiveSource> LiveSource::Create(Options options, QString &error)
{
    const QUrl url(options.upstream);
    if (!url.isValid() || (url.scheme() != QLatin1String("http") && url.scheme() != QLatin1String("https")) ||
        url.host().isEmpty()) {
        error = QStringLiteral("upstream must be an http or https URL: %1").arg(options.upstream);
        return nullptr;
    }
    std::unique_ptr<LiveSource> source(new LiveSource());
    source->m_options = std::move(options);
    const int port = url.port(url.scheme() == QLatin1String("https") ? 443 : 80);
    QString host = url.host();
    if (host.contains(u':'))
        host = u'[' + host + u']';
    source->m_origin = QStringLiteral("%1://%2:%3").arg(url.scheme(), host).arg(port);
    source->m_prefix = url.path(QUrl::FullyEncoded);
    while (source->m_prefix.endsWith(u'/'))
        source->m_prefix.chop(1);
    source->m_requests = std::make_shared<std::atomic<int>>(0);
    return source;
}

LiveSource::~LiveSource() = default;

int LiveSource::RequestCount() const
{
    return m_requests->load();
}

QDateTime LiveSource::now() const
{
    return m_options.clock ? m_options.clock() : QDateTime::currentDateTimeUtc();
}

std::shared_ptr<LiveSource::Entry> LiveSource::entry(const QString &path)
{
    std::lock_guard lock(m_mutex);
    auto &e = m_entries[path];
    if (!e)
        e = std::make_shared<Entry>();
    return e;
}

namespace {

Fetch get(const QString &origin, const QString &path, const QString &etag, const QString &lastModified,
          const LiveSource::Options &options)
{
    Fetch out;
    httplib::Client client(origin.toStdString());
    client.set_connection_timeout(options.timeoutSecs, 0);
    client.set_read_timeout(options.timeoutSecs, 0);
    client.set_write_timeout(options.timeoutSecs, 0);
    client.set_follow_location(false);
    httplib::Headers headers{{"User-Agent", "skycaster-forecastd/1.0"}};
    if (!etag.isEmpty())
        headers.emplace("If-None-Match", etag.toStdString());
    if (!lastModified.isEmpty())
        headers.emplace("If-Modified-Since", lastModified.toStdString());
    std::string body;
    bool tooLarge = false;
    auto result = client.Get(path.toStdString(), headers, [&](const char *data, size_t length) {
        if (qint64(body.size() + length) > options.maxBodyBytes) {
            tooLarge = true;
            return false;
        }
        body.append(data, length);
        return true;
    });
    if (tooLarge) {
        out.error = QStringLiteral("answer larger than %1 bytes").arg(options.maxBodyBytes);
        return out;
    }
    if (!result) {
        out.error = QString::fromStdString(httplib::to_string(result.error()));
        return out;
    }
    out.status = result->status;
    out.body = QByteArray::fromStdString(body);
    out.etag = QString::fromStdString(result->get_header_value("ETag"));
    out.lastModified = QString::fromStdString(result->get_header_value("Last-Modified"));
    if (out.status != 200 && out.status != 304)
        out.error = QStringLiteral("HTTP %1").arg(out.status);
    return out;
}

/// Until when a good answer is used without asking again: JMA's next issue time (or a few minutes
/// when the issue that is due has not arrived yet), or a fixed time for files issued at any time.
QDateTime freshUntil(const QDateTime &reportTime, const QDateTime &now, int refreshSecs)
{
    if (refreshSecs > 0)
        return now.addSecs(refreshSecs);
    const QDateTime lastIssue = JstTime::lastIssueTime(now);
    if (reportTime.isValid() && reportTime < lastIssue && lastIssue.secsTo(now) < kRecheckWindowSecs)
        return now.addSecs(kRecheckSecs);
    return JstTime::nextIssueTime(now);
}

/// Fetches (when due) and parses one upstream file. Returns the value to serve, possibly stale.
/// `refreshSecs` 0 keeps a good answer until JMA's next issue time.
template <typename T, typename ParseFn, typename TimeFn>
std::shared_ptr<const T> cached(LiveSource::Entry &e, const QString &origin, const QString &path,
                                const LiveSource::Options &options, const QDateTime &now, std::atomic<int> &requests,
                                ParseFn parse, TimeFn reportTimeOf, QString &error, int refreshSecs = 0)
{
    std::lock_guard lock(e.mutex);
    auto current = std::static_pointer_cast<const T>(e.value);
    if (current && e.freshUntil.isValid() && now < e.freshUntil)
        return current;
    if (e.nextAttempt.isValid() && now < e.nextAttempt) {
        error = e.lastError;
        return current;
    }

    ++requests;
    const Fetch f = get(origin, path, current ? e.etag : QString(), current ? e.lastModified : QString(), options);
    QString problem = f.error;
    if (problem.isEmpty() && f.status == 304 && !current)
        problem = QStringLiteral("HTTP 304 without a cached copy");
    if (problem.isEmpty() && f.status == 200) {
        QString parseError;
        auto parsed = parse(f.body, parseError);
        if (parsed) {
            current = parsed;
            e.value = parsed;
            e.reportTime = reportTimeOf(*parsed);
            e.etag = f.etag;
            e.lastModified = f.lastModified;
        } else {
            problem = QStringLiteral("unreadable data: %1").arg(parseError);
        }
    }
    if (!problem.isEmpty()) {
        e.failures++;
        const qint64 wait =
            qMin<qint64>(qint64(options.minBackoffSecs) << qMin(e.failures - 1, 20), options.maxBackoffSecs);
        e.nextAttempt = now.addSecs(wait);
        e.lastError = QStringLiteral("%1%2: %3").arg(origin, path, problem);
        qWarning("upstream %s: %s (next attempt in %llds)", qPrintable(path), qPrintable(problem), wait);
        error = e.lastError;
        return current;
    }

    e.failures = 0;
    e.confirmed = now;
    e.nextAttempt = QDateTime();
    e.lastError.clear();
    e.freshUntil = freshUntil(e.reportTime, now, refreshSecs);
    return current;
}

} // namespace

AreasResult LiveSource::Areas()
{
    const QString path = m_prefix + QStringLiteral("/common/const/area.json");
    QString error;
    auto areas = cached<AreaTree>(
        *entry(path), m_origin, path, m_options, now(), *m_requests, &AreaTree::Parse,
        [](const AreaTree &) { return QDateTime(); }, error);
    if (!areas)
        return {nullptr, ServiceError{502, QStringLiteral("area data unavailable: %1").arg(error)}};
    return {areas, {}};
}

OfficeResult LiveSource::Office(const QString &fileOffice)
{
    OfficeResult out;
    const QDateTime t = now();
    out.now = t;
    const QString forecastPath = m_prefix + QStringLiteral("/forecast/data/forecast/%1.json").arg(fileOffice);
    QString error;
    out.report = cached<ForecastReport>(
        *entry(forecastPath), m_origin, forecastPath, m_options, t, *m_requests, &ForecastReport::Parse,
        [](const ForecastReport &r) { return r.reportTime; }, error);
    if (!out.report) {
        out.error = ServiceError{502, QStringLiteral("forecast data unavailable: %1").arg(error)};
        return out;
    }
    // The overview is welcome but not essential: without it the description is shorter.
    const QString overviewPath = m_prefix + QStringLiteral("/forecast/data/overview_forecast/%1.json").arg(fileOffice);
    out.overview = cached<Overview>(
        *entry(overviewPath), m_origin, overviewPath, m_options, t, *m_requests, &Overview::Parse,
        [](const Overview &o) { return o.reportTime; }, out.overviewError);
    return out;
}

WarningResult LiveSource::WarningFile(const QString &office)
{
    const QString path = m_prefix + QStringLiteral("/warning/data/r8/%1.json").arg(office);
    WarningResult out;
    const auto e = entry(path);
    out.report = cached<WarningReport>(
        *e, m_origin, path, m_options, now(), *m_requests, &WarningReport::Parse,
        [](const WarningReport &r) { return r.reportTime; }, out.error, m_options.warningRefreshSecs);
    if (out.report)
        out.error.clear();
    std::lock_guard lock(e->mutex);
    out.confirmed = e->confirmed;
    return out;
}

} // namespace forecastd
