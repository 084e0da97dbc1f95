#pragma once

#include <QByteArray>
#include <QDate>
#include <QHash>
#include <QString>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace httplib {
class Server;
}

namespace forecastd {

class ForecastSource;
class ForecastIcons;

/// The HTTP service: forecast documents, the area list and the icons, built from a ForecastSource.
class ForecastService {
public:
    /// Where to listen and how to name itself.
    struct Options {
        QString bind = QStringLiteral("127.0.0.1"); ///< listen address (loopback by default)
        int port = 8931;                            ///< 0 picks a free port
        QString publicUrl;     ///< absolute base URL for links to itself; empty = from the request's Host
        int listenSocket = -1; ///< a socket already listening (socket activation); bind and port unused then
    };

    /// A service over `source`; nothing listens until Start().
    ForecastService(std::shared_ptr<ForecastSource> source, Options options);
    ~ForecastService();
    ForecastService(const ForecastService &) = delete;
    ForecastService &operator=(const ForecastService &) = delete;

    /// Appends one line per request ("METHOD target status") to `path` from now on; false with error set
    /// when the file cannot be opened. Call before Start().
    bool OpenAccessLog(const QString &path, QString &error);
    /// Binds (or takes over Options::listenSocket) and serves on a thread of its own; false with error set
    /// when the address cannot be bound.
    bool Start(QString &error);
    /// Time since the last request was answered (or since Start when none was).
    std::chrono::steady_clock::duration IdleTime() const;
    /// The port actually bound (after Start).
    int Port() const { return m_port; }
    /// Stops serving and joins the thread.
    void Stop();

private:
    void route();
    /// The data a document is built from: a document is reused only for the very same data.
    struct DocumentInputs {
        std::shared_ptr<const void> areas, report, overview, warnings;
        QDate date;                    ///< "today" it was built for
        bool warningsConfirmed = true; ///< JMA confirmed the warning copy recently enough
        bool operator==(const DocumentInputs &) const = default;
    };
    /// A document built before from the very same data, or empty.
    QByteArray cachedDocument(const QString &key, const DocumentInputs &inputs);
    void storeDocument(const QString &key, const DocumentInputs &inputs, const QByteArray &bytes);

    struct CachedDocument {
        DocumentInputs inputs;
        QByteArray bytes;
    };
    void logAccess(const std::string &method, const std::string &target, int status);

    std::mutex m_cacheMutex;
    QHash<QString, CachedDocument> m_documents;

    std::shared_ptr<ForecastSource> m_source;
    Options m_options;
    std::unique_ptr<ForecastIcons> m_icons;
    std::unique_ptr<httplib::Server> m_server;
    std::mutex m_logMutex;
    struct FileCloser {
        void operator()(std::FILE *file) const { std::fclose(file); }
    };
    std::unique_ptr<std::FILE, FileCloser> m_accessLog;
    std::thread m_thread;
    int m_port = 0;
    std::atomic<std::chrono::steady_clock::rep> m_lastRequest{0};
};

} // namespace forecastd
