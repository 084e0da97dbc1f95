#include "StyledToolTip.h"
#include "Twips.h"
#include "cUniqTTT.h"
#include "fWeather.h"
#include "roLabel.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QProcess>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// A forecast-like picture: white background, a dark blue sun with a white hole and an orange bar.
QString writePicture(const QTemporaryDir &dir, const QString &name, QSize size, QColor background = Qt::white)
{
    QImage img(size, QImage::Format_RGB32);
    img.fill(background);
    QPainter p(&img);
    p.fillRect(QRect(10, 5, size.width() - 20, size.height() - 10), QColor(20, 40, 160));
    p.fillRect(QRect(20, 12, 6, 6), Qt::white);
    p.fillRect(QRect(12, size.height() - 9, 10, 3), QColor(250, 150, 20));
    p.end();
    const QString path = dir.filePath(name);
    EXPECT_TRUE(img.save(path, "BMP"));
    return path;
}

TEST(fWeatherLayout, WorkedExamples)
{
    // Label 80 x 30 and picture 60 x 40 around (500, 300).
    EXPECT_EQ(fWeather::ComputeLayout(500, 300, QSize(80, 30), QSize(60, 40)),
              (fWeather::Layout{QRect(460, 270, 80, 60), QPoint(10, 0), QPoint(0, 30)}));
    // A picture wider than the label: the window takes its width, the picture sits at x 0.
    EXPECT_EQ(fWeather::ComputeLayout(500, 300, QSize(80, 30), QSize(120, 40)),
              (fWeather::Layout{QRect(440, 270, 120, 60), QPoint(0, 0), QPoint(0, 30)}));
    // Odd width 101: left = rounded 449.5 = 450; height 13 * 2 / 3 + 31 = 39.67 -> 40.
    const fWeather::Layout odd = fWeather::ComputeLayout(500, 300, QSize(101, 13), QSize(50, 31));
    EXPECT_EQ(odd.window, QRect(450, 280, 101, 40));
    EXPECT_EQ(odd.picture, QPoint(26, 0)); // (101 - 50) / 2 = 25.5 -> 26
    EXPECT_EQ(odd.telop, QPoint(0, 27));
    // A centre near the integer limit: the centre becomes the corner instead of overflowing.
    const fWeather::Layout edge = fWeather::ComputeLayout(INT_MIN, INT_MIN, QSize(80, 30), QSize(60, 40));
    EXPECT_EQ(edge.window.topLeft(), QPoint(INT_MIN, INT_MIN));
}

TEST(fWeatherLayout, KeyedOutPictureIsClearWhereTheTopLeftColourIsAndOpaqueElsewhere)
{
    QImage img(3, 2, QImage::Format_RGB32);
    img.fill(QColor(255, 0, 255));
    img.setPixelColor(1, 0, QColor(255, 0, 254)); // one step from the key is not the key
    img.setPixelColor(2, 1, Qt::black);
    const QImage out = fWeather::KeyedOut(img);
    EXPECT_EQ(qAlpha(out.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(out.pixel(2, 0)), 0);
    EXPECT_EQ(out.pixel(1, 0), QColor(255, 0, 254).rgba());
    EXPECT_EQ(out.pixel(2, 1), QColor(Qt::black).rgba());
}

class fWeatherTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    fWeather widget;
};

