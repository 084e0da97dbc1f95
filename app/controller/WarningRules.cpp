#include "WarningRules.h"

#include "cWarnings.h"
#include "cWeather.h"

#include <QMap>

#include <algorithm>
#include <vector>

namespace warningrules {

namespace {

constexpr WarningLevel kMostSevereFirst[] = {WarningLevel::Emergency, WarningLevel::Danger, WarningLevel::Warning,
                                             WarningLevel::Advisory};

QString ClassWord(WarningLevel level)
{
    switch (level) {
    case WarningLevel::Emergency: return QStringLiteral("特別警報");
    case WarningLevel::Danger: return QStringLiteral("危険警報");
    case WarningLevel::Warning: return QStringLiteral("警報");
    case WarningLevel::Advisory: return QStringLiteral("注意報");
    case WarningLevel::None: break;
    }
    return {};
}

// The most severe warning of each phenomenon, in the order the document names them.
struct Worst {
    QString phenomenon;
    WarningLevel level;
    const cWarning *warning;
};

std::vector<Worst> worstByPhenomenon(const cWarnings &warnings)
{
    std::vector<Worst> out;
    if (!warnings.Available())
        return out;
    for (const auto &w : warnings) {
        if (w->Status() == QStringLiteral("解除"))
            continue;
        const QString phenomenon = Phenomenon(*w);
        const WarningLevel level = LevelOfClass(w->WarningClass());
        auto it = std::find_if(out.begin(), out.end(), [&](const Worst &o) { return o.phenomenon == phenomenon; });
        if (it == out.end())
            out.push_back({phenomenon, level, w.get()});
        else if (level > it->level)
            *it = {phenomenon, level, w.get()};
    }
    return out;
}

// "130010|大雨=2;洪水=3": the city, then each phenomenon with the level announced for it.
struct Remembered {
    QString cityID;
    QMap<QString, int> levels;
};

Remembered parse(const QString &text)
{
    Remembered r;
    const qsizetype bar = text.indexOf(u'|');
    if (bar < 0)
        return r;
    r.cityID = text.left(bar);
    for (const QString &pair : text.mid(bar + 1).split(u';', Qt::SkipEmptyParts)) {
        const qsizetype eq = pair.lastIndexOf(u'=');
        bool ok = false;
        const int level = eq > 0 ? pair.mid(eq + 1).toInt(&ok) : 0;
        if (ok)
            r.levels.insert(pair.left(eq), level);
    }
    return r;
}

QString format(const QString &cityID, const std::vector<Worst> &now)
{
    QStringList pairs;
    for (const Worst &w : now)
        pairs << QStringLiteral("%1=%2").arg(w.phenomenon).arg(static_cast<int>(w.level));
    return cityID + u'|' + pairs.join(u';');
}

} // namespace

WarningLevel LevelOfClass(const QString &className)
{
    for (WarningLevel level : kMostSevereFirst)
        if (className == ClassWord(level))
            return level;
    return WarningLevel::Warning;
}

QString Phenomenon(const cWarning &warning)
{
    const QString &name = warning.Name();
    for (WarningLevel level : kMostSevereFirst) {
        const QString word = ClassWord(level);
        if (name.endsWith(word) && name.size() > word.size())
            return name.chopped(word.size());
    }
    return name;
}

WarningLevel MostSevere(const cWarnings &warnings)
{
    WarningLevel most = WarningLevel::None;
    for (const Worst &w : worstByPhenomenon(warnings))
        most = std::max(most, w.level);
    return most;
}

QStringList ClassLines(const cWarnings &warnings)
{
    const std::vector<Worst> worst = worstByPhenomenon(warnings);
    QStringList lines;
    for (WarningLevel level : kMostSevereFirst) {
        QStringList names;
        for (const Worst &w : worst) {
            if (w.level == level)
                names << w.phenomenon + (w.warning->Partial() ? QStringLiteral("（一部）") : QString());
        }
        if (!names.isEmpty())
            lines << QStringLiteral("【%1】%2").arg(ClassWord(level), names.join(u'、'));
    }
    return lines;
}

Decision Decide(const QString &remembered, const QString &cityID, const cWeather &weather)
{
    const auto warnings = weather.Warnings();
    if (!warnings->Available())
        return {std::nullopt, remembered};
    Remembered last = parse(remembered);
    if (last.cityID != cityID)
        last.levels.clear();
    std::vector<Worst> now = worstByPhenomenon(*warnings);

    std::vector<const Worst *> raised;
    for (const Worst &w : now) {
        if (static_cast<int>(w.level) > last.levels.value(w.phenomenon, 0))
            raised.push_back(&w);
    }
    Decision decision{std::nullopt, format(cityID, now)};
    if (raised.empty())
        return decision;
    std::stable_sort(raised.begin(), raised.end(), [](const Worst *a, const Worst *b) { return a->level > b->level; });
    QStringList names;
    for (const Worst *w : raised)
        names << w->warning->Name();
    const QString area = warnings->Area().isEmpty() ? weather.LocationCity() : warnings->Area();
    QStringList body = ClassLines(*warnings);
    if (!warnings->Publictime().isEmpty())
        body << warnings->Publictime() + QStringLiteral(" 発表");
    decision.notification = DesktopNotification{area + QStringLiteral("に") + names.join(u'、'), body.join(u'\n'),
                                                raised.front()->level >= WarningLevel::Danger};
    return decision;
}

} // namespace warningrules
