// Reading the settings when one line of the file is 10 MB long, against reading the same file once,
// measured in the same run: the settings cost a small multiple of one read, not one read per key.
#include "cWeatherIni.h"

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <ctime>

namespace {

double cpuNs()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) * 1e9 + static_cast<double>(ts.tv_nsec);
}

struct HugeFile {
    HugeFile()
    {
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write("[General]\r\nCityID=130010\r\nNote=" + QByteArray(10 * 1024 * 1024, 'x') +
                   "\r\n[Position]\r\nPosX=300\r\n");
    }
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("skycaster.ini"));
};

HugeFile &huge()
{
    static HugeFile file;
    return file;
}

double g_readNs = 0;

void BM_ReadTheFileOnce(benchmark::State &state)
{
    const double start = cpuNs();
    for (auto _ : state) {
        QFile file(huge().path);
        file.open(QIODevice::ReadOnly);
        benchmark::DoNotOptimize(file.readAll());
    }
    g_readNs = (cpuNs() - start) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_ReadTheFileOnce)->Unit(benchmark::kMillisecond);

void BM_ReadAllSettings(benchmark::State &state)
{
    const double start = cpuNs();
    for (auto _ : state) {
        const cWeatherIni settings(huge().path);
        benchmark::DoNotOptimize(settings.PosX());
    }
    state.counters["x_one_read"] = (cpuNs() - start) / static_cast<double>(state.iterations()) / g_readNs;
}
BENCHMARK(BM_ReadAllSettings)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
