#include "SysTrayNotify.h"
#include "c32BitIcon.h"
#include "fSysTray.h"

#include <QAction>
#include <QMenu>
#include <QSignalSpy>
#include <QSystemTrayIcon>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// Records every event of the form in the order raised, as "Name(arg)".
struct EventLog {
    explicit EventLog(fSysTray &tray)
    {
        QObject::connect(&tray, &fSysTray::SysTrayMouseDown,
                         [this](int b) { events << QStringLiteral("Down(%1)").arg(b); });
        QObject::connect(&tray, &fSysTray::SysTrayMouseUp,
                         [this](int b) { events << QStringLiteral("Up(%1)").arg(b); });
        QObject::connect(&tray, &fSysTray::SysTrayMouseMove, [this] { events << QStringLiteral("Move"); });
        QObject::connect(&tray, &fSysTray::SysTrayDoubleClick,
                         [this](int b) { events << QStringLiteral("Double(%1)").arg(b); });
        QObject::connect(&tray, &fSysTray::BalloonShow, [this] { events << QStringLiteral("BalloonShow"); });
        QObject::connect(&tray, &fSysTray::BalloonHide, [this] { events << QStringLiteral("BalloonHide"); });
        QObject::connect(&tray, &fSysTray::BalloonTimeOut, [this] { events << QStringLiteral("BalloonTimeOut"); });
        QObject::connect(&tray, &fSysTray::BalloonClicked, [this] { events << QStringLiteral("BalloonClicked"); });
    }
    QStringList events;
};

TEST(fSysTray, ClicksOnTheIconBecomeEventsInTheShellsOrder)
{
    fSysTray tray;
    EventLog log(tray);
    QSystemTrayIcon *icon = tray.TrayIcon();
    emit icon->activated(QSystemTrayIcon::Context);
    emit icon->activated(QSystemTrayIcon::Trigger);
    emit icon->activated(QSystemTrayIcon::DoubleClick);
    emit icon->activated(QSystemTrayIcon::MiddleClick);
    tray.Notify(SysTrayNotify::WM_MOUSEMOVE);
    tray.Notify(SysTrayNotify::WM_RBUTTONDBLCLK);
    EXPECT_EQ(log.events, (QStringList{"Down(2)", "Up(2)", "Down(1)", "Up(1)", "Double(1)", "Move", "Double(2)"}));
}

TEST(fSysTray, DisabledFormIgnoresNotifications)
{
    fSysTray tray;
    EventLog log(tray);
    tray.setEnabled(false);
    emit tray.TrayIcon()->activated(QSystemTrayIcon::Context);
    emit tray.TrayIcon()->messageClicked();
    EXPECT_TRUE(log.events.isEmpty());
    tray.setEnabled(true);
    emit tray.TrayIcon()->activated(QSystemTrayIcon::Context);
    EXPECT_EQ(log.events, (QStringList{"Down(2)", "Up(2)"}));
}

TEST(fSysTray, ToolTipKeepsItsFirst127CharactersAndStartsWithTheProgramsName)
{
    fSysTray tray;
    EXPECT_FALSE(tray.ToolTip().isEmpty());
    EXPECT_EQ(tray.TrayIcon()->toolTip(), tray.ToolTip());
    const QString longTip = QStringLiteral("東京 晴れ").repeated(40); // 200 characters
    tray.setToolTip(longTip);
    EXPECT_EQ(tray.ToolTip(), longTip.left(127));
    EXPECT_EQ(tray.TrayIcon()->toolTip(), longTip.left(127));
    tray.setToolTip(QStringLiteral("お天気取得中です...."));
    EXPECT_EQ(tray.ToolTip(), QStringLiteral("お天気取得中です...."));
}

