#include "NumberText.h"

#include <QLocale>

#include <cmath>
#include <limits>

namespace numbertext {
namespace {

std::optional<double> toNumber(const QString &text)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return std::nullopt;
    bool ok = false;
    const double v = QLocale::c().toDouble(t, &ok);
    if (!ok || !std::isfinite(v))
        return std::nullopt;
    return v;
}

std::optional<int> toRange(const QString &text, double lo, double hi)
{
    const auto v = toNumber(text);
    if (!v)
        return std::nullopt;
    const double r = std::nearbyint(*v); // the default rounding mode: halves to the even neighbour
    if (r < lo || r > hi)
        return std::nullopt;
    return static_cast<int>(r);
}

} // namespace

std::optional<int> toInt32(const QString &text)
{
    return toRange(text, std::numeric_limits<int>::min(), std::numeric_limits<int>::max());
}

std::optional<int> toInt16(const QString &text)
{
    return toRange(text, -32768, 32767);
}

std::optional<bool> toFlag(const QString &text)
{
    const QString t = text.trimmed();
    if (t.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
        return true;
    if (t.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
        return false;
    if (const auto v = toNumber(t))
        return *v != 0;
    return std::nullopt;
}

} // namespace numbertext
