// The forecast service: building one document, and whole requests over loopback (keep-alive).
// Requests per second under load and the service's memory: run-wrk.sh beside this file.
#include "ForecastBuilder.h"
#include "ForecastService.h"
#include "JmaData.h"
#include "OfflineSource.h"

#include <QCoreApplication>

#include <benchmark/benchmark.h>
#include <httplib.h>

#include <cstdio>
#include <fstream>
#include <string>

using namespace forecastd;

namespace {

std::shared_ptr<OfflineSource> demoSource()
{
    QString error;
    std::shared_ptr<OfflineSource> source = OfflineSource::Open(QStringLiteral(FORECASTD_DEMO_DATA), {}, error);
    if (!source)
        std::fprintf(stderr, "demo data: %s\n", qPrintable(error));
    return source;
}

long rssKiB()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stol(line.substr(6));
    return -1;
}

void BM_BuildAndWriteDocument(benchmark::State &state)
{
    const auto source = demoSource();
    const auto areas = source->Areas().areas;
    const CityRef city = std::get<CityRef>(ForecastBuilder::ResolveCity(*areas, QStringLiteral("130010")));
    const OfficeResult office = source->Office(city.fileOffice);
    const WarningResult warnings = source->WarningFile(city.office);
    for (auto _ : state) {
        const auto doc = ForecastBuilder::Build(*areas, city, office, warnings, QStringLiteral("tomorrow"),
                                                QStringLiteral("http://127.0.0.1:8931"));
        benchmark::DoNotOptimize(std::get<ForecastDocument>(doc).Write());
    }
}
BENCHMARK(BM_BuildAndWriteDocument);

void BM_ForecastRequestLoopback(benchmark::State &state)
{
    ForecastService service(demoSource(), {QStringLiteral("127.0.0.1"), 0, {}});
    QString error;
    if (!service.Start(error)) {
        state.SkipWithError(qPrintable(error));
        return;
    }
    httplib::Client client("127.0.0.1", service.Port());
    client.set_keep_alive(true);
    for (auto _ : state) {
        auto r = client.Get("/forecast/webservice/rest/v1?city=130010&day=tomorrow");
        if (!r || r->status != 200) {
            state.SkipWithError("request failed");
            break;
        }
        benchmark::DoNotOptimize(r->body.size());
    }
    state.SetItemsProcessed(state.iterations());
    state.counters["rss_KiB"] = double(rssKiB());
}
BENCHMARK(BM_ForecastRequestLoopback)->UseRealTime();

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
