#include "CityTable.h"

namespace forecastd {

namespace {

struct Row {
    const char *code;
    const char16_t *title;
    const char *stations;
    const char *weeklyAreas;
    const char *weeklyStations;
};

constexpr Row kTable[] = {
#include "generated/CityTable.inc"
};

QStringList split(const char *list)
{
    return QString::fromLatin1(list).split(u',', Qt::SkipEmptyParts);
}

} // namespace

std::optional<CityInfo> CityTable::Lookup(const QString &class10)
{
    const QByteArray key = class10.toLatin1();
    for (const Row &row : kTable) {
        if (key == row.code)
            return CityInfo{QString::fromUtf16(row.title), split(row.stations), split(row.weeklyAreas),
                            split(row.weeklyStations)};
    }
    return std::nullopt;
}

} // namespace forecastd
