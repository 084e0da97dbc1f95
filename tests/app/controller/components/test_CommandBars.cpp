// The menu component: bars, items, separators, update and command events, twips placement.
#include "CommandBars.h"
#include "MenuProbe.h"
#include "Twips.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

#include <stdexcept>

TEST(CommandBars, BarKeepsItemsInOrderWithSeparatorsAndRejectsBadPositions)
{
    CommandBars bars;
    auto bar = bars.AddPopupBar(QStringLiteral("Popup"));
    EXPECT_EQ(bar->Name(), QStringLiteral("Popup"));
    EXPECT_EQ(bar->Count(), 0);

    bar->AddButton(7, QStringLiteral("一"));
    bar->AddButton(3, QStringLiteral("二")).setSeparator(true);
    ASSERT_EQ(bar->Count(), 2);
    EXPECT_EQ(bar->Item(1).Id(), 7);
    EXPECT_FALSE(bar->Item(1).Separator());
    EXPECT_EQ(bar->Item(2).Caption(), QStringLiteral("二"));
    EXPECT_TRUE(bar->Item(2).Separator());
    EXPECT_EQ(bar->FindControl(3), &bar->Item(2));
    EXPECT_EQ(bar->FindControl(99), nullptr);
    EXPECT_THROW(bar->Item(0), std::out_of_range);
    EXPECT_THROW(bar->Item(3), std::out_of_range);
}

TEST(CommandBars, ShownMenuHasTheItemsSeparatorsAndUpdateStatesAndReportsTheChoice)
{
    CommandBars bars;
    auto bar = bars.AddPopupBar(QStringLiteral("Popup"));
    bar->AddButton(11, QStringLiteral("A"));
    bar->AddButton(12, QStringLiteral("B")).setSeparator(true);
    bar->AddButton(13, QStringLiteral("C"));

    // The update handler sees every item before the menu shows and greys out 12.
    QList<int> updated;
    QObject::connect(&bars, &CommandBars::Update, [&](CommandBarControl *c) {
        updated << c->Id();
        if (c->Id() == 12)
            c->setEnabled(false);
    });
    QSignalSpy executed(&bars, &CommandBars::Execute);

    MenuProbe probe;
    const int chosen = showAndPick(bars, *bar, 0, 0, 13, probe);
    ASSERT_TRUE(probe.seen);
    EXPECT_EQ(updated, (QList<int>{11, 12, 13}));
    ASSERT_EQ(probe.entries.size(), 3u);
    EXPECT_EQ(probe.entries[0].caption, QStringLiteral("A"));
    EXPECT_FALSE(probe.entries[0].separatorAbove);
    EXPECT_TRUE(probe.entries[1].separatorAbove);
    EXPECT_FALSE(probe.entries[1].enabled);
    EXPECT_TRUE(probe.entries[2].enabled);
    EXPECT_FALSE(probe.entries[2].separatorAbove);

    EXPECT_EQ(chosen, 13);
    ASSERT_EQ(executed.count(), 1);
    EXPECT_EQ(executed.at(0).at(0).toInt(), 13);
    EXPECT_EQ(bars.ActiveMenu(), nullptr); // released after it closed
}

TEST(CommandBars, DisabledOrDismissedMenuReportsNothing)
{
    CommandBars bars;
    auto bar = bars.AddPopupBar(QStringLiteral("Popup"));
    bar->AddButton(21, QStringLiteral("X"));
    QObject::connect(&bars, &CommandBars::Update, [](CommandBarControl *c) { c->setEnabled(false); });
    QSignalSpy executed(&bars, &CommandBars::Execute);

    MenuProbe probe;
    EXPECT_EQ(showAndPick(bars, *bar, 0, 0, 21, probe), 0);
    EXPECT_TRUE(probe.seen);
    EXPECT_EQ(executed.count(), 0);
}

TEST(CommandBars, MenuOpensAtThePointGivenInTwips)
{
    CommandBars bars;
    auto bar = bars.AddPopupBar(QStringLiteral("Popup"));
    bar->AddButton(1, QStringLiteral("項目"));
    const QPoint px(120, 80);
    const QPoint tw = twips::PixelsToTwips(px);

    MenuProbe probe;
    showAndPick(bars, *bar, tw.x(), tw.y(), 0, probe);
    ASSERT_TRUE(probe.seen);
    EXPECT_EQ(probe.pos, px);
}
