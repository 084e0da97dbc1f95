#pragma once

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QHash>
#include <QString>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

namespace forecastd {

class ForecastSource;
class ForecastIcons;
class HttpRequest;
class HttpServer;
struct HttpResponse;

/// The HTTP service: forecast documents, the area list and the icons, built from a ForecastSource.
class ForecastService {
public:
    /// Where to listen and how to name itself.
    struct Options {
        QString bind = QStringLiteral("127.0.0.1"); ///< listen address (loopback by default)
        int port = 8931;                            ///< 0 picks a free port
        QString publicUrl;     ///< absolute base URL for links to itself; empty = from the request's Host
        int listenSocket = -1; ///< a socket already listening (socket activation); bind and port unused then
        /// How long a cache may keep a forecast document without asking again. Short, because warnings
        /// come at any time and a revalidation costs a 304 only.
        int documentMaxAgeSecs = 60;
    };

    /// A service over `source`; nothing listens until Start().
    ForecastService(std::shared_ptr<ForecastSource> source, Options options);
    ~ForecastService();
    ForecastService(const ForecastService &) = delete;
    ForecastService &operator=(const ForecastService &) = delete;

    /// Appends one line per request ("METHOD target status") to `path` from now on; false with error set
    /// when the file cannot be opened. Call before Start().
    bool OpenAccessLog(const QString &path, QString &error);
    /// Binds (or takes over Options::listenSocket) and serves on threads of its own; false with error set
    /// when the address cannot be bound.
    bool Start(QString &error);
    /// Time since the last request was answered (or since Start when none was).
    std::chrono::steady_clock::duration IdleTime() const;
    /// The port actually bound (after Start).
    int Port() const { return m_port; }
    /// Stops serving and joins the threads.
    void Stop();

private:
    /// A document as served: its bytes and validators, reused only for the very same data.
    struct Served {
        QByteArray bytes;
        std::string etag;         ///< strong, from the bytes
        std::string lastModified; ///< HTTP date
        QDateTime modified;       ///< the same, for If-Modified-Since
    };
    /// The data a document is built from.
    struct DocumentInputs {
        std::shared_ptr<const void> areas, report, overview, warnings;
        QDate date;                    ///< "today" it was built for
        bool warningsConfirmed = true; ///< JMA confirmed the warning copy recently enough
        bool operator==(const DocumentInputs &) const = default;
    };
    struct CachedDocument {
        DocumentInputs inputs;
        Served served;
    };

    HttpResponse answer(const HttpRequest &request);
    HttpResponse forecast(const HttpRequest &request, std::string_view query);
    HttpResponse areaList(const HttpRequest &request);
    /// `served`, or 304 when the request's validators match it.
    HttpResponse document(const HttpRequest &request, const Served &served, int maxAgeSecs) const;
    /// A document built before from the very same data, or null.
    std::optional<Served> cachedDocument(const QString &key, const DocumentInputs &inputs);
    void storeDocument(const QString &key, const DocumentInputs &inputs, const Served &served);
    void logAccess(std::string_view method, std::string_view target, int status);

    std::mutex m_cacheMutex;
    QHash<QString, CachedDocument> m_documents;

    std::shared_ptr<ForecastSource> m_source;
    Options m_options;
    std::unique_ptr<ForecastIcons> m_icons;
    std::unique_ptr<HttpServer> m_server;
    std::mutex m_logMutex;
    struct FileCloser {
        void operator()(std::FILE *file) const { std::fclose(file); }
    };
    std::unique_ptr<std::FILE, FileCloser> m_accessLog;
    int m_port = 0;
    std::atomic<std::chrono::steady_clock::rep> m_lastRequest{0};
};

} // namespace forecastd