TEST(fSysTray, IconStartsAsTheNormalGroupAndFollowsTheOwner)
{
    fSysTray tray;
    const QIcon normal = tray.IconHandle();
    EXPECT_FALSE(normal.isNull());
    EXPECT_EQ(tray.TrayIcon()->icon().cacheKey(), normal.cacheKey());
    const QIcon failure = c32BitIcon::LoadIconGroup(QStringLiteral("BBB"));
    tray.setIconHandle(failure);
    EXPECT_EQ(tray.IconHandle().cacheKey(), failure.cacheKey());
    EXPECT_EQ(tray.TrayIcon()->icon().cacheKey(), failure.cacheKey());
}

TEST(fSysTray, BalloonReportsShownReplacedTimedOutAndClicked)
{
    fSysTray tray;
    if (!QSystemTrayIcon::supportsMessages())
        GTEST_SKIP() << "no balloon messages on this platform";
    EventLog log(tray);
    tray.ShowBalloonTip(QStringLiteral("x").repeated(300), QStringLiteral("Sky Caster"), 1, 60000);
    tray.ShowBalloonTip(QStringLiteral("晴れ"), QStringLiteral("Sky Caster"), 1, 50);
    EXPECT_TRUE(QTest::qWaitFor([&] { return log.events.size() >= 4; }, 2000));
    tray.ShowBalloonTip(QStringLiteral("雨"), QString(), 3, 60000);
    emit tray.TrayIcon()->messageClicked();
    QTest::qWait(20);
    EXPECT_EQ(log.events, (QStringList{"BalloonShow", "BalloonHide", "BalloonShow", "BalloonTimeOut", "BalloonShow",
                                       "BalloonClicked"}));
}

TEST(fSysTray, ChosenEntryRaisesMenuClickAndKeepsTheOwnersCheckedFlag)
{
    fSysTray tray;
    tray.AddMenuItem(QStringLiteral("更新"), QStringLiteral("refresh"), true, false);
    tray.AddMenuItem(QStringLiteral("最前面"), QStringLiteral("topmost"), false, true);
    QList<std::tuple<int, QString, bool>> clicks;
    QObject::connect(&tray, &fSysTray::MenuClick, [&](int index, const QString &key, bool &checked) {
        clicks.append({index, key, checked});
        checked = !checked;
    });
    QMenu menu;
    tray.FillMenu(menu);
    ASSERT_EQ(menu.actions().size(), 2);
    EXPECT_TRUE(menu.actions()[0]->font().bold()); // the default entry
    menu.actions()[1]->trigger();
    tray.MenuItemChosen(0);
    tray.MenuItemChosen(9); // outside the list: nothing
    ASSERT_EQ(clicks.size(), 2);
    EXPECT_EQ(clicks[0], std::make_tuple(1, QStringLiteral("topmost"), true));
    EXPECT_EQ(clicks[1], std::make_tuple(0, QStringLiteral("refresh"), false));
    EXPECT_FALSE(tray.MenuItems().At(1).checked);
    EXPECT_TRUE(tray.MenuItems().At(0).checked);
}

} // namespace

TEST(fSysTray, TheIconWaitsForAHostAndShowsTheHostMenuOnlyOnAStatusNotifierHost)
{
    using Kind = platform::ITrayHost::Kind;
    const struct {
        Kind present;
        Kind appears;
        bool hostMenu;
    } cases[] = {{Kind::None, Kind::XEmbed, false},
                 {Kind::None, Kind::StatusNotifier, true},
                 {Kind::XEmbed, Kind::None, false},
                 {Kind::StatusNotifier, Kind::None, true}};
    for (const auto &c : cases) {
        platform::HeadlessTrayHost host(c.present);
        QMenu menu;
        fSysTray tray(nullptr, &host);
        tray.SetHostMenu(&menu);
        EXPECT_EQ(tray.TrayIcon() != nullptr, c.present != Kind::None);
        host.Appear(c.appears);
        ASSERT_NE(tray.TrayIcon(), nullptr);
        EXPECT_EQ(tray.TrayIcon()->contextMenu() == &menu, c.hostMenu) << int(c.present) << " " << int(c.appears);
    }
}
