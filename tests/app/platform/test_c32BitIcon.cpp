#include "c32BitIcon.h"

#include <QDialog>
#include <QImage>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

int redPixels(const QImage &img)
{
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const QColor c = img.pixelColor(x, y);
            n += (c.alpha() > 200 && c.red() > 190 && c.green() < 60 && c.blue() < 60) ? 1 : 0;
        }
    return n;
}

TEST(c32BitIcon, BothGroupsExistAtEverySizeAndOnlyTheFailureIconCarriesTheRedMark)
{
    const QIcon normal = c32BitIcon::LoadIconGroup(QStringLiteral("AAA"));
    const QIcon failure = c32BitIcon::LoadIconGroup(QStringLiteral("BBB"));
    ASSERT_FALSE(normal.isNull());
    ASSERT_FALSE(failure.isNull());
    for (int size : c32BitIcon::kSizes) {
        SCOPED_TRACE(size);
        EXPECT_TRUE(normal.availableSizes().contains(QSize(size, size)));
        EXPECT_TRUE(failure.availableSizes().contains(QSize(size, size)));
        const QImage a = normal.pixmap(size, size).toImage();
        const QImage b = failure.pixmap(size, size).toImage();
        ASSERT_EQ(a.size(), QSize(size, size));
        EXPECT_EQ(redPixels(a), 0);
        EXPECT_GT(redPixels(b), size * size / 25);
        // Transparent corners: the icon sits on any panel colour.
        EXPECT_EQ(a.pixelColor(0, size - 1).alpha(), 0);
    }
    EXPECT_TRUE(c32BitIcon::LoadIconGroup(QStringLiteral("ZZZ")).isNull());
    EXPECT_TRUE(c32BitIcon::LoadIconGroup(QString()).isNull());
}

TEST(c32BitIcon, SetsTheWindowAndOnRequestItsTopOwner)
{
    QWidget top;
    QDialog middle(&top);
    QDialog window(&middle);
    EXPECT_EQ(c32BitIcon::TopOwner(&window), &top);
    EXPECT_EQ(c32BitIcon::TopOwner(&top), &top);

    c32BitIcon icons;
    const QIcon small = icons.SetIcon2(&window, QStringLiteral("BBB"), false);
    EXPECT_FALSE(small.isNull());
    EXPECT_EQ(window.windowIcon().cacheKey(), small.cacheKey());
    EXPECT_NE(top.windowIcon().cacheKey(), small.cacheKey());

    icons.SetIcon(&window, QStringLiteral("AAA"), true);
    const qint64 key = window.windowIcon().cacheKey();
    EXPECT_EQ(top.windowIcon().cacheKey(), key);
    EXPECT_NE(key, small.cacheKey());

    // A missing group clears the window's icon and hands back a null icon.
    EXPECT_TRUE(icons.SetIcon2(&window, QStringLiteral("nope"), false).isNull());
    EXPECT_TRUE(window.windowIcon().availableSizes().isEmpty());
}

} // namespace
