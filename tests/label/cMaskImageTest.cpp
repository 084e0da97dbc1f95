// Mask and picture helpers: the two-colour mask, logical pixels of HiDPI sources, bitmap copies and ownership.
#include "cMaskImage.h"
#include "cPictureUtil.h"

#include <QImage>
#include <QPainter>
#include <QPixmap>

#include <gtest/gtest.h>

namespace {

const QRgb kKey = qRgb(0, 255, 0);

QImage keyImage(int w, int h, qreal dpr = 1.0)
{
    QImage image(static_cast<int>(w * dpr), static_cast<int>(h * dpr), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(dpr);
    image.fill(kKey);
    return image;
}

roCanvas canvas(int w, int h)
{
    roCanvas c;
    c.BackColor = QColor(255, 255, 255);
    c.ForeColor = QColor(0, 0, 0);
    c.Resize(w, h);
    return c;
}

} // namespace

TEST(cMaskImageTest, MarksEveryPixelThatDiffersFromTheTransparentColour)
{
    QImage src = keyImage(8, 6);
    src.setPixel(2, 3, qRgb(0, 254, 0)); // one step away is not the key
    src.setPixel(7, 5, qRgb(255, 0, 0));
    roCanvas dest = canvas(8, 6);
    ASSERT_TRUE(cMaskImage().CreateMaskImage(src, 8, 6, dest, kKey));
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 8; ++x) {
            const bool visible = (x == 2 && y == 3) || (x == 7 && y == 5);
            EXPECT_EQ(dest.Image.pixel(x, y), visible ? qRgb(0, 0, 0) : qRgb(255, 255, 255)) << x << "," << y;
        }

    // all transparent: all back colour
    roCanvas all = canvas(8, 6);
    all.Image.fill(Qt::red);
    ASSERT_TRUE(cMaskImage().CreateMaskImage(keyImage(8, 6), 8, 6, all, kKey));
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 8; ++x)
            ASSERT_EQ(all.Image.pixel(x, y), qRgb(255, 255, 255));
}

TEST(cMaskImageTest, EmptyAreaCopiesNothingAndSucceeds)
{
    roCanvas dest = canvas(4, 4);
    dest.Image.fill(Qt::red);
    QImage src = keyImage(4, 4);
    src.fill(Qt::blue);
    EXPECT_TRUE(cMaskImage().CreateMaskImage(src, 0, 4, dest, kKey));
    EXPECT_TRUE(cMaskImage().CreateMaskImage(src, 4, 0, dest, kKey));
    EXPECT_TRUE(cMaskImage().CreateMaskImage(QImage(), 4, 4, dest, kKey));
    EXPECT_EQ(dest.Image.pixel(0, 0), qRgb(255, 0, 0));
    // an area larger than either image is clipped, not overrun
    EXPECT_TRUE(cMaskImage().CreateMaskImage(src, 100, 100, dest, kKey));
    EXPECT_EQ(dest.Image.pixel(3, 3), qRgb(0, 0, 0));
}

TEST(cMaskImageTest, HiDpiSourceGivesALogicalMask)
{
    QImage src = keyImage(5, 4, 2.0);     // 10 x 8 device pixels
    src.setPixel(7, 5, qRgb(10, 10, 10)); // device (7,5) -> logical (3,2)
    roCanvas dest = canvas(5, 4);
    ASSERT_TRUE(cMaskImage().CreateMaskImage(src, 5, 4, dest, kKey));
    EXPECT_EQ(dest.Image.size(), QSize(5, 4));
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(dest.Image.pixel(x, y) == qRgb(0, 0, 0), x == 3 && y == 2) << x << "," << y;
}

TEST(cMaskImageTest, MaskFromPictureBoxesUsesTheSourceBackColourAndSize)
{
    roCanvas from;
    from.BackColor = QColor(0, 0, 255);
    from.Resize(6, 3);
    from.Image.setPixel(1, 1, qRgb(255, 255, 0));
    roCanvas to = canvas(1, 1);
    ASSERT_TRUE(cMaskImage().CreateMaskImage2(from, to));
    ASSERT_EQ(to.Image.size(), QSize(6, 3));
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 6; ++x)
            EXPECT_EQ(to.Image.pixel(x, y) == qRgb(0, 0, 0), x == 1 && y == 1) << x << "," << y;

    // an explicit colour (red in the low byte): yellow is transparent, the blue rest is not
    ASSERT_TRUE(cMaskImage().CreateMaskImage2(from, to, 0x00FFFF));
    EXPECT_EQ(to.Image.pixel(1, 1), qRgb(255, 255, 255));
    EXPECT_EQ(to.Image.pixel(0, 0), qRgb(0, 0, 0));
}

TEST(cPictureUtilTest, BitmapsArePrivateCopiesAndPicturesOwnTheirBitmap)
{
    const cPictureUtil util;
    EXPECT_EQ(util.BitmapToPicture(QImage()), nullptr);
    EXPECT_TRUE(util.HBitmapFromPicture(nullptr).isNull());
    EXPECT_TRUE(util.HBitmapFromDC(QImage(), 0, 5).isNull());

    QImage device(6, 4, QImage::Format_ARGB32_Premultiplied);
    device.fill(Qt::blue);
    device.setPixel(5, 3, qRgb(1, 2, 3));
    QImage bitmap = util.HBitmapFromDC(device, 8, 5);
    ASSERT_EQ(bitmap.size(), QSize(8, 5));
    EXPECT_EQ(bitmap.pixel(0, 0), qRgb(0, 0, 255));
    EXPECT_EQ(bitmap.pixel(5, 3), qRgb(1, 2, 3));
    EXPECT_EQ(bitmap.pixel(7, 4), qRgb(0, 0, 0)); // beyond the device
    device.fill(Qt::red);
    EXPECT_EQ(bitmap.pixel(0, 0), qRgb(0, 0, 255)); // a copy, not a view

    std::shared_ptr<const QPixmap> picture = util.BitmapToPicture(std::move(bitmap));
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->size(), QSize(8, 5));
    QImage again = util.HBitmapFromPicture(picture);
    ASSERT_EQ(again.size(), QSize(8, 5));
    EXPECT_EQ(again.pixel(5, 3), qRgb(1, 2, 3));
    again.fill(Qt::green);
    EXPECT_EQ(picture->toImage().pixel(5, 3), qRgb(1, 2, 3));
}
