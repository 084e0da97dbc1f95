#include "WeatherCodes.h"

#include <QStringList>

#include <algorithm>
#include <iterator>

namespace forecastd {

namespace {

struct Row {
    const char *code;
    const char *icon;
    const char *group;
    const char16_t *telop;
};

constexpr Row kTable[] = {
#include "generated/WeatherCodeTable.inc"
};

std::optional<WeatherCode> exact(const QString &code)
{
    const QByteArray key = code.toLatin1();
    for (const Row &row : kTable) {
        if (key == row.code)
            return WeatherCode{code, QString::fromLatin1(row.icon), QString::fromLatin1(row.group),
                               QString::fromUtf16(row.telop)};
    }
    return std::nullopt;
}

} // namespace

std::optional<WeatherCode> WeatherCodes::Lookup(const QString &code)
{
    if (code.size() != 3 || !std::all_of(code.begin(), code.end(), [](QChar c) { return c >= u'0' && c <= u'9'; }))
        return std::nullopt;
    if (auto hit = exact(code))
        return hit;
    const QChar first = code.at(0);
    if (first < u'1' || first > u'4')
        return std::nullopt;
    auto fallback = exact(QString(first) + QStringLiteral("00"));
    if (fallback)
        fallback->code = code;
    return fallback;
}

QStringList WeatherCodes::IconNames()
{
    QStringList names;
    for (const Row &row : kTable) {
        const QString icon = QString::fromLatin1(row.icon);
        if (!names.contains(icon))
            names.append(icon);
    }
    return names;
}

} // namespace forecastd
