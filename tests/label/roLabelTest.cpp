// The control: defaults, property bag, notifications, AutoSize, transparency mask, events, colours.
#include "roLabel.h"
#include "LabelImages.h"
#include "roLabelPaint.h"
#include "roPropertyBag.h"

#include <QApplication>
#include <QFontMetrics>
#include <QPainter>
#include <QPalette>
#include <QSignalSpy>
#include <QTest>
#include <QWindow>

#include <gtest/gtest.h>

namespace {

constexpr roOleColor kGreen = 0x0000FF00u;
constexpr roOleColor kBlack = 0x00000000u;
constexpr roOleColor kWhite = 0x00FFFFFFu;

QFont gothic(int points)
{
    QFont font(QStringLiteral("MS UI Gothic"));
    font.setPointSize(points);
    return font;
}

// A host window with a solid blue background, as the desktop widget's picture would be.
class Host : public QWidget {
public:
    Host()
    {
        resize(220, 90);
        QPalette pal = palette();
        pal.setColor(QPalette::Window, Qt::blue);
        setPalette(pal);
        setAutoFillBackground(true);
    }
    int presses = 0;

protected:
    void mousePressEvent(QMouseEvent *) override { ++presses; }
};

// Points of the label (logical) whose surface pixel is not the back colour, and some that are.
void splitPixels(const roLabel &label, QRgb back, QList<QPoint> &drawn, QList<QPoint> &clear)
{
    const QImage image = label.hDC().convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            ((image.pixel(x, y) & 0xFFFFFF) != (back & 0xFFFFFF) ? drawn : clear).append(QPoint(x, y));
}

} // namespace

TEST(roLabelTest, NewInstanceTakesTheHostsNameAndFontAndTheDefaults)
{
    QWidget host;
    host.setFont(gothic(11));
    roLabel label(&host, QStringLiteral("Telop"));
    EXPECT_EQ(label.Caption(), QStringLiteral("Telop"));
    EXPECT_EQ(label.Font(), host.font());
    EXPECT_EQ(label.FontCharset(), 1);
    EXPECT_EQ(label.Alignment(), roAlignTop);
    EXPECT_EQ(label.Orientation(), roHorizontal);
    EXPECT_FALSE(label.UpsideDown());
    EXPECT_FALSE(label.Bordering());
    EXPECT_EQ(label.BorderingColor(), 0x80000014u);
    EXPECT_EQ(label.BorderingWidth(), 1);
    EXPECT_FALSE(label.AutoSize());
    EXPECT_EQ(label.BackColor(), 0x8000000Fu);
    EXPECT_EQ(label.ForeColor(), 0x80000012u);
    EXPECT_EQ(label.BackStyle(), roOpaque);
    EXPECT_TRUE(label.Enabled());
    EXPECT_EQ(label.hWnd(), &label);

    // only the caption differs from the bag's defaults
    roPropertyBag bag;
    label.WriteProperties(bag);
    EXPECT_EQ(bag.Keys(), QStringList{QStringLiteral("Caption")});
    EXPECT_EQ(bag.ReadProperty(QStringLiteral("Caption")).toString(), QStringLiteral("Telop"));
    label.setCaption(QStringLiteral("0"));
    roPropertyBag empty;
    label.WriteProperties(empty);
    EXPECT_EQ(empty.Count(), 0);
}

