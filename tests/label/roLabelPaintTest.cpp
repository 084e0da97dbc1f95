// The paint routine on images: line splitting, placement, rotation, outline ring, AutoSize, golden pictures.
#include "roLabelPaint.h"
#include "LabelImages.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QImage>
#include <QTransform>

#include <gtest/gtest.h>

using namespace roLabelPaint;
using labeltest::inkRect;

namespace {

constexpr int kWhite = 0xFFFFFF;
constexpr int kBlack = 0x000000;
constexpr int kRed = 0x0000FF; // red in the low byte

Look baseLook(const QString &caption)
{
    Look look;
    look.Caption = caption;
    look.Font = QFont(QStringLiteral("MS UI Gothic"));
    look.Font.setPointSize(15);
    look.Charset = 128;
    look.BackColor = kWhite;
    look.ForeColor = kBlack;
    look.BorderingColor = kRed;
    return look;
}

QImage surface(int w, int h, qreal dpr = 1.0)
{
    QImage image(static_cast<int>(w * dpr), static_cast<int>(h * dpr), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(dpr);
    return image;
}

QFontMetrics metricsOf(const Look &look)
{
    return QFontMetrics(BuildFontRecord(look.Font, look.Charset, look.DpiY));
}

bool isInk(QRgb px)
{
    return labeltest::channelDistance(px, qRgb(255, 255, 255)) > 32;
}

} // namespace

TEST(roLabelPaintTest, SplitsAtCrLfLfAndCrWithoutEmptyLinesInsidePairs)
{
    EXPECT_EQ(
        SplitLines(QStringLiteral("one\r\ntwo\nthree\rfour")),
        (QStringList{QStringLiteral("one"), QStringLiteral("two"), QStringLiteral("three"), QStringLiteral("four")}));
    EXPECT_EQ(SplitLines(QStringLiteral("a\r\n")), (QStringList{QStringLiteral("a"), QString()}));
    EXPECT_EQ(SplitLines(QStringLiteral("a\n\rb")).size(), 3); // LF then CR: two breaks
    EXPECT_EQ(SplitLines(QString()).size(), 1);
}

TEST(roLabelPaintTest, RoundsHalvesToEven)
{
    EXPECT_EQ(RoundHalfEven(0.5), 0);
    EXPECT_EQ(RoundHalfEven(1.5), 2);
    EXPECT_EQ(RoundHalfEven(2.5), 2);
    EXPECT_EQ(RoundHalfEven(-1.5), -2);
    EXPECT_EQ(RoundHalfEven(2.4999), 2);
    EXPECT_EQ(RoundHalfEven(2.5001), 3);
}

TEST(roLabelPaintTest, FontRecordRoundsPointSizeAndHonoursCharacterSet)
{
    QFont nine(QStringLiteral("MS UI Gothic"));
    nine.setPointSizeF(9);
    const QFont record = BuildFontRecord(nine, 128, 96);
    EXPECT_EQ(record.pixelSize(), 12);
    EXPECT_EQ(QFontInfo(record).family(), QStringLiteral("IPAGothic")); // substituted by name

    QFont tenAndHalf = nine;
    tenAndHalf.setPointSizeF(10.5); // the point size is rounded first: 10 pt -> 13.33 px -> 13
    EXPECT_EQ(BuildFontRecord(tenAndHalf, 128, 96).pixelSize(), 13);
    QFont elevenAndHalf = nine;
    elevenAndHalf.setPointSizeF(11.5); // 12 pt -> 16 px
    EXPECT_EQ(BuildFontRecord(elevenAndHalf, 128, 96).pixelSize(), 16);
    EXPECT_EQ(BuildFontRecord(nine, 128, 144).pixelSize(), 18);

    QFont bold = nine;
    bold.setWeight(QFont::DemiBold);
    EXPECT_EQ(BuildFontRecord(bold, 128, 96).weight(), QFont::Bold);
    bold.setWeight(QFont::Light);
    EXPECT_EQ(BuildFontRecord(bold, 128, 96).weight(), QFont::Normal);

    // A Latin-only face asked for with the Japanese character set yields a Japanese face.
    const QFont latin(QStringLiteral("DejaVu Sans"));
    const QString withJapanese = QFontInfo(BuildFontRecord(latin, 128, 96)).family();
    EXPECT_TRUE(QFontDatabase::writingSystems(withJapanese).contains(QFontDatabase::Japanese))
        << withJapanese.toStdString();
    EXPECT_EQ(QFontInfo(BuildFontRecord(latin, 1, 96)).family(), QStringLiteral("DejaVu Sans"));
}

TEST(roLabelPaintTest, EmptyCaptionDrawsNothing)
{
    QImage image = surface(60, 30);
    Look look = baseLook(QString());
    look.Bordering = true;
    const Result result = Paint(image, look);
    EXPECT_TRUE(inkRect(image, qRgb(255, 255, 255), 0).isNull());
    EXPECT_EQ(result.LastLine, 0);
    EXPECT_EQ(result.MaxWidth, 0);
}

TEST(roLabelPaintTest, HorizontalLinesStackDownwardsByStepAndAlign)
{
    Look look = baseLook(QStringLiteral("AAAA\r\nA\nAA"));
    const QFontMetrics fm = metricsOf(look);
    const int h = fm.height();
    const int W = 200;
    QImage image = surface(W, 3 * h + 10);
    Result result = Paint(image, look);
    ASSERT_EQ(result.Origins.size(), 3);
    EXPECT_EQ(result.LastLine, 2);
    EXPECT_EQ(result.MaxWidth, fm.horizontalAdvance(QStringLiteral("AAAA")));
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(result.Origins[i], QPoint(0, i * h));
        // each line's ink starts at the left edge, inside its own band
        const QRect ink = inkRect(image, qRgb(255, 255, 255), 64, QRect(0, i * h, W, h));
        ASSERT_FALSE(ink.isNull()) << i;
        EXPECT_LE(ink.left(), 2);
        EXPECT_LE(ink.right(), result.Widths[i]);
    }

