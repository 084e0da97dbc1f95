#include "LiveSource.h"

#include "JmaData.h"
#include "JstTime.h"

#include <QUrl>
#include <QtGlobal>

#include <httplib.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <string>
#include <thread>

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
    std::condition_variable fetched;   ///< a fetch has ended
    bool fetching = false;             ///< a fetch is under way (one at a time per file)
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

/// The fetches under way, so the source outlives none of them.
struct LiveSource::Fetches {
    std::mutex mutex;
    std::condition_variable ended;
    int running = 0;
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
    source->m_fetches = std::make_shared<Fetches>();
    return source;
}

LiveSource::~LiveSource()
{
    // Each fetch ends by its deadline.
    std::unique_lock lock(m_fetches->mutex);
    m_fetches->ended.wait(lock, [this] { return m_fetches->running == 0; });
}

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

/// Ends a client's request at a deadline, whatever the server sends meanwhile (a byte every few
/// seconds passes every per-read time-out).
class Deadline {
public:
    Deadline(httplib::Client &client, std::chrono::steady_clock::time_point at)
        : m_thread([this, &client, at] {
            std::unique_lock lock(m_mutex);
            if (!m_done.wait_until(lock, at, [this] { return m_finished; }))
                client.stop();
        })
    {
    }
    ~Deadline()
    {
        {
            std::lock_guard lock(m_mutex);
            m_finished = true;
        }
        m_done.notify_one();
        m_thread.join();
    }
    Deadline(const Deadline &) = delete;
    Deadline &operator=(const Deadline &) = delete;

private:
    std::mutex m_mutex;
    std::condition_variable m_done;
    bool m_finished = false;
    std::thread m_thread;
};

