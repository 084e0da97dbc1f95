#include "Twips.h"

#include <QGuiApplication>
#include <QScreen>

#include <gtest/gtest.h>

TEST(Twips, FollowTheScreensLogicalDpiAndRoundHalvesToEven)
{
    QScreen *screen = QGuiApplication::primaryScreen();
    ASSERT_NE(screen, nullptr);
    const double dpi = screen->logicalDotsPerInchX();
    EXPECT_DOUBLE_EQ(twips::TwipsPerPixelX(screen), 1440.0 / dpi);
    // One logical inch is 1440 twips whatever the screen.
    EXPECT_EQ(twips::TwipsToPixels(QPoint(1440, 2880), screen), QPoint(qRound(dpi), qRound(2 * dpi)));
    EXPECT_EQ(twips::TwipsToPixels(QSize(1440, 2880), screen).width(), qRound(dpi));
    // A cursor position survives the way there and back, as the menus' callers use it.
    for (const QPoint px : {QPoint(0, 0), QPoint(137, 59), QPoint(799, 1)})
        EXPECT_EQ(twips::TwipsToPixels(twips::PixelsToTwips(px, screen), screen), px);
    for (const auto &[value, rounded] : {std::pair{2.5, 2}, {3.5, 4}, {-2.5, -2}, {2.4999, 2}, {2.5001, 3}})
        EXPECT_EQ(twips::RoundHalfEven(value), rounded) << value;
}
