// The warning mark on pictures and icons: JMA's colours, and never the colour a widget's shape cuts away.
#include "WarningMark.h"
#include "c32BitIcon.h"

#include <gtest/gtest.h>

namespace {

int pixelsOf(const QImage &img, QRgb rgb)
{
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            n += (img.pixel(x, y) & 0xFFFFFFu) == (rgb & 0xFFFFFFu) ? 1 : 0;
    return n;
}

} // namespace

TEST(WarningMark, StampedPictureCarriesTheMarkButNeverTheKeyColour)
{
    for (WarningLevel level :
         {WarningLevel::Advisory, WarningLevel::Warning, WarningLevel::Danger, WarningLevel::Emergency}) {
        SCOPED_TRACE(static_cast<int>(level));
        const QColor colour = warningmark::Colour(level);
        for (QColor key : {colour, QColor(Qt::white)}) { // a background of the mark's fill or of its ring
            QImage picture(50, 31, QImage::Format_RGB32);
            picture.fill(key);
            const QImage stamped = warningmark::Stamped(picture, level, key);
            EXPECT_EQ(stamped.size(), picture.size());
            EXPECT_EQ(stamped.pixelColor(0, 0), key); // the key is still read where it was
            // The mark's corner holds no key-coloured pixel inside the disc, and the disc is there.
            EXPECT_NE(stamped.pixelColor(stamped.width() - 5, 5), key);
            const int unchanged = pixelsOf(stamped, key.rgb());
            EXPECT_GT(unchanged, 50 * 31 - 150);
            EXPECT_LT(unchanged, 50 * 31 - 20);
        }
    }
    const QImage plain(20, 20, QImage::Format_RGB32);
    EXPECT_EQ(warningmark::Stamped(plain, WarningLevel::None, Qt::black), plain);
}

TEST(WarningMark, EveryIconSizeCarriesTheColourOfItsLevel)
{
    const QIcon icon = c32BitIcon::LoadIconGroup(QStringLiteral("AAA"));
    const QIcon marked = warningmark::Marked(icon, WarningLevel::Danger);
    for (int size : c32BitIcon::kSizes) {
        SCOPED_TRACE(size);
        const QImage image = marked.pixmap(size).toImage();
        EXPECT_EQ(image.size(), QSize(size, size));
        EXPECT_GT(pixelsOf(image, warningmark::Colour(WarningLevel::Danger).rgb()), 4);
        EXPECT_EQ(pixelsOf(icon.pixmap(size).toImage(), warningmark::Colour(WarningLevel::Danger).rgb()), 0);
    }
}