Fetch get(const QString &origin, const QString &path, const QString &etag, const QString &lastModified,
          const LiveSource::Options &options)
{
    Fetch out;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(options.timeoutSecs);
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
    httplib::Result result = [&] {
        const Deadline stop(client, deadline);
        return client.Get(path.toStdString(), headers, [&](const char *data, size_t length) {
            if (qint64(body.size() + length) > options.maxBodyBytes) {
                tooLarge = true;
                return false;
            }
            body.append(data, length);
            return std::chrono::steady_clock::now() < deadline;
        });
    }();
    if (tooLarge) {
        out.error = QStringLiteral("answer larger than %1 bytes").arg(options.maxBodyBytes);
        return out;
    }
    if (!result) {
        out.error = std::chrono::steady_clock::now() >= deadline
                        ? QStringLiteral("no whole answer within %1 s").arg(options.timeoutSecs)
                        : QString::fromStdString(httplib::to_string(result.error()));
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

} // namespace

/// One upstream file to keep: where it is and how to read it.
struct LiveSource::Job {
    QString path;
    std::function<std::shared_ptr<const void>(const QByteArray &, QString &error, QDateTime &reportTime)> parse;
    int refreshSecs = 0; ///< 0 keeps a good answer until JMA's next issue time
};

namespace {

/// Fetches `job` and records the outcome in `e`; runs on a thread of its own, holding no lock while
/// it waits for the upstream.
void fetchInto(LiveSource::Entry &e, const LiveSource::Job &job, const QString &origin,
               const LiveSource::Options &options, const QDateTime &now, const QString &etag,
               const QString &lastModified, bool haveCopy)
{
    const Fetch f = get(origin, job.path, etag, lastModified, options);
    QString problem = f.error;
    if (problem.isEmpty() && f.status == 304 && !haveCopy)
        problem = QStringLiteral("HTTP 304 without a cached copy");
    std::shared_ptr<const void> parsed;
    QDateTime reportTime;
    if (problem.isEmpty() && f.status == 200) {
        QString parseError;
        parsed = job.parse(f.body, parseError, reportTime);
        if (!parsed)
            problem = QStringLiteral("unreadable data: %1").arg(parseError);
    }

    std::lock_guard lock(e.mutex);
    e.fetching = false;
    if (!problem.isEmpty()) {
        e.failures++;
        const qint64 wait =
            qMin<qint64>(qint64(options.minBackoffSecs) << qMin(e.failures - 1, 20), options.maxBackoffSecs);
        e.nextAttempt = now.addSecs(wait);
        e.lastError = QStringLiteral("%1%2: %3").arg(origin, job.path, problem);
        qWarning("upstream %s: %s (next attempt in %llds)", qPrintable(job.path), qPrintable(problem), wait);
    } else {
        if (parsed) {
            e.value = std::move(parsed);
            e.reportTime = reportTime;
            e.etag = f.etag;
            e.lastModified = f.lastModified;
        }
        e.failures = 0;
        e.confirmed = now;
        e.nextAttempt = QDateTime();
        e.lastError.clear();
        e.freshUntil = freshUntil(e.reportTime, now, job.refreshSecs);
    }
    e.fetched.notify_all();
}

template <typename T>
LiveSource::Job job(QString path, std::shared_ptr<const T> (*parse)(const QByteArray &, QString &),
                    QDateTime (*reportTimeOf)(const T &), int refreshSecs = 0)
{
    return {std::move(path),
            [parse, reportTimeOf](const QByteArray &body, QString &error, QDateTime &reportTime) {
                auto parsed = parse(body, error);
                if (parsed)
                    reportTime = reportTimeOf(*parsed);
                return std::shared_ptr<const void>(std::move(parsed));
            },
            refreshSecs};
}

QDateTime noReportTime(const AreaTree &)
{
    return {};
}
template <typename T>
QDateTime reportTimeOf(const T &report)
{
    return report.reportTime;
}

} // namespace

std::shared_ptr<const void> LiveSource::cached(const Job &job, const QDateTime &now, QString &error)
{
    const std::shared_ptr<Entry> e = entry(job.path);
    std::unique_lock lock(e->mutex);
    if (e->value && e->freshUntil.isValid() && now < e->freshUntil)
        return e->value;
    if (!e->fetching) {
        if (e->nextAttempt.isValid() && now < e->nextAttempt) {
            error = e->lastError;
            return e->value;
        }
        startFetch(e, job, now);
    }
    // A late upstream costs a request with a copy at most lateMs; without one, the fetch's deadline.
    const auto wait = e->value ? std::chrono::milliseconds(m_options.lateMs)
                               : std::chrono::milliseconds(m_options.timeoutSecs * 1000 + 500);
    if (!e->fetched.wait_for(lock, wait, [&] { return !e->fetching; }) && !e->value)
        error = QStringLiteral("%1%2: no answer yet").arg(m_origin, job.path);
    else
        error = e->lastError;
    return e->value;
}

void LiveSource::startFetch(const std::shared_ptr<Entry> &e, const Job &job, const QDateTime &now)
{
    e->fetching = true;
    ++*m_requests;
    {
        std::lock_guard lock(m_fetches->mutex);
        ++m_fetches->running;
    }
    // The thread keeps what it needs: the source waits for it, but nothing else does.
    std::thread([e, job, now, origin = m_origin, options = m_options, fetches = m_fetches,
                 etag = e->value ? e->etag : QString(), lastModified = e->value ? e->lastModified : QString(),
                 haveCopy = bool(e->value)] {
        fetchInto(*e, job, origin, options, now, etag, lastModified, haveCopy);
        std::lock_guard lock(fetches->mutex);
        --fetches->running;
        fetches->ended.notify_all();
    }).detach();
}

AreasResult LiveSource::Areas()
{
    QString error;
    auto areas = std::static_pointer_cast<const AreaTree>(
        cached(job<AreaTree>(m_prefix + QStringLiteral("/common/const/area.json"), &AreaTree::Parse, &noReportTime),
               now(), error));
    if (!areas)
        return {nullptr, ServiceError{502, QStringLiteral("area data unavailable: %1").arg(error)}};
    return {areas, {}};
}

OfficeResult LiveSource::Office(const QString &fileOffice)
{
    OfficeResult out;
    const QDateTime t = now();
    out.now = t;
    QString error;
    out.report = std::static_pointer_cast<const ForecastReport>(
        cached(job<ForecastReport>(m_prefix + QStringLiteral("/forecast/data/forecast/%1.json").arg(fileOffice),
                                   &ForecastReport::Parse, &reportTimeOf<ForecastReport>),
               t, error));
    if (!out.report) {
        out.error = ServiceError{502, QStringLiteral("forecast data unavailable: %1").arg(error)};
        return out;
    }
    // The overview is welcome but not essential: without it the description is shorter.
    out.overview = std::static_pointer_cast<const Overview>(
        cached(job<Overview>(m_prefix + QStringLiteral("/forecast/data/overview_forecast/%1.json").arg(fileOffice),
                             &Overview::Parse, &reportTimeOf<Overview>),
               t, out.overviewError));
    return out;
}

WarningResult LiveSource::WarningFile(const QString &office)
{
    WarningResult out;
    const Job warnings =
        job<WarningReport>(m_prefix + QStringLiteral("/warning/data/r8/%1.json").arg(office), &WarningReport::Parse,
                           &reportTimeOf<WarningReport>, m_options.warningRefreshSecs);
    out.report = std::static_pointer_cast<const WarningReport>(cached(warnings, now(), out.error));
    if (out.report)
        out.error.clear();
    const auto e = entry(warnings.path);
    std::lock_guard lock(e->mutex);
    out.confirmed = e->confirmed;
    return out;
}

} // namespace forecastd