TEST_F(fWeatherTest, StartsHiddenWithTheStoredLabelSettingsAndTheWaitingTip)
{
    EXPECT_FALSE(widget.isVisible());
    EXPECT_EQ(widget.windowTitle(), QStringLiteral("Cloud Pane"));
    EXPECT_TRUE(widget.windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_EQ(widget.windowFlags() & Qt::WindowType_Mask, Qt::Tool);
    roLabel *telop = widget.Telop();
    EXPECT_EQ(telop->Font().family(), QStringLiteral("MS UI Gothic"));
    EXPECT_EQ(telop->Font().pointSize(), 9);
    EXPECT_EQ(telop->FontCharset(), 128);
    EXPECT_EQ(telop->BackStyle(), roTransparent);
    EXPECT_TRUE(telop->Bordering());
    EXPECT_EQ(telop->BorderingColor(), 0xFEFFFFu);
    EXPECT_EQ(telop->Alignment(), roAlignCenter);
    EXPECT_TRUE(telop->AutoSize());
    EXPECT_EQ(telop->ForeColor(), 0x80000012u);
    EXPECT_EQ(telop->BorderingWidth(), 1);

    const auto tips = widget.ToolTipHolder().ToolTips();
    ASSERT_EQ(tips.size(), 1);
    EXPECT_EQ(tips[0]->Target(), widget.picImage());
    EXPECT_TRUE(tips[0]->HasTitle());
    EXPECT_FALSE(tips[0]->IsBalloon());
}

TEST_F(fWeatherTest, NeverDrawnItCentresOnTheScreen)
{
    // A first Draw without a stored position uses GetCenter: that must be a point well inside the screen.
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    int x = 0, y = 0;
    widget.GetCenter(x, y);
    EXPECT_NEAR(x, area.center().x(), 1);
    EXPECT_NEAR(y, area.center().y(), 1);

    const QString picture = writePicture(dir, QStringLiteral("Icon.tmp"), QSize(60, 40));
    widget.Draw(x, y, QStringLiteral("東京"), QStringLiteral("晴れ"), QStringLiteral("-"), QStringLiteral("-"), picture,
                false);
    EXPECT_TRUE(area.contains(widget.geometry())) << "widget outside the screen";
}

TEST_F(fWeatherTest, DrawPlacesPictureAndTextAroundTheCentre)
{
    const QString picture = writePicture(dir, QStringLiteral("Icon.tmp"), QSize(60, 40));
    widget.Draw(500, 300, QStringLiteral("東京"), QStringLiteral("晴れ"), QStringLiteral("-"), QStringLiteral("-"),
                picture, false);
    EXPECT_TRUE(widget.isVisible());
    EXPECT_EQ(widget.Telop()->Caption(), QStringLiteral("東京 晴れ\r-/-℃"));
    EXPECT_EQ(widget.picImage()->size(), QSize(60, 40));

    const QSize telop = widget.Telop()->size();
    EXPECT_GT(telop.height(), widget.Telop()->fontMetrics().height()); // two lines
    const fWeather::Layout expected = fWeather::ComputeLayout(500, 300, telop, QSize(60, 40));
    EXPECT_EQ(widget.geometry(), expected.window);
    EXPECT_EQ(widget.picImage()->pos(), expected.picture);
    EXPECT_EQ(widget.Telop()->pos(), expected.telop);
    EXPECT_EQ(widget.Telop()->y() + telop.height(), widget.height()); // label at the bottom left
    EXPECT_EQ(widget.Telop()->x(), 0);

    int x = 0, y = 0;
    widget.GetCenter(x, y);
    EXPECT_NEAR(x, 500, 1);
    EXPECT_NEAR(y, 300, 1);
    EXPECT_EQ(x, static_cast<int>(twips::RoundHalfEven(widget.width() / 2.0 + widget.x())));
    EXPECT_DOUBLE_EQ(widget.windowOpacity(), 220.0 / 255.0);
}

TEST_F(fWeatherTest, TopLeftColourIsCutAwayEverywhereAndTheRestStays)
{
    const QString picture = writePicture(dir, QStringLiteral("Icon.tmp"), QSize(120, 40));
    widget.Draw(400, 300, QStringLiteral("東京"), QStringLiteral("晴れ"), QStringLiteral("10"), QStringLiteral("20"),
                picture, false);
    EXPECT_EQ(widget.ColorKey(), QColor(Qt::white));
    const QRegion shape = widget.mask();
    ASSERT_FALSE(shape.isEmpty());
    const QPoint pic = widget.picImage()->pos();
    EXPECT_FALSE(shape.contains(pic + QPoint(0, 0)));   // key-coloured corner
    EXPECT_FALSE(shape.contains(pic + QPoint(22, 14))); // white inside the picture
    EXPECT_TRUE(shape.contains(pic + QPoint(40, 20)));  // blue body
    EXPECT_TRUE(shape.contains(pic + QPoint(14, 32)));  // orange bar
    EXPECT_FALSE(shape.contains(QPoint(widget.width() - 1, widget.height() - 1)));
    // The text (outlined in near-white, which is not the key) stays.
    const QRect telop = widget.Telop()->geometry();
    int textPixels = 0;
    for (int y = telop.top(); y <= telop.bottom(); ++y)
        for (int x = telop.left(); x <= telop.right(); ++x)
            textPixels += (y >= pic.y() + 40 && shape.contains(QPoint(x, y))) ? 1 : 0;
    EXPECT_GT(textPixels, 20);

    // Another key: a green picture keys on green, and white now shows.
    const QString green = writePicture(dir, QStringLiteral("green.bmp"), QSize(120, 40), QColor(0, 200, 0));
    widget.Draw(400, 300, QStringLiteral("東京"), QStringLiteral("晴れ"), QStringLiteral("10"), QStringLiteral("20"),
                green, false);
    EXPECT_EQ(widget.ColorKey(), QColor(0, 200, 0));
    EXPECT_TRUE(widget.mask().contains(widget.picImage()->pos() + QPoint(22, 14)));
    EXPECT_FALSE(widget.mask().contains(widget.picImage()->pos()));
}

TEST_F(fWeatherTest, WarningMarkIsPartOfTheShapeEvenOnAKeyOfItsOwnColours)
{
    // White key: the mark's white ring must not be cut away, nor its black disc on a black key.
    for (QColor key : {QColor(Qt::white), QColor(12, 0, 12)}) {
        const QString picture = writePicture(dir, QStringLiteral("Icon.tmp"), QSize(120, 40), key);
        widget.SetWarningMark(WarningLevel::Emergency);
        widget.Draw(400, 300, QStringLiteral("東京"), QStringLiteral("大雨"), QStringLiteral("20"),
                    QStringLiteral("25"), picture, false);
        const QPoint pic = widget.picImage()->pos();
        EXPECT_EQ(widget.ColorKey(), key);
        EXPECT_TRUE(widget.mask().contains(pic + QPoint(113, 6))); // the disc
        EXPECT_TRUE(widget.mask().contains(pic + QPoint(118, 6))); // its ring
        EXPECT_FALSE(widget.mask().contains(pic + QPoint(0, 0)));
        widget.SetWarningMark(WarningLevel::None);
        widget.Draw(400, 300, QStringLiteral("東京"), QStringLiteral("晴れ"), QStringLiteral("20"),
                    QStringLiteral("25"), picture, false);
        EXPECT_FALSE(widget.mask().contains(pic + QPoint(113, 6)));
    }
}

TEST_F(fWeatherTest, UnreadablePictureKeepsThePreviousOne)
{
    const QString picture = writePicture(dir, QStringLiteral("Icon.tmp"), QSize(60, 40));
    widget.Draw(300, 300, QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("1"), QStringLiteral("2"), picture,
                false);
    const QImage before = widget.picImage()->pixmap().toImage();
    widget.Draw(300, 300, QStringLiteral("エラー"), QStringLiteral("接続できません"), QString(), QString(),
                dir.filePath(QStringLiteral("missing.bmp")), false);
    EXPECT_EQ(widget.picImage()->pixmap().toImage(), before);
    EXPECT_EQ(widget.Telop()->Caption(), QStringLiteral("エラー 接続できません\r/℃"));
    EXPECT_TRUE(widget.isVisible());
}

TEST_F(fWeatherTest, TopmostComesAndGoesWithoutRecreatingTheWindow)
{
    const QString picture = writePicture(dir, QStringLiteral("Icon.tmp"), QSize(60, 40));
    widget.Draw(300, 300, QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("1"), QStringLiteral("2"), picture,
                true);
    EXPECT_TRUE(widget.Topmost());
    const QWindow *window = widget.windowHandle();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->flags().testFlag(Qt::WindowStaysOnTopHint));
    widget.Draw(300, 300, QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("1"), QStringLiteral("2"), picture,
                false);
    EXPECT_FALSE(widget.Topmost());
    EXPECT_FALSE(window->flags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(widget.windowHandle(), window);
    EXPECT_TRUE(widget.isVisible());
    EXPECT_TRUE(widget.windowFlags().testFlag(Qt::FramelessWindowHint));
}

TEST_F(fWeatherTest, ToolTipTextReplacesThePreviousTip)
{
    widget.SetToolTipText(QStringLiteral("東京"), QStringLiteral("晴れ 10/20℃"), 1);
    widget.SetToolTipText(QStringLiteral("エラー"), QStringLiteral("天気情報取得に失敗しました"), 3);
    const auto tips = widget.ToolTipHolder().ToolTips();
    ASSERT_EQ(tips.size(), 1);
    EXPECT_EQ(tips[0]->TextColor(), QColor(255, 0, 0));
    EXPECT_FALSE(tips[0]->IsBalloon());
    EXPECT_EQ(tips[0]->Target(), widget.picImage());
}

TEST_F(fWeatherTest, RightReleaseAsksForTheMenuExceptOnTheText)
{
    const QString picture = writePicture(dir, QStringLiteral("Icon.tmp"), QSize(60, 40));
    widget.Draw(300, 300, QStringLiteral("東京"), QStringLiteral("晴れ"), QStringLiteral("1"), QStringLiteral("2"),
                picture, false);
    QSignalSpy spy(&widget, &fWeather::PopUpMenuRequested);
    QTest::mouseRelease(widget.picImage(), Qt::RightButton, {}, QPoint(30, 20));
    ASSERT_EQ(spy.size(), 1);
    const QPoint expected = widget.picImage()->mapToGlobal(QPoint(30, 20));
    EXPECT_EQ(spy[0][0].toInt(), expected.x());
    EXPECT_EQ(spy[0][1].toInt(), expected.y());

    QTest::mouseRelease(widget.Telop(), Qt::RightButton, {}, QPoint(5, 5));
    QTest::mouseRelease(widget.picImage(), Qt::LeftButton, {}, QPoint(30, 20));
    QTest::mouseRelease(widget.picImage(), Qt::MiddleButton, {}, QPoint(30, 20));
    EXPECT_EQ(spy.size(), 1);
}

TEST_F(fWeatherTest, LeftDragOnTheTextMovesTheWidget)
{
    const QString picture = writePicture(dir, QStringLiteral("Icon.tmp"), QSize(60, 40));
    widget.Draw(300, 300, QStringLiteral("東京"), QStringLiteral("晴れ"), QStringLiteral("1"), QStringLiteral("2"),
                picture, false);
    const QPoint start = widget.pos();
    QWidget *label = widget.Telop();
    const QPoint grab(label->width() / 2, label->height() / 2);
    QTest::mousePress(label, Qt::LeftButton, {}, grab);
    QMouseEvent move(QEvent::MouseMove, QPointF(grab + QPoint(40, 25)),
                     QPointF(label->mapToGlobal(grab) + QPoint(40, 25)), Qt::NoButton, Qt::LeftButton, {});
    QApplication::sendEvent(label, &move);
    QTest::mouseRelease(label, Qt::LeftButton, {}, grab + QPoint(40, 25));
    EXPECT_EQ(widget.pos(), start + QPoint(40, 25));
}

// The widget at a device pixel ratio of 2: the same test program runs again with QT_SCALE_FACTOR=2.
TEST(fWeatherHiDpi, SameGeometryAndShapeAtPixelRatioTwo)
{
    if (qEnvironmentVariableIsEmpty("SKYCASTER_HIDPI_CHILD")) {
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_SCALE_FACTOR"), QStringLiteral("2"));
        env.insert(QStringLiteral("SKYCASTER_HIDPI_CHILD"), QStringLiteral("1"));
        child.setProcessEnvironment(env);
        child.setProcessChannelMode(QProcess::MergedChannels);
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--gtest_filter=fWeatherHiDpi.*")});
        ASSERT_TRUE(child.waitForFinished(60000));
        EXPECT_EQ(child.exitCode(), 0) << child.readAll().toStdString();
        return;
    }
    QTemporaryDir dir;
    fWeather widget;
    const QString picture = writePicture(dir, QStringLiteral("Icon.tmp"), QSize(120, 40));
    widget.Draw(500, 300, QStringLiteral("東京"), QStringLiteral("晴れ"), QStringLiteral("10"), QStringLiteral("20"),
                picture, false);
    ASSERT_DOUBLE_EQ(widget.devicePixelRatioF(), 2.0);
    EXPECT_EQ(widget.picImage()->size(), QSize(120, 40)); // the picture keeps its size in logical pixels
    EXPECT_EQ(widget.geometry(), fWeather::ComputeLayout(500, 300, widget.Telop()->size(), QSize(120, 40)).window);
    const QRegion shape = widget.mask();
    const QPoint pic = widget.picImage()->pos();
    EXPECT_FALSE(shape.contains(pic));
    EXPECT_FALSE(shape.contains(pic + QPoint(22, 14)));
    EXPECT_TRUE(shape.contains(pic + QPoint(40, 20)));
    EXPECT_LE(shape.boundingRect().right(), widget.width() - 1);
}

} // namespace
