#pragma once

#include "IDesktopNotifier.h"
#include "WarningLevel.h"

#include <QString>
#include <QStringList>

#include <optional>

class cWarning;
class cWarnings;
class cWeather;

/// What the program makes of a forecast's warnings: their level, their lines, and what to announce.
namespace warningrules {

/// The level of a class word; a word we do not know counts as 警報, never less.
WarningLevel LevelOfClass(const QString &className);
/// What a warning is about: its name without the class word (大雨特別警報 -> 大雨).
QString Phenomenon(const cWarning &warning);
/// The most severe level in force; None when nothing is, or when the list is not available.
WarningLevel MostSevere(const cWarnings &warnings);
/// One line per class in force, most severe first: 「【特別警報】大雨（一部）、洪水」; each phenomenon once,
/// under its most severe class. Empty when nothing is in force or the list is not available.
QStringList ClassLines(const cWarnings &warnings);

/// The outcome of comparing a retrieval's warnings with what was last announced.
struct Decision {
    std::optional<DesktopNotification> notification; ///< what to announce, if anything
    QString remembered;                              ///< what to remember as announced from now on
};

/// Compares the warnings of `cityID`'s forecast with `remembered` (the text Decide last returned). A
/// phenomenon newly in force, or at a higher class than last announced, is announced; continuing ones are
/// not. A list that is not available changes nothing; one of another city starts afresh.
Decision Decide(const QString &remembered, const QString &cityID, const cWeather &weather);

} // namespace warningrules
