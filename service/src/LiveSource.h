#pragma once

#include "ForecastSource.h"

#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QString>

#include <functional>
#include <memory>
#include <mutex>

namespace forecastd {

/// JMA's data fetched over HTTP(S) on threads of their own, cached until JMA's next issue time (05:00, 11:00, 17:00
/// JST), revalidated with conditional requests, with back-off after failures. While JMA cannot be reached (or sends
/// something unreadable) the last good data is served with its own publication time. Warning files (r8/{office}.json)
/// come at any time: they are revalidated every few minutes instead.
class LiveSource : public ForecastSource {
public:
    /// Settings of the upstream connection.
    struct Options {
        QString upstream = QStringLiteral("https://www.jma.go.jp/bosai"); ///< base URL, no trailing slash
        std::function<QDateTime()> clock;                                 ///< current time; the system clock when empty
        int timeoutSecs = 10;                   ///< deadline of a whole request, from connecting to the last byte
        int lateMs = 1000;                      ///< a due fetch this late: the last good copy is served meanwhile
        int minBackoffSecs = 30;                ///< wait after the first failure, doubled after each further one
        int maxBackoffSecs = 30 * 60;           ///< longest wait between attempts
        qint64 maxBodyBytes = 16 * 1024 * 1024; ///< larger answers are refused
        int warningRefreshSecs = 10 * 60;       ///< a warning file is asked for again after this long
    };

    /// A source that fetches from `options.upstream`; fails (null, error set) on an unusable URL.
    static std::unique_ptr<LiveSource> Create(Options options, QString &error);
    ~LiveSource() override;

    AreasResult Areas() override;
    OfficeResult Office(const QString &fileOffice) override;
    WarningResult WarningFile(const QString &office) override;
    bool MayWait() const override { return true; }

    /// Number of HTTP requests sent so far (for tests and the log).
    int RequestCount() const;

    struct Entry;
    struct Job;

private:
    struct Fetches;
    LiveSource() = default;
    std::shared_ptr<Entry> entry(const QString &path);
    /// The file's data to serve now (possibly stale or null, with error set), fetching it when due.
    std::shared_ptr<const void> cached(const Job &job, const QDateTime &now, QString &error);
    void startFetch(const std::shared_ptr<Entry> &e, const Job &job, const QDateTime &now);
    QDateTime now() const;

    Options m_options;
    QString m_origin; ///< scheme://host:port
    QString m_prefix; ///< path under the origin
    std::mutex m_mutex;
    QHash<QString, std::shared_ptr<Entry>> m_entries;
    std::shared_ptr<std::atomic<int>> m_requests;
    std::shared_ptr<Fetches> m_fetches;
};

} // namespace forecastd