TEST(roLabelTest, PropertyBagRoundTripKeepsOrderAndLeavesDefaultsOut)
{
    QWidget host;
    roLabel label(&host, QStringLiteral("Telop"));
    label.setBackColor(kGreen);
    label.setForeColor(0x80000008u);
    label.setEnabled(false);
    QFont font = gothic(9);
    font.setBold(true);
    label.setFont(font);
    label.setFontCharset(128);
    label.setBackStyle(roTransparent);
    label.setCaption(QStringLiteral("東京\r\n晴れ"));
    label.setUpsideDown(true);
    label.setOrientation(roVertical);
    label.setBordering(true);
    label.setBorderingColor(0xFEFFFF);
    label.setBorderingWidth(2);
    label.setAlignment(roAlignCenter);
    label.setAutoSize(true);

    roPropertyBag bag;
    label.WriteProperties(bag);
    EXPECT_EQ(bag.Keys(),
              (QStringList{"BackColor", "ForeColor", "Enabled", "Font", "BackStyle", "Caption", "UpsideDown",
                           "Orientation", "Bordering", "BorderingColor", "BorderingWidth", "Alignment", "AutoSize"}));

    // through the host's storage (a QVariantMap) and back
    roLabel copy(&host, QStringLiteral("Other"));
    copy.ReadProperties(roPropertyBag::fromVariantMap(bag.toVariantMap()));
    EXPECT_EQ(copy.BackColor(), kGreen);
    EXPECT_EQ(copy.ForeColor(), 0x80000008u);
    EXPECT_FALSE(copy.Enabled());
    EXPECT_EQ(copy.Font().family(), QStringLiteral("MS UI Gothic"));
    EXPECT_EQ(copy.Font().pointSize(), 9);
    EXPECT_TRUE(copy.Font().bold());
    EXPECT_EQ(copy.FontCharset(), 128);
    EXPECT_EQ(copy.BackStyle(), roTransparent);
    EXPECT_EQ(copy.Caption(), QStringLiteral("東京\r\n晴れ"));
    EXPECT_TRUE(copy.UpsideDown());
    EXPECT_EQ(copy.Orientation(), roVertical);
    EXPECT_TRUE(copy.Bordering());
    EXPECT_EQ(copy.BorderingColor(), 0xFEFFFFu);
    EXPECT_EQ(copy.BorderingWidth(), 2);
    EXPECT_EQ(copy.Alignment(), roAlignCenter);
    EXPECT_TRUE(copy.AutoSize());
}

TEST(roLabelTest, MissingAndBrokenBagEntriesTakeTheDefaults)
{
    QWidget host;
    roLabel label(&host, QStringLiteral("Telop"));
    label.setBordering(true);
    label.setBorderingWidth(7);
    label.ReadProperties(roPropertyBag());
    EXPECT_EQ(label.Caption(), QStringLiteral("0")); // a bag without Caption shows "0"
    EXPECT_FALSE(label.Bordering());
    EXPECT_EQ(label.BorderingWidth(), 1);
    EXPECT_EQ(label.BackColor(), 0x8000000Fu);
    EXPECT_EQ(label.Font(), host.font());

    roPropertyBag broken;
    broken.WriteProperty(QStringLiteral("BorderingWidth"), QStringLiteral("wide"));
    broken.WriteProperty(QStringLiteral("BackColor"), QStringLiteral("blue"));
    broken.WriteProperty(QStringLiteral("Font"), 12);
    broken.WriteProperty(QStringLiteral("BorderingColor"), -2147483628); // &H80000014 stored as a signed 32-bit
    broken.WriteProperty(QStringLiteral("BackStyle"), 0x10000);          // narrowed to 16 bits
    label.ReadProperties(broken);
    EXPECT_EQ(label.BorderingWidth(), 1);
    EXPECT_EQ(label.BackColor(), 0x8000000Fu);
    EXPECT_EQ(label.Font(), host.font());
    EXPECT_EQ(label.BorderingColor(), 0x80000014u);
    EXPECT_EQ(static_cast<int>(label.BackStyle()), 0);
}

TEST(roLabelTest, EveryWriteNotifiesAndRepaintsExceptEnabled)
{
    QWidget host;
    roLabel label(&host, QStringLiteral("L"));
    QSignalSpy changed(&label, &roLabel::PropertyChanged);
    const std::vector<std::pair<QString, std::function<void()>>> writes = {
        {"Caption", [&] { label.setCaption(QStringLiteral("x")); }},
        {"Alignment", [&] { label.setAlignment(roAlignBottom); }},
        {"Orientation", [&] { label.setOrientation(roVertical); }},
        {"UpsideDown", [&] { label.setUpsideDown(true); }},
        {"Bordering", [&] { label.setBordering(true); }},
        {"BorderingColor", [&] { label.setBorderingColor(kGreen); }},
        {"BorderingWidth", [&] { label.setBorderingWidth(2); }},
        {"AutoSize", [&] { label.setAutoSize(true); }},
        {"BackColor", [&] { label.setBackColor(kWhite); }},
        {"ForeColor", [&] { label.setForeColor(kBlack); }},
        {"BackStyle", [&] { label.setBackStyle(roTransparent); }},
        {"Font", [&] { label.setFont(gothic(12)); }},
    };
    for (const auto &[key, write] : writes) {
        const qint64 before = label.hDC().cacheKey();
        changed.clear();
        write();
        ASSERT_EQ(changed.count(), 1) << key.toStdString();
        EXPECT_EQ(changed.at(0).at(0).toString(), key);
        EXPECT_NE(label.hDC().cacheKey(), before) << key.toStdString() << " did not repaint";
    }
    const qint64 before = label.hDC().cacheKey();
    changed.clear();
    label.setEnabled(false);
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(changed.at(0).at(0).toString(), QStringLiteral("Enabled"));
    EXPECT_EQ(label.hDC().cacheKey(), before);
    EXPECT_FALSE(label.Enabled());
}