    look.Alignment = roAlignCenter;
    result = Paint(image, look);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(result.Origins[i].x(), RoundHalfEven((W - result.Widths[i]) / 2.0)) << i;

    look.Alignment = roAlignBottom;
    result = Paint(image, look);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(result.Origins[i].x(), W - result.Widths[i]) << i;
        const QRect ink = inkRect(image, qRgb(255, 255, 255), 64, QRect(0, i * h, W, h));
        EXPECT_GE(ink.right(), W - 3) << i; // ends at the right edge
    }
}

TEST(roLabelPaintTest, UpsideDownBottomAlignmentEndsEachLineAtTheLeftEdge)
{
    Look look = baseLook(QStringLiteral("AAAAAA\r\nAA"));
    look.UpsideDown = true;
    look.Alignment = roAlignBottom;
    const int h = metricsOf(look).height();
    const int W = 220;
    const int H = 2 * h + 6;
    QImage image = surface(W, H);
    const Result result = Paint(image, look);
    ASSERT_EQ(result.Origins.size(), 2);
    EXPECT_EQ(result.Step, -h);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(result.Origins[i], QPoint(result.Widths[i], H - i * h)) << i;
        // turned by half a turn: the cell hangs above the reference point and runs leftwards to x = 0
        const QRect ink = inkRect(image, qRgb(255, 255, 255), 64, QRect(0, H - (i + 1) * h, W, h));
        ASSERT_FALSE(ink.isNull()) << i;
        EXPECT_LE(ink.left(), 2) << i;
        EXPECT_LE(ink.right(), result.Widths[i]) << i;
        EXPECT_GE(ink.right(), result.Widths[i] - 3) << i;
    }
}

// Each orientation is the horizontal picture turned: compare with the turned horizontal rendering.
TEST(roLabelPaintTest, RotationsMatchTheTurnedHorizontalPicture)
{
    Look look = baseLook(QStringLiteral("天気AB"));
    look.Bordering = true;
    look.BorderingWidth = 1;
    const QFontMetrics fm = metricsOf(look);
    const int w = fm.horizontalAdvance(look.Caption) + 2;
    const int h = fm.height() + 2;
    QImage horizontal = surface(w, h);
    Paint(horizontal, look);
    ASSERT_FALSE(inkRect(horizontal, qRgb(255, 255, 255)).isNull());

    struct Case {
        roOrientationConstants orientation;
        bool upsideDown;
        int clockwise;
    };
    for (const Case c : {Case{roVertical, false, 90}, Case{roHorizontal, true, 180}, Case{roVertical, true, 270}}) {
        Look turned = look;
        turned.Orientation = c.orientation;
        turned.UpsideDown = c.upsideDown;
        const bool swap = c.clockwise != 180;
        QImage image = swap ? surface(h, w) : surface(w, h);
        Paint(image, turned);
        const QImage expected = horizontal.transformed(QTransform().rotate(c.clockwise));
        ASSERT_EQ(image.size(), expected.size());
        const int differing = labeltest::differingPixels(image, expected, 96);
        EXPECT_LE(differing, w * h / 50) << "turned " << c.clockwise;
    }
}

