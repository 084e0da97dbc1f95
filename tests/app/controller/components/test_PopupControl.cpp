// The pop-up window component: items, pictures, clicks, cursor, fading states and placement.
#include "PopupControl.h"

#include <QApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

bool waitForState(const PopupControl &popup, int state)
{
    return QTest::qWaitFor([&] { return popup.State() == state; }, 3000);
}

void sendMouse(QWidget &w, QEvent::Type type, const QPoint &pos)
{
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    const Qt::MouseButtons buttons = type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton;
    QMouseEvent e(type, QPointF(pos), w.mapToGlobal(QPointF(pos)), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(&w, &e);
}

void click(QWidget &w, const QPoint &pos)
{
    sendMouse(w, QEvent::MouseButtonPress, pos);
    sendMouse(w, QEvent::MouseButtonRelease, pos);
}

// A 16 x 12 picture: a red block in the middle of a key-coloured field.
QImage keyedPicture(const QColor &key)
{
    QImage img(16, 12, QImage::Format_RGB32);
    img.fill(key);
    for (int y = 4; y < 8; ++y)
        for (int x = 4; x < 12; ++x)
            img.setPixelColor(x, y, Qt::red);
    return img;
}

} // namespace

TEST(PopupControl, ItemsKeepWhatWasGivenAndCanBeRemoved)
{
    PopupControl popup;
    EXPECT_EQ(popup.State(), 0);
    EXPECT_EQ(popup.size(), QSize(300, 180));

    PopupControlItem &a = popup.AddItem(5, 25, 295, 175, QString(), QColor(191, 219, 255), QColor(200, 200, 200));
    PopupControlItem &b = popup.AddItem(10, 100, 290, 170, QStringLiteral("説明"));
    b.setTextAlignment(16);
    b.setId(5);
    ASSERT_EQ(popup.ItemCount(), 2);
    EXPECT_EQ(&popup.Item(1), &a);
    EXPECT_EQ(a.Rect(), QRect(5, 25, 290, 150)); // right and bottom are exclusive
    EXPECT_EQ(*a.BackColor(), QColor(191, 219, 255));
    EXPECT_FALSE(b.BackColor().has_value());
    EXPECT_FALSE(b.BorderColor().has_value());
    EXPECT_EQ(popup.FindItem(5), &b);
    EXPECT_THROW(popup.Item(3), std::out_of_range);

    b.SetImage(keyedPicture(Qt::white), Qt::white, 1);
    EXPECT_FALSE(b.Image().isNull());
    popup.RemoveAllImages();
    EXPECT_TRUE(b.Image().isNull());
    EXPECT_EQ(popup.ItemCount(), 2);

    popup.RemoveAllItems();
    EXPECT_EQ(popup.ItemCount(), 0);
    EXPECT_EQ(popup.FindItem(5), nullptr);
}

TEST(PopupControl, TextFormatFlagsOfTheItems)
{
    // 36: one line, left, vertically centred; 34: one line, right; 16: wrapped from the top left.
    EXPECT_EQ(PopupControlItem::QtTextFlags(36), int(Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine));
    EXPECT_EQ(PopupControlItem::QtTextFlags(34), int(Qt::AlignRight | Qt::AlignTop | Qt::TextSingleLine));
    EXPECT_EQ(PopupControlItem::QtTextFlags(16), int(Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap));
}

TEST(PopupControl, DrawsBackgroundsBordersAndPicturesWithTheirTransparentColour)
{
    PopupControl popup;
    popup.AddItem(0, 0, 300, 180, QString(), QColor(219, 233, 251), QColor(255, 255, 255));
    PopupControlItem &pic = popup.AddItem(20, 55, 300, 180, QString());
    pic.SetImage(keyedPicture(Qt::white), Qt::white, 1);
    PopupControlItem &hotOnly = popup.AddItem(100, 10, 116, 22, QString());
    hotOnly.SetImage(keyedPicture(Qt::black), Qt::black, 2);
    hotOnly.setId(9);

    QImage shot = popup.grab().toImage();
    EXPECT_EQ(shot.pixelColor(0, 0), QColor(255, 255, 255));     // border
    EXPECT_EQ(shot.pixelColor(2, 2), QColor(219, 233, 251));     // background
    EXPECT_EQ(shot.pixelColor(20 + 6, 55 + 6), QColor(Qt::red)); // picture
    EXPECT_EQ(shot.pixelColor(20, 55), QColor(219, 233, 251));   // its white is transparent
    // A picture that serves only the hot state is not drawn until the mouse is over it.
    EXPECT_EQ(shot.pixelColor(106, 16), QColor(219, 233, 251));
    sendMouse(popup, QEvent::MouseMove, {106, 16});
    shot = popup.grab().toImage();
    EXPECT_EQ(shot.pixelColor(106, 16), QColor(Qt::red));
    EXPECT_EQ(shot.pixelColor(100, 10), QColor(219, 233, 251));
}

