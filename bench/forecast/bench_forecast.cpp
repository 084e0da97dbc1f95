// GetWeather on a typical forecast document and GetArea on a full-size area
// list (8 areas, ~140 cities), each against a bare pugixml DOM parse of the
// same bytes from the same file. The ratio is printed at the end.
#include "cAreas.h"
#include "cWeather.h"
#include "roMessageBox.h"
#include "roWeatherParser.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <pugixml.hpp>

#include <cstdio>
#include <map>
#include <string>

namespace {

QTemporaryDir &workDir()
{
    static QTemporaryDir dir;
    return dir;
}

QString areaListPath()
{
    static const QString path = [] {
        const char *areas[] = {"北海道", "東北", "関東", "中部", "近畿", "中国・四国", "九州", "沖縄"};
        QByteArray doc = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<rss version=\"2.0\" "
                         "xmlns:ldWeather=\"http://127.0.0.1:8931/forecast/ns\">\n<channel>\n<title>地域一覧</title>\n"
                         "<ldWeather:source title=\"Skycaster\" link=\"http://127.0.0.1:8931/forecast/\">\n";
        int city = 0;
        for (int a = 0; a < 8; ++a) {
            doc += QStringLiteral("  <area title=\"%1\" source=\"http://127.0.0.1:8931/forecast/rss/area/%2.xml\">\n")
                       .arg(QString::fromUtf8(areas[a]))
                       .arg(a)
                       .toUtf8();
            for (int p = 0; p < 6; ++p) {
                doc += QStringLiteral(
                           "    <pref title=\"県%1-%2\">\n      <warn source=\"http://127.0.0.1:8931/w/%1%2\"/>\n")
                           .arg(a)
                           .arg(p)
                           .toUtf8();
                for (int c = 0; c < 3; ++c, ++city) {
                    const QString id = QStringLiteral("%1").arg(10000 + city * 7, 6, 10, QLatin1Char('0'));
                    doc += QStringLiteral("      <city title=\"市町村%1\" id=\"%2\" "
                                          "source=\"http://127.0.0.1:8931/forecast/rss/city/%2.xml\"/>\n")
                               .arg(city)
                               .arg(id)
                               .toUtf8();
                }
                doc += "    </pref>\n";
            }
            doc += "  </area>\n";
        }
        doc += "</ldWeather:source>\n</channel>\n</rss>\n";
        const QString file = workDir().filePath(QStringLiteral("forecastmap.xml"));
        QFile out(file);
        if (!out.open(QIODevice::WriteOnly) || out.write(doc) != doc.size())
            std::abort();
        return file;
    }();
    return path;
}

// The baseline: read the same file into one buffer and parse it in place.
void bareParse(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        std::abort();
    const qint64 size = file.size();
    char *buffer = static_cast<char *>(pugi::get_memory_allocation_function()(static_cast<size_t>(size)));
    file.read(buffer, size);
    pugi::xml_document doc;
    const auto result = doc.load_buffer_inplace_own(buffer, static_cast<size_t>(size));
    benchmark::DoNotOptimize(result.status);
    benchmark::DoNotOptimize(doc.first_child());
}

void BM_BareParse_Forecast(benchmark::State &state)
{
    for (auto _ : state)
        bareParse(QStringLiteral(FORECAST_SAMPLE));
}

void BM_GetWeather(benchmark::State &state)
{
    for (auto _ : state) {
        std::shared_ptr<cWeather> weather;
        if (!roWeatherParser::GetWeather(QStringLiteral(FORECAST_SAMPLE), weather) || !weather)
            state.SkipWithError("GetWeather failed");
        benchmark::DoNotOptimize(weather);
    }
}

void BM_BareParse_AreaList(benchmark::State &state)
{
    const QString path = areaListPath();
    for (auto _ : state)
        bareParse(path);
}

void BM_GetArea(benchmark::State &state)
{
    const QString path = areaListPath();
    for (auto _ : state) {
        std::shared_ptr<cAreas> areas;
        if (!roWeatherParser::GetArea(path, areas) || areas->Count() != 8)
            state.SkipWithError("GetArea failed");
        benchmark::DoNotOptimize(areas);
    }
}

BENCHMARK(BM_BareParse_Forecast);
BENCHMARK(BM_GetWeather);
BENCHMARK(BM_BareParse_AreaList);
BENCHMARK(BM_GetArea);

// Collects the mean time per iteration of each run to print the ratios.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run> &runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const auto &run : runs)
            m_times[run.benchmark_name()] = run.GetAdjustedRealTime();
    }
    void Finalize() override
    {
        ConsoleReporter::Finalize();
        auto ratio = [&](const char *ours, const char *bare) {
            if (m_times.count(ours) && m_times.count(bare) && m_times[bare] > 0)
                std::printf("%-14s %10.1f us  bare parse %10.1f us  ratio %.2fx (goal <= 1.5x)\n", ours,
                            m_times[ours] / 1000.0, m_times[bare] / 1000.0, m_times[ours] / m_times[bare]);
        };
        ratio("BM_GetWeather", "BM_BareParse_Forecast");
        ratio("BM_GetArea", "BM_BareParse_AreaList");
    }

private:
    std::map<std::string, double> m_times;
};

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