TEST(roLabelPaintTest, VerticalFirstLineOnTheRightEdgeLaterLinesMoveLeft)
{
    Look look = baseLook(QStringLiteral("天気\r\n晴れ\r\n雨"));
    look.Orientation = roVertical;
    const QFontMetrics fm = metricsOf(look);
    const int h = fm.height();
    const int W = 4 * h;
    const int H = 80;
    QImage image = surface(W, H);
    const Result result = Paint(image, look);
    ASSERT_EQ(result.Origins.size(), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(result.Origins[i], QPoint(W - i * h, 0)) << i;
        const QRect band(W - (i + 1) * h, 0, h, H);
        const QRect ink = inkRect(image, qRgb(255, 255, 255), 64, band);
        ASSERT_FALSE(ink.isNull()) << i;
        EXPECT_LE(ink.top(), 3) << i; // lines run downwards from the top
        EXPECT_NEAR(ink.bottom(), result.Widths[i], 3) << i;
    }
    // nothing left of the third line
    EXPECT_TRUE(inkRect(image, qRgb(255, 255, 255), 32, QRect(0, 0, W - 3 * h - 1, H)).isNull());
}

// The ring: everything the outlined text covers is the text's ink spread by the width, ring-coloured outside.
TEST(roLabelPaintTest, OutlineIsARingOfTheWidthAroundTheGlyphs)
{
    for (const int width : {1, 2, 3}) {
        Look look = baseLook(QStringLiteral("東京 Ag"));
        look.Bordering = true;
        look.BorderingWidth = width;
        const QFontMetrics fm = metricsOf(look);
        const int W = fm.horizontalAdvance(look.Caption) + 4 * width + 4;
        const int H = fm.height() + 4 * width;
        QImage outlined = surface(W, H);
        Paint(outlined, look);
        Look textOnly = look;
        textOnly.BorderingColor = kWhite; // same placement, ring invisible
        QImage text = surface(W, H);
        Paint(text, textOnly);

        const auto inkAt = [](const QImage &img, int x, int y) {
            return x >= 0 && y >= 0 && x < img.width() && y < img.height() && isInk(img.pixel(x, y));
        };
        int mismatches = 0;
        int ringPixels = 0;
        int redRing = 0;
        int inkTotal = 0;
        for (int y = 0; y < H; ++y) {
            for (int x = 0; x < W; ++x) {
                int nearest = 1000; // Chebyshev distance to the text's ink, up to width
                for (int d = 0; d <= width && nearest == 1000; ++d) {
                    for (int dy = -d; dy <= d && nearest == 1000; ++dy)
                        for (int dx = -d; dx <= d; ++dx)
                            if ((std::abs(dx) == d || std::abs(dy) == d) && inkAt(text, x + dx, y + dy)) {
                                nearest = d;
                                break;
                            }
                }
                const bool covered = isInk(outlined.pixel(x, y));
                inkTotal += covered;
                if (covered != (nearest <= width))
                    ++mismatches;
                if (nearest > 0 && nearest <= width && covered) {
                    ++ringPixels;
                    const QRgb px = outlined.pixel(x, y);
                    if (qRed(px) > 200 && qGreen(px) < 120 && qBlue(px) < 120)
                        ++redRing;
                }
            }
        }
        ASSERT_GT(inkTotal, 0);
        EXPECT_LE(mismatches, inkTotal / 50) << "width " << width;
        EXPECT_GE(redRing, ringPixels * 7 / 10) << "width " << width; // edge pixels are blends
        // the text itself stays in the fore colour on top
        const QRect glyphs = inkRect(text, qRgb(255, 255, 255), 200);
        int black = 0;
        int solid = 0;
        for (int y = glyphs.top(); y <= glyphs.bottom(); ++y)
            for (int x = glyphs.left(); x <= glyphs.right(); ++x)
                if (labeltest::channelDistance(text.pixel(x, y), qRgb(0, 0, 0)) < 40) {
                    ++solid;
                    black += labeltest::channelDistance(outlined.pixel(x, y), qRgb(0, 0, 0)) < 40;
                }
        EXPECT_EQ(black, solid) << "width " << width;
    }
}

