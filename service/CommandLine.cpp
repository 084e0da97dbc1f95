#include "CommandLine.h"

#include "JstTime.h"
#include "LiveSource.h"
#include "OfflineSource.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>

namespace forecastd {

namespace {

QCommandLineOption option(const char *name, const char *help, const char *value = nullptr,
                          const char *defaultValue = nullptr)
{
    return QCommandLineOption(QString::fromLatin1(name), QString::fromUtf8(help),
                              value ? QString::fromLatin1(value) : QString(),
                              defaultValue ? QString::fromLatin1(defaultValue) : QString());
}

int bad(const char *what, const QString &value)
{
    std::fprintf(stderr, "bad %s: %s\n", what, qPrintable(value));
    return 2;
}

} // namespace

std::variant<CommandLine, int> ParseCommandLine(const QCoreApplication &app)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Forecast service for Skycaster: forecast documents, the area list and icons built from the Japan "
        "Meteorological Agency's public data (出典：気象庁ホームページ)."));
    parser.addHelpOption();
    parser.addVersionOption();
    const auto port = option("port", "TCP port (default 8931; 0 = any free).", "PORT", "8931");
    const auto bind = option("bind", "Listen address (default 127.0.0.1).", "ADDRESS", "127.0.0.1");
    const auto offline = option("offline",
                                "Serve JMA-format JSON files from DIR instead of fetching from JMA; the clock is "
                                "pinned to each report's time.",
                                "DIR");
    const auto asOf = option("as-of",
                             "With --offline: use the newest reports issued at or before this ISO 8601 time "
                             "(e.g. 2021-07-24T11:00:00+09:00).",
                             "TIME");
    const auto upstream = option("upstream", "Base URL of JMA's data (default https://www.jma.go.jp/bosai).", "URL",
                                 "https://www.jma.go.jp/bosai");
    const auto publicUrl = option("public-url",
                                  "Absolute base URL clients reach this service at (for icon and city links); "
                                  "default: from the request's Host.",
                                  "URL");
    const auto icons = option("write-icons", "Write the forecast icons as PNG files into DIR and exit.", "DIR");
    const auto accessLog =
        option("access-log", "Append one line per request (method, target, status) to FILE.", "FILE");
    const auto exitIdle = option("exit-idle",
                                 "Exit after SECONDS without a request (for socket activation, which starts the "
                                 "service again on the next one); 0 = never.",
                                 "SECONDS", "0");
    const auto maxAge = option("document-max-age",
                               "How long HTTP caches may keep a forecast document without asking again "
                               "(default 60).",
                               "SECONDS", "60");
    parser.addOptions({port, bind, offline, asOf, upstream, publicUrl, icons, accessLog, exitIdle, maxAge});
    parser.process(app);

    CommandLine line;
    line.iconsDir = parser.value(icons);
    bool ok = false;
    line.service.port = parser.value(port).toInt(&ok);
    if (!ok || line.service.port < 0 || line.service.port > 65535)
        return bad("--port", parser.value(port));
    line.exitIdleSecs = parser.value(exitIdle).toInt(&ok);
    if (!ok || line.exitIdleSecs < 0)
        return bad("--exit-idle", parser.value(exitIdle));
    line.service.documentMaxAgeSecs = parser.value(maxAge).toInt(&ok);
    if (!ok || line.service.documentMaxAgeSecs < 0)
        return bad("--document-max-age", parser.value(maxAge));
    line.service.bind = parser.value(bind);
    line.service.publicUrl = parser.value(publicUrl);
    if (!line.service.publicUrl.isEmpty() && !line.service.publicUrl.startsWith(QLatin1String("http://")) &&
        !line.service.publicUrl.startsWith(QLatin1String("https://"))) {
        std::fprintf(stderr, "--public-url must start with http:// or https://\n");
        return 2;
    }
    line.offlineDir = parser.value(offline);
    if (parser.isSet(asOf)) {
        line.asOf = JstTime::parseIso(parser.value(asOf));
        if (!line.asOf.isValid())
            return bad("--as-of (want e.g. 2021-07-24T11:00:00+09:00)", parser.value(asOf));
    }
    line.upstream = parser.value(upstream);
    while (line.upstream.endsWith(u'/'))
        line.upstream.chop(1);
    line.accessLog = parser.value(accessLog);
    return line;
}

std::shared_ptr<ForecastSource> OpenSource(const CommandLine &line, int &status)
{
    QString error;
    if (!line.offlineDir.isEmpty()) {
        auto offline = OfflineSource::Open(line.offlineDir, line.asOf, error);
        if (!offline) {
            std::fprintf(stderr, "offline data: %s\n", qPrintable(error));
            status = 1;
            return nullptr;
        }
        for (const QString &warning : offline->Warnings())
            std::fprintf(stderr, "warning: %s\n", qPrintable(warning));
        return offline;
    }
    LiveSource::Options live;
    live.upstream = line.upstream;
    auto source = LiveSource::Create(live, error);
    if (!source) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        status = 2;
    }
    return source;
}

} // namespace forecastd
