// The command menu: items, separators, the enabling of "詳細" and what each command identifier does.
#include "CommandBars.h"
#include "CommandMenu.h"
#include "MenuProbe.h"

#include <gtest/gtest.h>

using namespace commandMenu;

namespace {

// Shows the command menu as the main form does, with the update rule wired to the given state.
MenuProbe showCommandMenu(bool hasWeather, const QString &lastError, int pick = 0, int *chosen = nullptr)
{
    CommandBars bars;
    QObject::connect(&bars, &CommandBars::Update,
                     [&](CommandBarControl *c) { UpdateCommand(*c, hasWeather, lastError); });
    auto bar = BuildCommandMenu(bars);
    MenuProbe probe;
    const int id = showAndPick(bars, *bar, 0, 0, pick, probe);
    if (chosen)
        *chosen = id;
    return probe;
}

} // namespace

TEST(CommandMenu, ItemsCaptionsIdentifiersAndSeparators)
{
    const MenuProbe probe = showCommandMenu(true, QString());
    ASSERT_TRUE(probe.seen);
    const std::vector<MenuEntry> expected = {
        {301, QStringLiteral("最新予報を取得"), true, false},
        {302, QStringLiteral("詳細"), true, true},
        {303, QStringLiteral("オプション"), true, true},
        {305, QStringLiteral("ヘルプ"), true, false},
        {304, QStringLiteral("終了"), true, true},
    };
    ASSERT_EQ(probe.entries.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(probe.entries[i].id, expected[i].id);
        EXPECT_EQ(probe.entries[i].caption, expected[i].caption);
        EXPECT_EQ(probe.entries[i].separatorAbove, expected[i].separatorAbove);
        EXPECT_TRUE(probe.entries[i].enabled);
    }

    // Built anew each time: a second build is a fresh, complete bar.
    CommandBars bars;
    auto a = BuildCommandMenu(bars);
    auto b = BuildCommandMenu(bars);
    EXPECT_NE(a.get(), b.get());
    EXPECT_EQ(a->Name(), QStringLiteral("Popup"));
    EXPECT_EQ(b->Count(), 5);
}

TEST(CommandMenu, DetailsIsDisabledUntilThereIsAForecastOrAnErrorText)
{
    struct Case {
        bool hasWeather;
        QString lastError;
        bool enabled;
    };
    const Case cases[] = {
        {false, QString(), false},                                 // before the first retrieval
        {false, QStringLiteral("サーバーに接続できません"), true}, // after a failed download
        {true, QString(), true},                                   // after a good retrieval
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.lastError.toStdString());
        int chosen = -1;
        const MenuProbe probe = showCommandMenu(c.hasWeather, c.lastError, 302, &chosen);
        ASSERT_EQ(probe.entries.size(), 5u);
        EXPECT_EQ(probe.entries[1].id, 302);
        EXPECT_EQ(probe.entries[1].enabled, c.enabled);
        // Only 302 follows the rule.
        EXPECT_TRUE(probe.entries[0].enabled);
        EXPECT_TRUE(probe.entries[4].enabled);
        // A greyed-out "詳細" cannot be chosen.
        EXPECT_EQ(chosen, c.enabled ? 302 : 0);
    }
}

TEST(CommandMenu, MenuCommandsMapToTheirActions)
{
    const CityCommandMap none;
    EXPECT_EQ(CommandFor(301, none, 0, {}).Kind, CommandKind::Refresh);
    EXPECT_EQ(CommandFor(302, none, 0, {}).Kind, CommandKind::Details);
    EXPECT_EQ(CommandFor(303, none, 0, {}).Kind, CommandKind::Options);
    EXPECT_EQ(CommandFor(304, none, 0, {}).Kind, CommandKind::Quit);
    EXPECT_EQ(CommandFor(305, none, 0, {}).Kind, CommandKind::Help);
    for (int id : {0, 1, 300, 306, 400, 404, 9999, -10000})
        EXPECT_EQ(CommandFor(id, none, 1, QStringLiteral("016010")).Kind, CommandKind::None) << id;
}

TEST(CommandMenu, DayCommandsRetrieveTheirDayForTheLastCity)
{
    const CityCommandMap none;
    const QString last = QStringLiteral("016010");
    for (int day = 0; day < 3; ++day) {
        const Command c = CommandFor(401 + day, none, 2, last);
        EXPECT_EQ(c.Kind, CommandKind::Day);
        EXPECT_EQ(c.Day, day);
        EXPECT_EQ(c.CityID, last);
    }
}

TEST(CommandMenu, CityCommandsKeepTheExactCityIdentifier)
{
    // Without a menu behind it, an identifier stands for identifier - 10000.
    CityCommandMap cities;
    Command c = CommandFor(10130, cities, 1, QStringLiteral("016010"));
    EXPECT_EQ(c.Kind, CommandKind::City);
    EXPECT_EQ(c.CityID, QStringLiteral("130"));
    EXPECT_EQ(c.Day, 1); // the current day, not the last city's

    // The menu's identifiers map back to the exact text, leading zeros and all.
    const std::vector<int> ids =
        cities.Assign({QStringLiteral("016020"), QStringLiteral("oshima"), QStringLiteral("16020"),
                       QStringLiteral("130040"), QStringLiteral("0000000000001")});
    ASSERT_EQ(ids.size(), 5u);
    EXPECT_EQ(ids[0], 26020);
    EXPECT_EQ(ids[3], 140040);
    for (int id : ids)
        EXPECT_GE(id, 10000);
    // Every identifier is distinct, even for "016020" and "16020" or text that is no number.
    for (size_t i = 0; i < ids.size(); ++i)
        for (size_t j = i + 1; j < ids.size(); ++j)
            EXPECT_NE(ids[i], ids[j]) << i << " " << j;

    const QStringList exact = {QStringLiteral("016020"), QStringLiteral("oshima"), QStringLiteral("16020"),
                               QStringLiteral("130040"), QStringLiteral("0000000000001")};
    for (size_t i = 0; i < ids.size(); ++i) {
        c = CommandFor(ids[i], cities, 2, QString());
        EXPECT_EQ(c.Kind, CommandKind::City);
        EXPECT_EQ(c.CityID, exact[static_cast<qsizetype>(i)]);
        EXPECT_EQ(c.Day, 2);
    }

    // A new menu forgets the old identifiers.
    cities.Assign({QStringLiteral("130010")});
    EXPECT_EQ(cities.Count(), 1);
    EXPECT_FALSE(cities.Find(26020).has_value());
    EXPECT_EQ(CommandFor(140010, cities, 0, {}).CityID, QStringLiteral("130010"));
}

TEST(CommandMenu, HelpFileBesideTheProgramWithoutDoubledSeparator)
{
    EXPECT_EQ(HelpFilePath(QStringLiteral("/opt/skycaster")), QStringLiteral("/opt/skycaster/Skycaster.html"));
    EXPECT_EQ(HelpFilePath(QStringLiteral("/")), QStringLiteral("/Skycaster.html"));
}