TEST(roLabelTest, AutoSizeFitsTheControlToItsText)
{
    QWidget host;
    roLabel label(&host, QStringLiteral("Telop"));
    label.setFont(gothic(9));
    label.setCaption(QStringLiteral("東京 晴れ\r\n最低 12℃ / 最高 20℃"));
    label.setBordering(true);
    label.setAutoSize(true);
    const QFontMetrics fm(roLabelPaint::BuildFontRecord(gothic(9), 1, label.logicalDpiY()));
    const QSize expected(fm.horizontalAdvance(QStringLiteral("最低 12℃ / 最高 20℃")) + 2, 2 * (fm.height() + 2));
    EXPECT_EQ(label.size(), expected);
    EXPECT_EQ(label.hDC().deviceIndependentSize().toSize(), expected); // painted at the new size

    host.show();
    label.resize(300, 200); // the host resizes: the text size wins again
    EXPECT_EQ(label.size(), expected);

    label.setCaption(QString());
    EXPECT_EQ(label.size(), QSize(fm.horizontalAdvance(QStringLiteral("A")), fm.height() + 2));
}

TEST(roLabelTest, TransparentLabelShowsOnlyItsDrawingAndLetsClicksThrough)
{
    Host host;
    roLabel *label = new roLabel(&host, QStringLiteral("Telop")); // owned by host
    label->setGeometry(10, 10, 160, 40);
    label->setFont(gothic(15));
    label->setBackColor(kGreen);
    label->setForeColor(kBlack);
    label->setBorderingColor(kWhite);
    label->setBordering(true);
    label->setCaption(QStringLiteral("東京 晴れ"));
    label->setBackStyle(roTransparent);
    host.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&host));
    QSignalSpy clicks(label, &roLabel::Click);

    QList<QPoint> drawn;
    QList<QPoint> clear;
    splitPixels(*label, qRgb(0, 255, 0), drawn, clear);
    ASSERT_GT(drawn.size(), 50);
    ASSERT_GT(clear.size(), 50);
    const QRegion mask = label->mask();
    for (const QPoint &p : drawn)
        ASSERT_TRUE(mask.contains(p)) << p.x() << "," << p.y();
    for (const QPoint &p : clear)
        ASSERT_FALSE(mask.contains(p)) << p.x() << "," << p.y();
    ASSERT_NE(label->MaskPicture(), nullptr);
    EXPECT_EQ(label->MaskPicture()->size(), label->size());

    // what lies behind shows through; the host takes the clicks there
    const QPoint corner = label->pos() + QPoint(label->width() - 1, label->height() - 1);
    const QPoint glyph = label->pos() + drawn.at(drawn.size() / 2);
    const QImage shot = host.grab().toImage();
    EXPECT_EQ(shot.pixel(corner) & 0xFFFFFF, qRgb(0, 0, 255) & 0xFFFFFF);
    EXPECT_NE(shot.pixel(glyph) & 0xFFFFFF, qRgb(0, 0, 255) & 0xFFFFFF);
    EXPECT_NE(host.childAt(corner), label);
    EXPECT_EQ(host.childAt(glyph), label);

    QTest::mouseClick(host.windowHandle(), Qt::LeftButton, {}, corner);
    EXPECT_EQ(host.presses, 1);
    EXPECT_EQ(clicks.count(), 0);
    QTest::mouseClick(host.windowHandle(), Qt::LeftButton, {}, glyph);
    EXPECT_EQ(host.presses, 1);
    EXPECT_EQ(clicks.count(), 1);

    // opaque again: the whole control shows
    label->setBackStyle(roOpaque);
    EXPECT_TRUE(label->mask().isEmpty());
    EXPECT_EQ(label->MaskPicture(), nullptr);
    EXPECT_EQ(host.childAt(corner), label);
}

