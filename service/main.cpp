// skycaster-forecastd: serves Skycaster's forecast documents, area list and icons, built from the
// Japan Meteorological Agency's public forecast data (出典：気象庁ホームページ).
#include "ForecastIcons.h"
#include "ForecastService.h"
#include "JstTime.h"
#include "LiveSource.h"
#include "OfflineSource.h"
#include "SocketActivation.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <pthread.h>

using namespace forecastd;

namespace {

int writeIcons(const QString &folder)
{
    if (!QDir().mkpath(folder)) {
        std::fprintf(stderr, "cannot create %s\n", qPrintable(folder));
        return 1;
    }
    const ForecastIcons icons;
    for (const QString &name : icons.Names()) {
        if (!ForecastIcons::Draw(name).save(QDir(folder).filePath(name + QStringLiteral(".png")), "PNG")) {
            std::fprintf(stderr, "cannot write %s.png\n", qPrintable(name));
            return 1;
        }
    }
    return 0;
}

/// Returns on SIGINT/SIGTERM, or once the service has been idle for `idleLimit` (zero: never).
void waitForStop(const sigset_t &stopSignals, const ForecastService &service, std::chrono::seconds idleLimit)
{
    if (idleLimit.count() == 0) {
        int signal = 0;
        sigwait(&stopSignals, &signal);
        return;
    }
    for (;;) {
        const auto left = idleLimit - service.IdleTime();
        if (left <= std::chrono::steady_clock::duration::zero()) {
            std::fprintf(stderr, "skycaster-forecastd: idle for %lld s, ending\n",
                         static_cast<long long>(idleLimit.count()));
            return;
        }
        // Sleep until the idle limit would be reached; a request meanwhile moves it on.
        const auto wait = std::chrono::duration_cast<std::chrono::nanoseconds>(left) + std::chrono::milliseconds(1);
        timespec timeout{};
        timeout.tv_sec = static_cast<time_t>(wait.count() / 1000000000);
        timeout.tv_nsec = static_cast<long>(wait.count() % 1000000000);
        if (sigtimedwait(&stopSignals, nullptr, &timeout) > 0)
            return;
    }
}

} // namespace