TEST(PopupControl, ClicksReportClickableItemsAndLinksShowAHandCursor)
{
    PopupControl popup;
    popup.AddItem(0, 0, 300, 180, QString(), QColor(219, 233, 251), QColor(255, 255, 255));
    PopupControlItem &plain = popup.AddItem(10, 100, 290, 170, QStringLiteral("説明"));
    plain.setId(5); // an identifier alone does not make text clickable
    PopupControlItem &link = popup.AddItem(150, 150, 290, 170, QStringLiteral("ピンポイント"));
    link.setHyperlink(true);
    link.setId(4);
    PopupControlItem &button = popup.AddItem(278, 6, 294, 19, QString());
    button.SetImage(keyedPicture(Qt::black), Qt::black, 7);
    button.setId(2);
    EXPECT_FALSE(plain.Clickable());
    EXPECT_TRUE(link.Clickable());
    EXPECT_TRUE(button.Clickable());

    QSignalSpy clicks(&popup, &PopupControl::ItemClick);
    click(popup, {50, 120});  // plain text
    click(popup, {200, 160}); // link, lying over the text
    click(popup, {285, 10});  // picture button
    ASSERT_EQ(clicks.count(), 2);
    EXPECT_EQ(clicks.at(0).at(0).value<PopupControlItem *>(), &link);
    EXPECT_EQ(clicks.at(1).at(0).value<PopupControlItem *>(), &button);

    // Pressed on one item and released elsewhere is no click.
    sendMouse(popup, QEvent::MouseButtonPress, {200, 160});
    sendMouse(popup, QEvent::MouseButtonRelease, {50, 120});
    EXPECT_EQ(clicks.count(), 2);

    sendMouse(popup, QEvent::MouseMove, {200, 160});
    EXPECT_EQ(popup.cursor().shape(), Qt::PointingHandCursor);
    sendMouse(popup, QEvent::MouseMove, {50, 120});
    EXPECT_EQ(popup.cursor().shape(), Qt::ArrowCursor);

    // A handler that refills the pop-up during the click leaves nothing dangling.
    QObject::connect(&popup, &PopupControl::ItemClick, [&](PopupControlItem *) { popup.RemoveAllItems(); });
    click(popup, {200, 160});
    EXPECT_EQ(popup.ItemCount(), 0);
    sendMouse(popup, QEvent::MouseMove, {200, 160});
    EXPECT_EQ(popup.cursor().shape(), Qt::ArrowCursor);
}

TEST(PopupControl, FadesInAndOutThroughTheFourStates)
{
    PopupControl popup;
    QList<int> states;
    QObject::connect(&popup, &PopupControl::StateChanged, [&](int s) { states << s; });

    popup.Show(QPoint(10, 10));
    EXPECT_EQ(popup.State(), 1);
    EXPECT_TRUE(popup.isVisible());
    ASSERT_TRUE(waitForState(popup, 2));
    EXPECT_DOUBLE_EQ(popup.windowOpacity(), 1.0);

    popup.Close();
    EXPECT_EQ(popup.State(), 3);
    ASSERT_TRUE(waitForState(popup, 0));
    EXPECT_FALSE(popup.isVisible());
    EXPECT_EQ(states, (QList<int>{1, 2, 3, 0}));

    // Closing a closed pop-up changes nothing; showing it while it fades out brings it back.
    popup.Close();
    EXPECT_EQ(states.size(), 4);
    popup.Show(QPoint(10, 10));
    ASSERT_TRUE(waitForState(popup, 2));
    popup.Close();
    popup.Show(QPoint(10, 10));
    EXPECT_EQ(popup.State(), 1);
    ASSERT_TRUE(waitForState(popup, 2));
    EXPECT_TRUE(popup.isVisible());
    EXPECT_EQ(states, (QList<int>{1, 2, 3, 0, 1, 2, 3, 1, 2}));
}

