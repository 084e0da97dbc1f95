#include "SysTrayMenuItems.h"
#include "SysTrayNotify.h"

#include <QStringList>

#include <gtest/gtest.h>

namespace {

using SysTrayNotify::Decode;
using SysTrayNotify::Decoded;
using SysTrayNotify::Event;

TEST(SysTrayNotify, EveryNotificationOfTheTableYieldsItsEvent)
{
    EXPECT_EQ(Decode(0x200), (Decoded{Event::MouseMove, 0}));
    EXPECT_EQ(Decode(0x201), (Decoded{Event::MouseDown, 1}));
    EXPECT_EQ(Decode(0x202), (Decoded{Event::MouseUp, 1}));
    EXPECT_EQ(Decode(0x203), (Decoded{Event::DoubleClick, 1}));
    EXPECT_EQ(Decode(0x204), (Decoded{Event::MouseDown, 2}));
    EXPECT_EQ(Decode(0x205), (Decoded{Event::MouseUp, 2}));
    EXPECT_EQ(Decode(0x206), (Decoded{Event::DoubleClick, 2}));
    EXPECT_EQ(Decode(0x402), (Decoded{Event::BalloonShow, 0}));
    EXPECT_EQ(Decode(0x403), (Decoded{Event::BalloonHide, 0}));
    EXPECT_EQ(Decode(0x404), (Decoded{Event::BalloonTimeOut, 0}));
    EXPECT_EQ(Decode(0x405), (Decoded{Event::BalloonClicked, 0}));
}

TEST(SysTrayNotify, MiddleButtonSelectionAndUnknownValuesAreIgnored)
{
    // middle button down/up/double, selection and key selection, neighbours of the table
    for (int value : {0x207, 0x208, 0x209, 0x400, 0x401, 0x406, 0x1FF, 0, -1})
        EXPECT_EQ(Decode(value).event, Event::None) << std::hex << value;
}

TEST(SysTrayNotify, ActivationsBecomeThePressThenTheRelease)
{
    EXPECT_EQ(SysTrayNotify::FromActivation(QSystemTrayIcon::Context), (QList<int>{0x204, 0x205}));
    EXPECT_EQ(SysTrayNotify::FromActivation(QSystemTrayIcon::Trigger), (QList<int>{0x201, 0x202}));
    EXPECT_EQ(SysTrayNotify::FromActivation(QSystemTrayIcon::DoubleClick), (QList<int>{0x203}));
    EXPECT_TRUE(SysTrayNotify::FromActivation(QSystemTrayIcon::MiddleClick).isEmpty());
    EXPECT_TRUE(SysTrayNotify::FromActivation(QSystemTrayIcon::Unknown).isEmpty());
}

QStringList captions(const SysTrayMenuItems &items)
{
    QStringList list;
    for (int i = 0; i <= items.UBound(); ++i)
        list << items.At(i).caption + QLatin1Char(':') + items.At(i).key;
    return list;
}

TEST(SysTrayMenuItems, FirstEntryIsReusedThenEntriesAreAppended)
{
    SysTrayMenuItems items;
    EXPECT_EQ(items.UBound(), 0);
    EXPECT_FALSE(items.At(0).visible);
    EXPECT_EQ(items.AddMenuItem(QStringLiteral("A"), QStringLiteral("a"), false, true), 0);
    EXPECT_EQ(items.AddMenuItem(QStringLiteral("B"), QStringLiteral("b"), true, false), 1);
    EXPECT_EQ(items.AddMenuItem(QStringLiteral("C"), QStringLiteral("c"), false, false), 2);
    EXPECT_TRUE(items.At(0).visible);
    EXPECT_TRUE(items.At(0).checked);
    EXPECT_EQ(items.DefaultMenuIndex(), 1);
    EXPECT_EQ(captions(items), (QStringList{"A:a", "B:b", "C:c"}));
}

TEST(SysTrayMenuItems, RemovingMovesCaptionsAndKeysButNotTheFlags)
{
    SysTrayMenuItems items;
    for (const char *c : {"A", "B", "C", "D"})
        items.AddMenuItem(QString::fromLatin1(c), QString::fromLatin1(c).toLower(), false, false);
    items.setChecked(3, true);      // D checked
    items.EnableMenuItem(2, false); // C disabled
    items.RemoveMenuItem(2);
    EXPECT_EQ(captions(items), (QStringList{"A:a", "B:b", "D:d"}));
    EXPECT_FALSE(items.At(2).checked); // the flags stayed with their places
    EXPECT_FALSE(items.At(2).enabled);

    items.RemoveMenuItem(0); // entry 0 only loses its caption
    EXPECT_EQ(captions(items), (QStringList{":a", "B:b", "D:d"}));

    items.RemoveMenuItem(3);
    items.RemoveMenuItem(-1);
    EXPECT_EQ(items.UBound(), 2);
}

TEST(SysTrayMenuItems, IndexesOutsideTheListChangeNothing)
{
    SysTrayMenuItems items;
    items.AddMenuItem(QStringLiteral("A"), QString(), false, false);
    items.AddMenuItem(QStringLiteral("B"), QString(), false, false);
    items.setDefaultMenuIndex(1);
    EXPECT_EQ(items.DefaultMenuIndex(), 1);
    items.setDefaultMenuIndex(5);
    EXPECT_EQ(items.DefaultMenuIndex(), 0);
    items.EnableMenuItem(7, false);
    items.EnableMenuItem(-1, false);
    EXPECT_TRUE(items.At(0).enabled && items.At(1).enabled);

    // The default never points past the end after a removal.
    items.setDefaultMenuIndex(1);
    items.RemoveMenuItem(1);
    EXPECT_EQ(items.DefaultMenuIndex(), 0);
}

} // namespace