TEST(roLabelPaintTest, CoverageOutlineLooksLikeTheStraightforwardRing)
{
    for (const bool vertical : {false, true}) {
        for (const int width : {1, 2, 3}) {
            Look look = baseLook(QStringLiteral("東京都 晴れ\r\n12℃ / 20℃"));
            look.Bordering = true;
            look.BorderingWidth = width;
            look.Orientation = vertical ? roVertical : roHorizontal;
            look.Alignment = roAlignCenter;
            QImage fast = vertical ? surface(60, 160) : surface(160, 60);
            QImage ring = fast.copy();
            look.Method = OutlineMethod::Coverage;
            Paint(fast, look);
            look.Method = OutlineMethod::Ring;
            Paint(ring, look);
            const int ink = inkRect(ring, qRgb(255, 255, 255)).isNull() ? 0 : 1;
            ASSERT_EQ(ink, 1);
            EXPECT_LE(labeltest::differingPixels(fast, ring, 24), 0) << "width " << width << " vertical " << vertical;
            EXPECT_LE(labeltest::differingPixels(fast, ring, 4), fast.width() * fast.height() / 100);
        }
    }
}

TEST(roLabelPaintTest, BorderingWidthZeroDrawsNoRingAndKeepsPlacement)
{
    Look look = baseLook(QStringLiteral("AB\r\nCD"));
    look.Bordering = true;
    look.BorderingWidth = 0;
    QImage image = surface(100, 60);
    const Result result = Paint(image, look);
    EXPECT_EQ(result.Step, metricsOf(look).height());
    EXPECT_EQ(result.Origins[0], QPoint(0, 0));
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < rgb.height(); ++y)
        for (int x = 0; x < rgb.width(); ++x)
            ASSERT_EQ(qRed(rgb.pixel(x, y)), qGreen(rgb.pixel(x, y))) << "ring-coloured pixel at " << x << "," << y;
}

TEST(roLabelPaintTest, HugeBorderingWidthStaysBounded)
{
    Look look = baseLook(QStringLiteral("A"));
    look.Bordering = true;
    look.BorderingWidth = 2000000000;
    look.AutoSize = true;
    QImage image = surface(40, 30);
    const Result result = Paint(image, look);
    EXPECT_TRUE(result.AutoSizeResult.isValid());
    EXPECT_GT(result.AutoSizeResult.width(), 0);
}

TEST(roLabelPaintTest, AutoSizeMeasuresLinesBorderingAndItalic)
{
    Look look = baseLook(QStringLiteral("AAAA\r\nA"));
    look.AutoSize = true;
    const QFontMetrics fm = metricsOf(look);
    const int h = fm.height();
    const int w = fm.horizontalAdvance(QStringLiteral("AAAA"));
    QImage image = surface(10, 10);
    EXPECT_EQ(Paint(image, look).AutoSizeResult, QSize(w, 2 * h));

    look.Bordering = true;
    look.BorderingWidth = 3;
    EXPECT_EQ(Paint(image, look).AutoSizeResult, QSize(w + 6, 2 * (h + 6)));

    look.Orientation = roVertical;
    EXPECT_EQ(Paint(image, look).AutoSizeResult, QSize(2 * (h + 6), w + 6));

    // empty caption: as wide as "A" (no ring added to the width), one line high
    look.Caption.clear();
    EXPECT_EQ(Paint(image, look).AutoSizeResult, QSize(h + 6, fm.horizontalAdvance(QStringLiteral("A"))));
    look.Orientation = roHorizontal;
    look.Bordering = false;
    EXPECT_EQ(Paint(image, look).AutoSizeResult, QSize(fm.horizontalAdvance(QStringLiteral("A")), h));

    // italic adds round(height of "A" / 3.7314745)
    look.Caption = QStringLiteral("AAAA");
    look.Font.setItalic(true);
    const QFontMetrics italic = metricsOf(look);
    const int allowance = RoundHalfEven(italic.height() / 3.7314745);
    EXPECT_GE(allowance, 1);
    EXPECT_EQ(Paint(image, look).AutoSizeResult,
              QSize(italic.horizontalAdvance(QStringLiteral("AAAA")) + allowance, italic.height()));

    // a null surface (a control of size 0) still measures
    QImage none;
    look.Font.setItalic(false);
    EXPECT_EQ(Paint(none, look).AutoSizeResult, QSize(w, h));
}

