// The tray icon and the widget on a real X server with a window manager, a compositor and a tray host.
#include "TestSupport.h"
#include "fSysTray.h"
#include "fWeather.h"
#include "roLabel.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QProcess>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// Runs a tool to its end while this program's event loop keeps running (the tool's clicks reach us).
bool run(const QString &program, const QStringList &args)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForStarted(5000))
        return false;
    if (!QTest::qWaitFor([&] { return p.state() == QProcess::NotRunning; }, 10000)) {
        p.kill();
        p.waitForFinished();
        return false;
    }
    return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

// The icon's rectangle once the tray host has stopped laying it out: unchanged for half a second.
// (trayer grows its panel as an icon docks, which moves the icon after it first shows.)
QRect SettledGeometry(const QSystemTrayIcon &icon)
{
    QRect last;
    QElapsedTimer unchanged;
    unchanged.start();
    const bool settled = QTest::qWaitFor(
        [&] {
            const QRect now = icon.geometry();
            if (now != last) {
                last = now;
                unchanged.restart();
            }
            return !now.isEmpty() && unchanged.elapsed() >= 500;
        },
        5000);
    EXPECT_TRUE(settled) << "the tray icon kept moving";
    return last;
}

int distance(QColor a, QColor b)
{
    return std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) + std::abs(a.blue() - b.blue());
}

TEST(DesktopXvfb, TrayIconDocksAndARightClickGivesDownThenUp)
{
    fSysTray tray;
    ASSERT_TRUE(QTest::qWaitFor([] { return QSystemTrayIcon::isSystemTrayAvailable(); }, 5000));
    // Docked means inside trayer's panel, which xvfb-run.sh puts at the top right of the screen.
    const int screenWidth = QGuiApplication::primaryScreen()->geometry().width();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            const QRect r = tray.TrayIcon()->geometry();
            return !r.isEmpty() && r.bottom() < 30 && r.left() > screenWidth / 2;
        },
        5000))
        << "icon at " << tray.TrayIcon()->geometry().x() << "," << tray.TrayIcon()->geometry().y();
    QStringList events;
    QObject::connect(&tray, &fSysTray::SysTrayMouseDown, [&](int b) { events << QStringLiteral("Down(%1)").arg(b); });
    QObject::connect(&tray, &fSysTray::SysTrayMouseUp, [&](int b) { events << QStringLiteral("Up(%1)").arg(b); });

    const QPoint at = SettledGeometry(*tray.TrayIcon()).center();
    ASSERT_TRUE(
        run(QStringLiteral("xdotool"), {QStringLiteral("mousemove"), QString::number(at.x()), QString::number(at.y()),
                                        QStringLiteral("click"), QStringLiteral("3")}));
    EXPECT_TRUE(QTest::qWaitFor([&] { return events.size() >= 2; }, 5000));
    EXPECT_EQ(events, (QStringList{"Down(2)", "Up(2)"}));
}

TEST(DesktopXvfb, WidgetOverAColouredDesktopShowsOnlyPictureAndText)
{
    const QString picture = QCoreApplication::applicationDirPath() + QStringLiteral("/Res/CloudPaneX.bmp");
    ASSERT_TRUE(QFile::exists(picture)) << picture.toStdString();
    const QColor desktopColour(40, 110, 160);

    QWidget desktop(nullptr, Qt::FramelessWindowHint | Qt::WindowStaysOnBottomHint);
    QPalette pal = desktop.palette();
    pal.setColor(QPalette::Window, desktopColour);
    desktop.setPalette(pal);
    desktop.setAutoFillBackground(true);
    // Not the whole screen: the window manager would take an undecorated screen-sized window for a
    // full-screen one and keep it above everything; the top row stays free for the tray.
    desktop.setGeometry(QGuiApplication::primaryScreen()->geometry().adjusted(0, 30, 0, 0));
    desktop.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&desktop, 5000));

    fWeather widget;
    widget.Draw(640, 400, QStringLiteral("東京"), QStringLiteral("晴れ時々曇り"), QStringLiteral("12"),
                QStringLiteral("24"), picture, true);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&widget, 5000));

    // Wait until the picture's red mark is on the screen: mapping and the first frame take a moment.
    const QPoint mark = widget.picImage()->mapToGlobal(QPoint(25, 16));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return QGuiApplication::primaryScreen()->grabWindow(0).toImage().pixelColor(mark).red() > 150; }, 5000));

    const QString shot = testsupport::artifactPath(QStringLiteral("desktop-widget.png"));
    QFile::remove(shot);
    ASSERT_TRUE(run(QStringLiteral("import"), {QStringLiteral("-window"), QStringLiteral("root"), shot}));
    const QImage screen(shot);
    ASSERT_FALSE(screen.isNull());

    const QPoint pic = widget.picImage()->mapToGlobal(QPoint(0, 0));
    // The key-coloured corner of the picture shows the desktop behind it.
    EXPECT_LT(distance(screen.pixelColor(pic), desktopColour), 12);
    // The red mark in the middle of the picture is there, blended with the desktop (220/255).
    const QColor red = screen.pixelColor(mark);
    EXPECT_GT(red.red(), 150);
    EXPECT_LT(red.green(), 90);
    EXPECT_NE(red, QColor(215, 25, 25)); // not fully opaque under the compositor
    // Some of the text shows under the picture.
    const QRect text(widget.Telop()->mapToGlobal(QPoint(0, 0)), widget.Telop()->size());
    int changed = 0;
    for (int y = text.top(); y <= text.bottom(); ++y)
        for (int x = text.left(); x <= text.right(); ++x)
            changed += distance(screen.pixelColor(x, y), desktopColour) > 60 ? 1 : 0;
    EXPECT_GT(changed, 30);

    // A left drag on the picture moves the widget (through the window manager).
    const QPoint before = widget.pos();
    const QPoint grab = widget.picImage()->mapToGlobal(QPoint(25, 16));
    ASSERT_TRUE(run(QStringLiteral("xdotool"),
                    {QStringLiteral("mousemove"), QString::number(grab.x()), QString::number(grab.y()),
                     QStringLiteral("mousedown"), QStringLiteral("1"), QStringLiteral("sleep"), QStringLiteral("0.2"),
                     QStringLiteral("mousemove"), QString::number(grab.x() + 60), QString::number(grab.y() + 40),
                     QStringLiteral("sleep"), QStringLiteral("0.2"), QStringLiteral("mouseup"), QStringLiteral("1")}));
    EXPECT_TRUE(QTest::qWaitFor([&] { return (widget.pos() - before).manhattanLength() > 50; }, 3000));
    int x = 0, y = 0;
    widget.GetCenter(x, y);
    EXPECT_NEAR(x, 640 + 60, 6);
    EXPECT_NEAR(y, 400 + 40, 6);
}

} // namespace
