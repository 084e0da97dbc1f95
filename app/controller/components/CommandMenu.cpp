#include "CommandMenu.h"

#include "CommandBars.h"

#include <QStringList>

#include <algorithm>
#include <climits>
#include <set>

namespace commandMenu {
namespace {

// 10000 + the identifier when the city identifier is a plain decimal number that fits.
std::optional<int> numericCommand(const QString &cityId)
{
    if (cityId.isEmpty() || cityId.size() > 9)
        return std::nullopt;
    for (QChar c : cityId)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
    return CmdCityBase + cityId.toInt();
}

} // namespace

std::vector<int> CityCommandMap::Assign(const QStringList &CityIDs)
{
    m_ids.clear();
    std::vector<int> ids(static_cast<size_t>(CityIDs.size()), 0);
    std::set<int> used;
    for (qsizetype i = 0; i < CityIDs.size(); ++i) {
        const std::optional<int> id = numericCommand(CityIDs[i]);
        if (id && used.insert(*id).second)
            ids[static_cast<size_t>(i)] = *id;
    }
    int next = used.empty() ? static_cast<int>(CmdCityBase) : *used.rbegin() + 1;
    for (qsizetype i = 0; i < CityIDs.size(); ++i) {
        int &id = ids[static_cast<size_t>(i)];
        if (id == 0)
            id = next++;
        m_ids[id] = CityIDs[i];
    }
    return ids;
}

std::optional<QString> CityCommandMap::Find(int Id) const
{
    const auto it = m_ids.find(Id);
    if (it == m_ids.end())
        return std::nullopt;
    return it->second;
}

QString CityCommandMap::CityFor(int Id) const
{
    if (auto city = Find(Id))
        return *city;
    return QString::number(Id - CmdCityBase);
}

Command CommandFor(int Id, const CityCommandMap &Cities, int CurrentDay, const QString &LastAccessCityID)
{
    switch (Id) {
    case CmdRefresh: return {CommandKind::Refresh, 0, {}};
    case CmdDetails: return {CommandKind::Details, 0, {}};
    case CmdOptions: return {CommandKind::Options, 0, {}};
    case CmdQuit: return {CommandKind::Quit, 0, {}};
    case CmdHelp: return {CommandKind::Help, 0, {}};
    case CmdToday:
    case CmdTomorrow:
    case CmdDayAfterTomorrow: return {CommandKind::Day, Id - CmdToday, LastAccessCityID};
    default: break;
    }
    if (Id >= CmdCityBase)
        return {CommandKind::City, CurrentDay, Cities.CityFor(Id)};
    return {};
}

std::unique_ptr<CommandBar> BuildCommandMenu(const CommandBars &Bars)
{
    auto bar = Bars.AddPopupBar(QStringLiteral("Popup"));
    bar->AddButton(CmdRefresh, QStringLiteral("最新予報を取得"));
    bar->AddButton(CmdDetails, QStringLiteral("詳細")).setSeparator(true);
    bar->AddButton(CmdOptions, QStringLiteral("オプション")).setSeparator(true);
    bar->AddButton(CmdHelp, QStringLiteral("ヘルプ"));
    bar->AddButton(CmdQuit, QStringLiteral("終了")).setSeparator(true);
    return bar;
}

bool DetailsEnabled(bool HasWeather, const QString &LastError)
{
    return !LastError.isEmpty() || HasWeather;
}

void UpdateCommand(CommandBarControl &Control, bool HasWeather, const QString &LastError)
{
    if (Control.Id() == CmdDetails)
        Control.setEnabled(DetailsEnabled(HasWeather, LastError));
}

QString HelpFilePath(const QString &ProgramDir)
{
    const QString sep = ProgramDir.endsWith(QLatin1Char('/')) ? QString() : QStringLiteral("/");
    return ProgramDir + sep + QStringLiteral("Skycaster.html");
}

} // namespace commandMenu
