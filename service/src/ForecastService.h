#pragma once

#include <QString>

#include <memory>
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
        QString publicUrl; ///< absolute base URL for links to itself; empty = from the request's Host
    };

    /// A service over `source`; nothing listens until Start().
    ForecastService(std::shared_ptr<ForecastSource> source, Options options);
    ~ForecastService();
    ForecastService(const ForecastService &) = delete;
    ForecastService &operator=(const ForecastService &) = delete;

    /// Binds and serves on a thread of its own; false with error set when the address cannot be bound.
    bool Start(QString &error);
    /// The port actually bound (after Start).
    int Port() const { return m_port; }
    /// Stops serving and joins the thread.
    void Stop();

private:
    void route();

    std::shared_ptr<ForecastSource> m_source;
    Options m_options;
    std::unique_ptr<ForecastIcons> m_icons;
    std::unique_ptr<httplib::Server> m_server;
    std::thread m_thread;
    int m_port = 0;
};

} // namespace forecastd