TEST(roLabelPaintTest, ThreeVerticalLinesAutoSizeToThreeHeightsWide)
{
    Look look = baseLook(QStringLiteral("天気\r\n晴れのち曇り\r\n雨"));
    look.Orientation = roVertical;
    look.AutoSize = true;
    const QFontMetrics fm = metricsOf(look);
    QImage image = surface(10, 10);
    EXPECT_EQ(Paint(image, look).AutoSizeResult,
              QSize(3 * fm.height(), fm.horizontalAdvance(QStringLiteral("晴れのち曇り"))));
}

TEST(roLabelPaintTest, DevicePixelRatioTwoDrawsCrispTextAtTheSameGeometry)
{
    Look look = baseLook(QStringLiteral("東京 晴れ\r\n12℃"));
    look.Bordering = true;
    QImage one = surface(120, 50);
    QImage two = surface(120, 50, 2.0);
    const Result r1 = Paint(one, look);
    const Result r2 = Paint(two, look);
    EXPECT_EQ(two.size(), QSize(240, 100));
    EXPECT_EQ(r1.Origins, r2.Origins); // logical coordinates

    const QRect ink1 = inkRect(one, qRgb(255, 255, 255));
    const QRect ink2 = inkRect(two, qRgb(255, 255, 255));
    EXPECT_NEAR(ink2.left(), 2 * ink1.left(), 2);
    EXPECT_NEAR(ink2.top(), 2 * ink1.top(), 2);
    EXPECT_NEAR(ink2.right(), 2 * ink1.right() + 1, 3);
    EXPECT_NEAR(ink2.bottom(), 2 * ink1.bottom() + 1, 3);

    // really drawn at twice the resolution, not the small picture scaled up
    QImage scaled = one.scaled(240, 100, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    two.setDevicePixelRatio(1.0);
    EXPECT_GT(labeltest::differingPixels(two, scaled, 64), 100);
    EXPECT_TRUE(labeltest::compareWithGolden(two, QStringLiteral("dpr2_outlined.png")).isEmpty())
        << labeltest::compareWithGolden(two, QStringLiteral("dpr2_outlined.png")).toStdString();
}

TEST(roLabelPaintTest, GoldenPictures)
{
    // the desktop widget's text: 9 pt, outlined, centred
    Look telop = baseLook(QStringLiteral("東京 晴れ\r\n最低 12℃ / 最高 20℃"));
    telop.Font.setPointSize(9);
    telop.Bordering = true;
    telop.BorderingColor = 0xFEFFFF;
    telop.BackColor = 0x00FF00; // green key
    telop.Alignment = roAlignCenter;
    QImage image = surface(140, 30);
    Paint(image, telop);
    QString problem = labeltest::compareWithGolden(image, QStringLiteral("telop_centered.png"));
    EXPECT_TRUE(problem.isEmpty()) << problem.toStdString();

    Look vertical = baseLook(QStringLiteral("天気予報\r\n晴れ"));
    vertical.Orientation = roVertical;
    vertical.Alignment = roAlignBottom;
    vertical.Bordering = true;
    vertical.BorderingWidth = 2;
    image = surface(50, 80);
    Paint(image, vertical);
    problem = labeltest::compareWithGolden(image, QStringLiteral("vertical_bottom_w2.png"));
    EXPECT_TRUE(problem.isEmpty()) << problem.toStdString();

    Look upside = baseLook(QStringLiteral("Skycaster\r\n天気"));
    upside.UpsideDown = true;
    upside.Alignment = roAlignCenter;
    image = surface(100, 50);
    Paint(image, upside);
    problem = labeltest::compareWithGolden(image, QStringLiteral("upside_down_centered.png"));
    EXPECT_TRUE(problem.isEmpty()) << problem.toStdString();
}
