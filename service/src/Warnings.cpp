#include "Warnings.h"

#include "JmaData.h"
#include "JstTime.h"

#include <QHash>
#include <QLocale>
#include <QSet>

#include <algorithm>

namespace forecastd {

namespace {

bool isInForce(const WarningEntry &e)
{
    return !e.code.isEmpty() && e.status != QStringLiteral("解除") &&
           e.status != QStringLiteral("発表警報・注意報はなし");
}

/// A change (発表, 警報から注意報, ...) tells more than 継続: it wins once met.
void mergeStatus(QString &kept, const QString &status)
{
    if (kept == QStringLiteral("継続") && status != QStringLiteral("継続"))
        kept = status;
}

QSet<QString> codesInForce(const std::vector<WarningEntry> &entries)
{
    QSet<QString> out;
    for (const WarningEntry &e : entries)
        if (isInForce(e))
            out.insert(e.code);
    return out;
}

/// Marks the kinds some municipality of the class10 does not have in force.
void markPartial(CityWarnings &out, const WarningReport &report, const QStringList &class20s,
                 const std::vector<WarningEntry> &class10Entries)
{
    const QSet<QString> class10Codes = codesInForce(class10Entries);
    for (const QString &c20 : class20s) {
        const auto it = report.areas.constFind(c20);
        const QSet<QString> here = it != report.areas.constEnd() ? codesInForce(*it) : class10Codes;
        for (WarningInForce &w : out.inForce)
            w.partial = w.partial || !here.contains(w.kind.code);
    }
}

QString shortTime(const QDateTime &t)
{
    return QLocale::c().toString(JstTime::toJst(t), QStringLiteral("M/d HH:mm"));
}

} // namespace

std::optional<CityWarnings> CityWarnings::Gather(const WarningReport &report, const AreaTree &areas,
                                                 const QString &class10, QString &error)
{
    CityWarnings out;
    out.reportTime = report.reportTime;
    bool covered = false;
    const QStringList class20s = areas.Class20sOf(class10);
    for (const QString &area : QStringList{class10} + class20s) {
        const auto it = report.areas.constFind(area);
        if (it == report.areas.constEnd())
            continue;
        covered = true;
        for (const WarningEntry &e : *it) {
            if (!isInForce(e))
                continue;
            const auto known = std::find_if(out.inForce.begin(), out.inForce.end(),
                                            [&](const WarningInForce &w) { return w.kind.code == e.code; });
            if (known != out.inForce.end())
                mergeStatus(known->status, e.status);
            else
                out.inForce.push_back({WarningCodes::Lookup(e.code), e.status});
        }
    }
    if (!covered) {
        error = QStringLiteral("the warning file of %1 has no entry for area %2").arg(report.publishingOffice, class10);
        return std::nullopt;
    }
    markPartial(out, report, class20s, report.areas.value(class10));
    std::stable_sort(out.inForce.begin(), out.inForce.end(), [](const WarningInForce &a, const WarningInForce &b) {
        if (a.kind.warningClass != b.kind.warningClass)
            return a.kind.warningClass < b.kind.warningClass;
        return a.kind.code < b.kind.code;
    });
    return out;
}

QStringList CityWarnings::Lines() const
{
    QStringList lines;
    QSet<QString> named;
    for (WarningClass c :
         {WarningClass::Emergency, WarningClass::Danger, WarningClass::Warning, WarningClass::Advisory}) {
        QStringList phenomena;
        for (const WarningInForce &w : inForce) {
            if (w.kind.warningClass != c || named.contains(w.kind.phenomenon))
                continue;
            named.insert(w.kind.phenomenon);
            phenomena.append(w.partial ? w.kind.phenomenon + QStringLiteral("（一部）") : w.kind.phenomenon);
        }
        if (!phenomena.isEmpty())
            lines.append(QStringLiteral("【%1】%2").arg(WarningCodes::ClassName(c), phenomena.join(u'、')));
    }
    if (!lines.isEmpty())
        lines.first() += QStringLiteral(" %1発表").arg(shortTime(reportTime));
    return lines;
}

bool WarningFreshness::Confirmed(const QDateTime &confirmed, const QDateTime &now)
{
    return !confirmed.isValid() || confirmed.secsTo(now) <= kMaxUnconfirmedSecs;
}

bool WarningFreshness::AbreastOfForecast(const QDateTime &reportTime, const QDateTime &forecastTime)
{
    return reportTime.secsTo(forecastTime) <= kMaxBehindForecastSecs;
}

QString warningsUnavailableNote()
{
    return QStringLiteral("警報・注意報を取得できませんでした");
}

QString warningsStaleNote(const QDateTime &reportTime)
{
    return QStringLiteral("警報・注意報の最新の情報を取得できませんでした（最終発表 %1）").arg(shortTime(reportTime));
}

} // namespace forecastd
