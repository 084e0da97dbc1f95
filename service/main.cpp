// skycaster-forecastd: serves Skycaster's forecast documents, area list and icons, built from the
// Japan Meteorological Agency's public forecast data (出典：気象庁ホームページ).
#include "CommandLine.h"
#include "ForecastIcons.h"
#include "ForecastService.h"
#include "SocketActivation.h"

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

    auto parsed = ParseCommandLine(app);
    if (const int *status = std::get_if<int>(&parsed))
        return *status;
    CommandLine &line = std::get<CommandLine>(parsed);
    if (!line.iconsDir.isEmpty())
        return writeIcons(line.iconsDir);

    QString error;
    // Started by systemd for a connection to its socket unit: serve on the socket it passed.
    line.service.listenSocket = TakeActivationSocket(error);
    if (!error.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    int status = 0;
    auto source = OpenSource(line, status);
    if (!source)
        return status;

    ForecastService service(source, line.service);
    if (!line.accessLog.isEmpty() && !service.OpenAccessLog(line.accessLog, error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    if (!service.Start(error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    const QString from = line.offlineDir.isEmpty() ? QStringLiteral("live: ") + line.upstream
                                                   : QStringLiteral("offline: ") + line.offlineDir;
    std::fprintf(stderr, "skycaster-forecastd listening on http://%s:%d%s (%s)\n", qPrintable(line.service.bind),
                 service.Port(), line.service.listenSocket >= 0 ? " (passed-in socket)" : "", qPrintable(from));

    waitForStop(stopSignals, service, std::chrono::seconds(line.exitIdleSecs));
    service.Stop();
    return 0;
}
