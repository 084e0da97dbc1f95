#pragma once

#include <QString>
#include <QStringList>

#include <map>
#include <memory>
#include <optional>
#include <vector>

class CommandBar;
class CommandBarControl;
class CommandBars;

/// The command menu of the tray icon and the widget, and the meaning of every command identifier.
namespace commandMenu {

/// Command identifiers of the program's menus.
enum CommandId : int {
    CmdRefresh = 301,          ///< "最新予報を取得"
    CmdDetails = 302,          ///< "詳細"
    CmdOptions = 303,          ///< "オプション"
    CmdQuit = 304,             ///< "終了"
    CmdHelp = 305,             ///< "ヘルプ"
    CmdToday = 401,            ///< "今日の天気" of the day menu
    CmdTomorrow = 402,         ///< "明日の天気" of the day menu
    CmdDayAfterTomorrow = 403, ///< "あさっての天気" of the day menu
    CmdCityBase = 10000        ///< first identifier of the city menu
};

/// Identifiers of the city menu and the exact city identifiers they stand for.
class CityCommandMap {
public:
    /// Forgets every identifier.
    void Clear() { m_ids.clear(); }
    /// Gives each city identifier, in order, a command identifier of 10000 or more and remembers the pairs;
    /// returns the command identifiers in the same order. A numeric city identifier keeps 10000 + its value
    /// unless that is taken; the others follow the largest one given.
    std::vector<int> Assign(const QStringList &CityIDs);
    /// The exact city identifier behind a command identifier of the last Assign, if it made one.
    std::optional<QString> Find(int Id) const;
    /// The city a command identifier stands for: the remembered one, else identifier - 10000 as decimal text.
    QString CityFor(int Id) const;
    /// Number of remembered identifiers.
    int Count() const { return static_cast<int>(m_ids.size()); }

private:
    std::map<int, QString> m_ids;
};

/// What the main form does for a command.
enum class CommandKind {
    None,
    Refresh,
    Details,
    Options,
    Help,
    Quit,
    Day,
    City
};

/// A command resolved to its action and, for day and city commands, the retrieval it asks for.
struct Command {
    CommandKind Kind = CommandKind::None; ///< the action
    int Day = 0;                          ///< day index to retrieve (Day and City commands)
    QString CityID;                       ///< city to retrieve (Day and City commands)
};

/// The action of a command identifier. Day commands retrieve their day for LastAccessCityID, city commands the
/// city for CurrentDay; unknown identifiers do nothing.
Command CommandFor(int Id, const CityCommandMap &Cities, int CurrentDay, const QString &LastAccessCityID);

/// The command menu, built anew for each showing: refresh, details, options, help, quit with their separators.
std::unique_ptr<CommandBar> BuildCommandMenu(const CommandBars &Bars);

/// True when "詳細" can be chosen: there is an error text to show or a forecast.
bool DetailsEnabled(bool HasWeather, const QString &LastError);

/// The update-event rule: sets the enabled state of "詳細"; other items are left alone.
void UpdateCommand(CommandBarControl &Control, bool HasWeather, const QString &LastError);

/// The help document in the program folder, without a doubled separator for a folder ending in "/".
QString HelpFilePath(const QString &ProgramDir);

} // namespace commandMenu