int main(int argc, char *argv[])
{
    // SIGINT/SIGTERM are taken by sigwait below; block them before any thread starts.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("skycaster-forecastd"));
    QCoreApplication::setApplicationVersion(QStringLiteral("1.0"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Forecast service for Skycaster: forecast documents, the area list and icons built from the Japan "
        "Meteorological Agency's public data (出典：気象庁ホームページ)."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption port(QStringLiteral("port"), QStringLiteral("TCP port (default 8931; 0 = any free)."),
                                  QStringLiteral("PORT"), QStringLiteral("8931"));
    const QCommandLineOption bind(QStringLiteral("bind"), QStringLiteral("Listen address (default 127.0.0.1)."),
                                  QStringLiteral("ADDRESS"), QStringLiteral("127.0.0.1"));
    const QCommandLineOption offline(QStringLiteral("offline"),
                                     QStringLiteral("Serve JMA-format JSON files from DIR instead of fetching "
                                                    "from JMA; the clock is pinned to each report's time."),
                                     QStringLiteral("DIR"));
    const QCommandLineOption asOf(QStringLiteral("as-of"),
                                  QStringLiteral("With --offline: use the newest reports issued at or before "
                                                 "this ISO 8601 time (e.g. 2021-07-24T11:00:00+09:00)."),
                                  QStringLiteral("TIME"));
    const QCommandLineOption upstream(QStringLiteral("upstream"),
                                      QStringLiteral("Base URL of JMA's data (default https://www.jma.go.jp/bosai)."),
                                      QStringLiteral("URL"), QStringLiteral("https://www.jma.go.jp/bosai"));
    const QCommandLineOption publicUrl(QStringLiteral("public-url"),
                                       QStringLiteral("Absolute base URL clients reach this service at (for icon "
                                                      "and city links); default: from the request's Host."),
                                       QStringLiteral("URL"));
    const QCommandLineOption icons(QStringLiteral("write-icons"),
                                   QStringLiteral("Write the forecast icons as PNG files into DIR and exit."),
                                   QStringLiteral("DIR"));
    const QCommandLineOption accessLog(QStringLiteral("access-log"),
                                       QStringLiteral("Append one line per request (method, target, status) to FILE."),
                                       QStringLiteral("FILE"));
    const QCommandLineOption exitIdle(QStringLiteral("exit-idle"),
                                      QStringLiteral("Exit after SECONDS without a request (for socket activation, "
                                                     "which starts the service again on the next one); 0 = never."),
                                      QStringLiteral("SECONDS"), QStringLiteral("0"));
    parser.addOptions({port, bind, offline, asOf, upstream, publicUrl, icons, accessLog, exitIdle});
    parser.process(app);

    if (parser.isSet(icons))
        return writeIcons(parser.value(icons));

    bool portOk = false;
    ForecastService::Options options;
    options.port = parser.value(port).toInt(&portOk);
    if (!portOk || options.port < 0 || options.port > 65535) {
        std::fprintf(stderr, "bad --port: %s\n", qPrintable(parser.value(port)));
        return 2;
    }
    bool idleOk = false;
    const int idleSeconds = parser.value(exitIdle).toInt(&idleOk);
    if (!idleOk || idleSeconds < 0) {
        std::fprintf(stderr, "bad --exit-idle: %s\n", qPrintable(parser.value(exitIdle)));
        return 2;
    }
    options.bind = parser.value(bind);
    options.publicUrl = parser.value(publicUrl);
    if (!options.publicUrl.isEmpty() && !options.publicUrl.startsWith(QLatin1String("http://")) &&
        !options.publicUrl.startsWith(QLatin1String("https://"))) {
        std::fprintf(stderr, "--public-url must start with http:// or https://\n");
        return 2;
    }

    QString error;
    // Started by systemd for a connection to its socket unit: serve on the socket it passed.
    options.listenSocket = TakeActivationSocket(error);
    if (!error.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }

    std::shared_ptr<ForecastSource> source;
    if (parser.isSet(offline)) {
        QDateTime asOfTime;
        if (parser.isSet(asOf)) {
            asOfTime = JstTime::parseIso(parser.value(asOf));
            if (!asOfTime.isValid()) {
                std::fprintf(stderr, "bad --as-of (want e.g. 2021-07-24T11:00:00+09:00): %s\n",
                             qPrintable(parser.value(asOf)));
                return 2;
            }
        }
        auto offlineSource = OfflineSource::Open(parser.value(offline), asOfTime, error);
        if (!offlineSource) {
            std::fprintf(stderr, "offline data: %s\n", qPrintable(error));
            return 1;
        }
        for (const QString &warning : offlineSource->Warnings())
            std::fprintf(stderr, "warning: %s\n", qPrintable(warning));
        source = std::move(offlineSource);
    } else {
        LiveSource::Options live;
        live.upstream = parser.value(upstream);
        while (live.upstream.endsWith(u'/'))
            live.upstream.chop(1);
        auto liveSource = LiveSource::Create(live, error);
        if (!liveSource) {
            std::fprintf(stderr, "%s\n", qPrintable(error));
            return 2;
        }
        source = std::move(liveSource);
    }

    ForecastService service(source, options);
    if (parser.isSet(accessLog) && !service.OpenAccessLog(parser.value(accessLog), error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    if (!service.Start(error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    std::fprintf(stderr, "skycaster-forecastd listening on http://%s:%d%s (%s)\n", qPrintable(options.bind),
                 service.Port(), options.listenSocket >= 0 ? " (passed-in socket)" : "",
                 parser.isSet(offline) ? qPrintable(QStringLiteral("offline: ") + parser.value(offline))
                                       : qPrintable(QStringLiteral("live: ") + parser.value(upstream)));

    waitForStop(stopSignals, service, std::chrono::seconds(idleSeconds));
    service.Stop();
    return 0;
}