TEST(roLabelTest, PixelsInTheBackColourAreTransparentEvenInsideGlyphs)
{
    Host host;
    roLabel *label = new roLabel(&host, QStringLiteral("L"));
    label->setGeometry(0, 0, 120, 30);
    label->setBackColor(kGreen);
    label->setForeColor(kGreen);
    label->setCaption(QStringLiteral("東京"));
    label->setBackStyle(roTransparent);
    for (int y = 0; y < 30; y += 3)
        for (int x = 0; x < 120; x += 3)
            ASSERT_NE(host.childAt(x, y), label) << x << "," << y;

    // a black back colour must not swallow the text (the mask's own colours differ from it)
    label->setBackColor(kBlack);
    label->setForeColor(kWhite);
    QList<QPoint> drawn;
    QList<QPoint> clear;
    splitPixels(*label, qRgb(0, 0, 0), drawn, clear);
    ASSERT_FALSE(drawn.isEmpty());
    for (const QPoint &p : drawn)
        ASSERT_TRUE(label->mask().contains(p));
    EXPECT_FALSE(label->mask().contains(clear.first()));
}

TEST(roLabelTest, MouseAndKeyEventsCarryButtonShiftAndPosition)
{
    QWidget host;
    roLabel *label = new roLabel(&host, QStringLiteral("L"));
    label->setGeometry(0, 0, 100, 40);
    host.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&host));

    QStringList log;
    QObject::connect(label, &roLabel::MouseDown, [&](qint16 &b, qint16 &s, float &x, float &y) {
        log << QStringLiteral("down %1 %2 %3 %4").arg(b).arg(s).arg(x).arg(y);
    });
    QObject::connect(label, &roLabel::MouseUp, [&](qint16 &b, qint16 &s, float &x, float &y) {
        log << QStringLiteral("up %1 %2 %3 %4").arg(b).arg(s).arg(x).arg(y);
    });
    QObject::connect(label, &roLabel::MouseMove, [&](qint16 &b, qint16 &s, float &x, float &y) {
        log << QStringLiteral("move %1 %2 %3 %4").arg(b).arg(s).arg(x).arg(y);
    });
    QObject::connect(label, &roLabel::Click, [&] { log << QStringLiteral("click"); });
    QObject::connect(label, &roLabel::DblClick, [&] { log << QStringLiteral("dblclick"); });
    QObject::connect(label, &roLabel::KeyDown,
                     [&](qint16 &k, qint16 &s) { log << QStringLiteral("keydown %1 %2").arg(k).arg(s); });
    QObject::connect(label, &roLabel::KeyPress, [&](qint16 &k) { log << QStringLiteral("keypress %1").arg(k); });
    QObject::connect(label, &roLabel::KeyUp,
                     [&](qint16 &k, qint16 &s) { log << QStringLiteral("keyup %1 %2").arg(k).arg(s); });

    QTest::mouseMove(label, QPoint(40, 10));
    ASSERT_FALSE(log.isEmpty());
    EXPECT_EQ(log.last(), QStringLiteral("move 0 0 40 10"));
    log.clear();

    QTest::mouseClick(label, Qt::LeftButton, Qt::ShiftModifier, QPoint(12, 7));
    EXPECT_EQ(log, (QStringList{"down 1 1 12 7", "up 1 1 12 7", "click"}));
    log.clear();
    QTest::mouseClick(label, Qt::RightButton, Qt::ControlModifier | Qt::AltModifier, QPoint(30, 20));
    EXPECT_EQ(log, (QStringList{"down 2 6 30 20", "up 2 6 30 20"})); // no Click for the right button
    log.clear();
    QTest::mouseDClick(label, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_TRUE(log.contains(QStringLiteral("dblclick")));
    log.clear();
    QTest::keyClick(label, 'A', Qt::ShiftModifier);
    EXPECT_EQ(log, (QStringList{"keydown 16 1", "keydown 65 1", "keypress 65", "keyup 65 1", "keyup 16 0"}));
    log.clear();
    QTest::keyClick(label, Qt::Key_Escape);
    EXPECT_EQ(log, (QStringList{"keydown 27 0", "keypress 27", "keyup 27 0"}));

    // a disabled control takes no input
    log.clear();
    label->setEnabled(false);
    QTest::mouseClick(label, Qt::LeftButton, {}, QPoint(12, 7));
    EXPECT_TRUE(log.isEmpty());
}