TEST(PopupControl, IsAnOrdinaryWindowOfAFixedSizeThatEscapeCloses)
{
    // Window managers hide tool windows while their program is inactive, and tile resizable ones.
    PopupControl popup;
    EXPECT_EQ(popup.windowType(), Qt::Window);
    EXPECT_EQ(popup.minimumSize(), popup.maximumSize());
    popup.Show(QPoint(10, 10));
    ASSERT_TRUE(waitForState(popup, 2));
    QTest::keyClick(&popup, Qt::Key_Escape);
    EXPECT_EQ(popup.State(), 3);
    ASSERT_TRUE(waitForState(popup, 0));
}

TEST(PopupControl, SitsAtTheBottomRightOfTheAvailableArea)
{
    // A panel at the bottom (744 of 768 lines usable) and one at the top (from line 24 on).
    EXPECT_EQ(PopupControl::Placement(QRect(0, 0, 1024, 744), QSize(300, 180)), QRect(724, 564, 300, 180));
    EXPECT_EQ(PopupControl::Placement(QRect(0, 24, 1024, 744), QSize(300, 180)), QRect(724, 588, 300, 180));
    // A second screen to the right.
    EXPECT_EQ(PopupControl::Placement(QRect(1024, 0, 800, 600), QSize(300, 180)).bottomRight(), QPoint(1823, 599));
    // Too large for the area: the top left stays on it.
    EXPECT_EQ(PopupControl::Placement(QRect(0, 0, 200, 100), QSize(300, 180)).topLeft(), QPoint(0, 0));

    PopupControl popup;
    popup.SetSize(300, 180);
    popup.Show(QPoint(5, 5));
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_EQ(popup.geometry().size(), QSize(300, 180));
    EXPECT_EQ(popup.geometry().bottomRight(), available.bottomRight());
    ASSERT_TRUE(waitForState(popup, 2));
    popup.Close();
    ASSERT_TRUE(waitForState(popup, 0));
}

TEST(PopupControl, ClosesItselfWhenLeftAloneButNotWhileThePointerRestsOnIt)
{
    EXPECT_GE(PopupControl::kDefaultAutoCloseMs, 10000);
    EXPECT_LE(PopupControl::kDefaultAutoCloseMs, 15000);
    PopupControl popup;
    popup.setAutoCloseDelay(300);
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    QCursor::setPos(available.topLeft());

    // Left alone: it fades out by itself.
    popup.Show(QPoint(5, 5));
    ASSERT_TRUE(waitForState(popup, PopupControl::StateShown));
    EXPECT_TRUE(popup.AutoCloseRunning());
    ASSERT_TRUE(waitForState(popup, PopupControl::StateClosed));

    // The pointer on it stops the countdown; leaving starts it again.
    popup.Show(QPoint(5, 5));
    ASSERT_TRUE(waitForState(popup, PopupControl::StateShown));
    QCursor::setPos(popup.geometry().center());
    QEnterEvent enter(QPointF(10, 10), QPointF(10, 10), QPointF(popup.geometry().center()));
    QApplication::sendEvent(&popup, &enter);
    EXPECT_FALSE(popup.AutoCloseRunning());
    QTest::qWait(700);
    EXPECT_EQ(popup.State(), PopupControl::StateShown);
    QCursor::setPos(available.topLeft());
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&popup, &leave);
    EXPECT_TRUE(popup.AutoCloseRunning());
    ASSERT_TRUE(waitForState(popup, PopupControl::StateClosed));

    // A delay of 0 keeps it open.
    popup.setAutoCloseDelay(0);
    popup.Show(QPoint(5, 5));
    ASSERT_TRUE(waitForState(popup, PopupControl::StateShown));
    EXPECT_FALSE(popup.AutoCloseRunning());
    popup.Close();
}