TEST(roLabelTest, OleColoursTranslateThroughThePalette)
{
    QPalette pal;
    pal.setColor(QPalette::Active, QPalette::Light, QColor(1, 2, 3));
    pal.setColor(QPalette::Active, QPalette::Button, QColor(10, 20, 30));
    pal.setColor(QPalette::Active, QPalette::ButtonText, QColor(40, 50, 60));
    EXPECT_EQ(roColor::TranslateColor(0x80000014u, pal), 0x030201);
    EXPECT_EQ(roColor::TranslateColor(0x8000000Fu, pal), 0x1E140A);
    EXPECT_EQ(roColor::TranslateColor(0x80000012u, pal), 0x3C3228);
    EXPECT_EQ(roColor::TranslateColor(0x80000019u, pal), -1); // no such system colour
    EXPECT_EQ(roColor::TranslateColor(0x80000040u, pal), -1);
    EXPECT_EQ(roColor::TranslateColor(0x000000FFu, pal), 0x0000FF);
    EXPECT_EQ(roColor::TranslateColor(0x00FEFFFFu, pal), 0xFEFFFF);
    EXPECT_EQ(roColor::TranslateColor(0x020000FFu, pal), 0x0000FF);
    EXPECT_EQ(roColor::TranslateColor(0x05000000u, pal), -1);
    EXPECT_EQ(roColor::toQColor(0x0000FF), QColor(255, 0, 0));
    EXPECT_EQ(roColor::toQColor(0xFEFFFF), QColor(255, 255, 254));

    // the control paints its system colours from its palette
    QWidget host;
    roLabel label(&host, QStringLiteral("L"));
    label.resize(20, 10);
    label.setPalette(pal);
    label.Refresh();
    EXPECT_EQ(label.hDC().pixel(19, 9) & 0xFFFFFF, QColor(10, 20, 30).rgb() & 0xFFFFFF);
}

TEST(roLabelTest, TheDesktopWidgetsDesignSettingsApply)
{
    QWidget host;
    roLabel label(&host, QStringLiteral("Telop"));
    const QVariantMap design{
        {QStringLiteral("Font"), QVariantMap{{QStringLiteral("Name"), QStringLiteral("MS UI Gothic")},
                                             {QStringLiteral("Size"), 9},
                                             {QStringLiteral("Charset"), 128}}},
        {QStringLiteral("BackStyle"), 0},
        {QStringLiteral("Bordering"), true},
        {QStringLiteral("BorderingColor"), 0xFEFFFF},
        {QStringLiteral("Alignment"), 2},
        {QStringLiteral("AutoSize"), true},
    };
    label.ReadProperties(roPropertyBag::fromVariantMap(design));
    host.show();
    label.setCaption(QStringLiteral("東京 晴れ\r\n最低 12℃ / 最高 20℃"));
    EXPECT_EQ(label.Font().family(), QStringLiteral("MS UI Gothic"));
    EXPECT_EQ(label.FontCharset(), 128);
    EXPECT_EQ(label.BackStyle(), roTransparent);
    EXPECT_EQ(label.BorderingColor(), 0xFEFFFFu);
    EXPECT_EQ(label.Alignment(), roAlignCenter);
    EXPECT_EQ(label.height(),
              2 * (12 + 2) + 2 * (QFontMetrics(roLabelPaint::BuildFontRecord(label.Font(), 128, 96)).height() - 12));
    EXPECT_FALSE(label.mask().isEmpty());

    // the same picture twice as dense for a HiDPI screen
    const QImage dense = label.RenderImage(2.0);
    EXPECT_EQ(dense.size(), label.size() * 2);
    EXPECT_EQ(dense.devicePixelRatio(), 2.0);
    EXPECT_EQ(label.hDC().devicePixelRatio(), 1.0);
}
