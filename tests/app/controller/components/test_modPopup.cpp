// The contents of the details pop-up, its day and city menus, and which links it opens.
#include "CommandBars.h"
#include "CommandMenu.h"
#include "MenuProbe.h"
#include "PopupControl.h"
#include "TestSupport.h"
#include "modPopup.h"

#include "cAreas.h"
#include "cWeather.h"
#include "roMessageBox.h"
#include "roWeather.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QUrl>

#include <gtest/gtest.h>

#include <optional>

using namespace modPopup;

namespace {

struct Expected {
    QRect rect; // left, top, right, bottom as the tables give them
    QString caption;
    std::optional<QColor> back, border;
    std::optional<int> format;
    std::optional<QColor> text;
    bool bold = false;
    double size = 0;
    bool link = false;
    int id = 0;
};

QRect ltrb(int l, int t, int r, int b)
{
    return QRect(QPoint(l, t), QPoint(r - 1, b - 1));
}

void expectItems(PopupControl &popup, const std::vector<Expected> &expected)
{
    ASSERT_EQ(popup.ItemCount(), static_cast<int>(expected.size()));
    for (size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE("item " + std::to_string(i + 1));
        const PopupControlItem &item = popup.Item(static_cast<int>(i) + 1);
        const Expected &e = expected[i];
        EXPECT_EQ(item.Rect(), e.rect);
        EXPECT_EQ(item.Caption(), e.caption);
        EXPECT_EQ(item.BackColor(), e.back);
        EXPECT_EQ(item.BorderColor(), e.border);
        if (e.format) {
            EXPECT_EQ(item.TextAlignment(), *e.format);
        }
        EXPECT_EQ(item.TextColor(), e.text);
        EXPECT_EQ(item.Bold(), e.bold);
        EXPECT_EQ(item.FontSize(), e.size);
        EXPECT_EQ(item.Hyperlink(), e.link);
        EXPECT_EQ(item.Id(), e.id);
    }
}

const QColor kBlack(0, 0, 0);
const QColor kGrey(105, 112, 121);
const QColor kOrange(254, 153, 22);

std::vector<Expected> backgrounds()
{
    return {{ltrb(0, 0, 300, 180), {}, QColor(219, 233, 251), QColor(255, 255, 255)},
            {ltrb(5, 25, 295, 175), {}, QColor(191, 219, 255), QColor(200, 200, 200)}};
}

std::shared_ptr<cWeather> loadForecast(const QString &name)
{
    roWeather lib;
    std::shared_ptr<cWeather> weather;
    EXPECT_TRUE(lib.GetWeather(testsupport::dataPath(QStringLiteral("popup/") + name), weather));
    EXPECT_NE(weather, nullptr);
    return weather;
}

std::shared_ptr<cAreas> loadAreas()
{
    roWeather lib;
    std::shared_ptr<cAreas> areas;
    EXPECT_TRUE(lib.GetArea(testsupport::dataPath(QStringLiteral("popup/forecastmap.xml")), areas));
    EXPECT_NE(areas, nullptr);
    return areas;
}

// A program folder with Res/Close.bmp (black = transparent, a white cross), the forecast icon "Icon.tmp" (white
// field) and the failure picture (magenta field), all drawn here.
struct ProgramFolder {
    QTemporaryDir dir;
    QString icon, failure;

    ProgramFolder()
    {
        QDir(dir.path()).mkpath(QStringLiteral("Res"));
        QImage close(16, 13, QImage::Format_RGB32);
        close.fill(Qt::black);
        for (int i = 3; i < 13; ++i) {
            close.setPixelColor(i, i - 1, Qt::white);
            close.setPixelColor(15 - i, i - 1, Qt::white);
        }
        EXPECT_TRUE(close.save(dir.filePath(QStringLiteral("Res/Close.bmp")), "BMP"));

        QImage sky(50, 31, QImage::Format_RGB32);
        sky.fill(Qt::white);
        for (int y = 6; y < 25; ++y)
            for (int x = 8; x < 42; ++x)
                sky.setPixelColor(x, y, QColor(120, 130, 150));
        icon = dir.filePath(QStringLiteral("Icon.tmp"));
        EXPECT_TRUE(sky.save(icon, "BMP"));

        QImage failed(50, 31, QImage::Format_RGB32);
        failed.fill(QColor(255, 0, 255));
        for (int y = 8; y < 23; ++y)
            for (int x = 10; x < 40; ++x)
                failed.setPixelColor(x, y, QColor(90, 90, 90));
        failure = dir.filePath(QStringLiteral("Res/CloudPaneX.bmp"));
        EXPECT_TRUE(failed.save(failure, "BMP"));
    }
};

} // namespace

TEST(modPopup, ForecastContentItemByItem)
{
    ProgramFolder folder;
    auto weather = loadForecast(QStringLiteral("forecast_today.xml"));
    ASSERT_TRUE(weather);
    PopupControl popup;
    FillForecastPopup(popup, weather, folder.icon, folder.dir.path());

    std::vector<Expected> e = backgrounds();
    e.push_back({ltrb(5, 0, 170, 25), QStringLiteral("道央 北海道 札幌"), {}, {}, 36, kGrey, true});
    e.push_back({ltrb(172, 0, 177, 25), QStringLiteral("-"), {}, {}, 36, kGrey, true});
    e.push_back({ltrb(10, 30, 290, 45), QStringLiteral("2006/12/11 11:00:00 発表"), {}, {}, 36, kBlack, true});
    e.push_back({ltrb(20, 55, 300, 180), {}, {}, {}, {}, {}, false});
    e.push_back({ltrb(100, 55, 290, 85), QStringLiteral("曇時々雪  -7/-1℃"), {}, {}, 36, kBlack, true, 12});
    e.push_back(
        {ltrb(10, 100, 290, 170),
         QStringLiteral("石狩・空知・後志地方では、雪の降っている所があります。今日は曇り時々雪で、夜は雪の降る所"
                        "がある見込みです。"),
         {},
         {},
         16,
         kBlack,
         false,
         0,
         true,
         5});
    e.push_back({ltrb(150, 150, 290, 170), QStringLiteral("ピンポイント"), {}, {}, 34, kOrange, true, 0, true, 4});
    e.push_back({ltrb(185, 0, 268, 25), QStringLiteral("今日の天気"), {}, {}, 36, kOrange, true, 0, true, 3});
    e.push_back({ltrb(278, 6, 294, 19), {}, {}, {}, {}, {}, false, 0, false, 2});
    expectItems(popup, e);

    // Pictures: the forecast icon with white transparent in the normal state, the close button in every state.
    const PopupControlItem &icon = popup.Item(6);
    EXPECT_EQ(icon.Image().size(), QSize(50, 31));
    EXPECT_EQ(icon.ImageTransparentColor(), QColor(255, 255, 255));
    EXPECT_EQ(icon.ImageStates(), 1);
    const PopupControlItem &close = popup.Item(11);
    EXPECT_EQ(close.Image().size(), QSize(16, 13));
    EXPECT_EQ(close.ImageTransparentColor(), QColor(0, 0, 0));
    EXPECT_EQ(close.ImageStates(), 7);
    EXPECT_TRUE(close.Clickable());

    EXPECT_EQ(popup.DisplayOption(), 4);
    EXPECT_EQ(popup.size(), QSize(300, 180));

    // What the clicks ask for.
    EXPECT_EQ(ActionForItem(2, weather->Link()), ClickAction::Close);
    EXPECT_EQ(ActionForItem(3, weather->Link()), ClickAction::DayMenu);
    EXPECT_EQ(ActionForItem(4, weather->Link()), ClickAction::CityMenu);
    EXPECT_EQ(ActionForItem(5, weather->Link()), ClickAction::OpenLink);
    EXPECT_EQ(ActionForItem(0, weather->Link()), ClickAction::None);

    const QImage shot = popup.grab().toImage();
    EXPECT_EQ(shot.pixelColor(2, 2), QColor(219, 233, 251));
    EXPECT_EQ(shot.pixelColor(7, 27), QColor(191, 219, 255));
    EXPECT_EQ(shot.pixelColor(20 + 20, 55 + 15), QColor(120, 130, 150)); // the icon
    EXPECT_EQ(shot.pixelColor(20 + 1, 55 + 1), QColor(191, 219, 255));   // its white left out
    EXPECT_EQ(shot.pixelColor(278 + 5, 6 + 4), QColor(255, 255, 255));   // the cross of the close button
    EXPECT_EQ(shot.pixelColor(278 + 1, 6 + 8), QColor(219, 233, 251));   // its black left out

    // The picture for people: with the program's own close button when the build put it beside us.
    FillForecastPopup(popup, weather, folder.icon);
    EXPECT_EQ(popup.Item(11).Image().isNull(), !QFileInfo::exists(ClosePicturePath()));
    EXPECT_TRUE(popup.grab().save(testsupport::artifactPath(QStringLiteral("popup_forecast.png"))));
}

TEST(modPopup, ForecastWithoutLinkOtherDayAndMissingTemperatures)
{
    ProgramFolder folder;
    auto weather = loadForecast(QStringLiteral("forecast_nolink.xml"));
    ASSERT_TRUE(weather);
    PopupControl popup;
    FillForecastPopup(popup, weather, folder.icon, folder.dir.path());
    ASSERT_EQ(popup.ItemCount(), 11);
    EXPECT_EQ(popup.Item(7).Caption(), QStringLiteral("晴れ  -/-℃"));
    EXPECT_FALSE(popup.Item(8).Hyperlink()); // plain text without a link
    EXPECT_FALSE(popup.Item(8).Clickable());
    EXPECT_EQ(ActionForItem(5, weather->Link()), ClickAction::None);
    EXPECT_EQ(popup.Item(10).Caption(), QStringLiteral("あさっての天気"));

    EXPECT_EQ(DayTitle(QStringLiteral("today")), QStringLiteral("今日の天気"));
    EXPECT_EQ(DayTitle(QStringLiteral("tomorrow")), QStringLiteral("明日の天気"));
    EXPECT_EQ(DayTitle(QStringLiteral("Today")), QStringLiteral("あさっての天気"));
    EXPECT_EQ(DayTitle(QString()), QStringLiteral("あさっての天気"));
}

TEST(modPopup, NoForecastAndMissingPicturesLeaveEmptyTextsAndNoImages)
{
    PopupControl popup;
    QTemporaryDir empty;
    FillForecastPopup(popup, nullptr, empty.filePath(QStringLiteral("Icon.tmp")), empty.path());
    ASSERT_EQ(popup.ItemCount(), 11);
    EXPECT_EQ(popup.Item(3).Caption(), QStringLiteral("  "));
    EXPECT_EQ(popup.Item(5).Caption(), QStringLiteral(" 発表"));
    EXPECT_EQ(popup.Item(7).Caption(), QStringLiteral("  /℃"));
    EXPECT_TRUE(popup.Item(6).Image().isNull());
    // Without Res/Close.bmp the close item is still there, only without picture.
    EXPECT_TRUE(popup.Item(11).Image().isNull());
    EXPECT_EQ(popup.Item(11).Id(), 2);
    EXPECT_TRUE(LoadBitmapFile(empty.path()).isNull()); // a folder is no picture
    EXPECT_TRUE(LoadBitmapFile(QString()).isNull());
    EXPECT_EQ(ClosePicturePath(QStringLiteral("/opt/sky")), QStringLiteral("/opt/sky/Res/Close.bmp"));
}

TEST(modPopup, FailureContentItemByItemReplacesTheForecast)
{
    ProgramFolder folder;
    PopupControl popup;
    FillForecastPopup(popup, loadForecast(QStringLiteral("forecast_today.xml")), folder.icon, folder.dir.path());
    const QString error = QStringLiteral("予報ファイルのダウンロードに失敗しました。\r\nサーバーに接続できません。");
    FillFailurePopup(popup, error, folder.failure, folder.dir.path());

    std::vector<Expected> e = backgrounds();
    e.push_back(
        {ltrb(5, 0, 290, 25), QStringLiteral("天気情報を取得できませんでした"), {}, {}, 36, QColor(255, 0, 0), true});
    e.push_back({ltrb(20, 45, 300, 180), {}, {}, {}, {}, {}, false});
    e.push_back({ltrb(100, 55, 290, 85), QStringLiteral("取得失敗"), {}, {}, 36, kBlack, true, 12});
    e.push_back({ltrb(10, 100, 290, 150), error, {}, {}, 16, kBlack, false});
    e.push_back({ltrb(278, 6, 294, 19), {}, {}, {}, {}, {}, false, 0, false, 2});
    expectItems(popup, e);

    EXPECT_EQ(popup.Item(4).ImageTransparentColor(), QColor(255, 0, 255));
    EXPECT_EQ(popup.Item(4).ImageStates(), 1);
    EXPECT_FALSE(popup.Item(4).Image().isNull());
    EXPECT_EQ(popup.Item(7).ImageStates(), 7);
    EXPECT_EQ(popup.DisplayOption(), 4);
    EXPECT_EQ(popup.size(), QSize(300, 180));

    const QImage shot = popup.grab().toImage();
    EXPECT_EQ(shot.pixelColor(20 + 20, 45 + 15), QColor(90, 90, 90));  // failure picture
    EXPECT_EQ(shot.pixelColor(20 + 1, 45 + 1), QColor(191, 219, 255)); // its magenta left out

    // The picture for people: the program's own failure picture and close button when they are beside us.
    const QString shipped = QCoreApplication::applicationDirPath() + QStringLiteral("/Res/CloudPaneX.bmp");
    FillFailurePopup(popup, error, QFileInfo::exists(shipped) ? shipped : folder.failure);
    EXPECT_TRUE(popup.grab().save(testsupport::artifactPath(QStringLiteral("popup_failure.png"))));
}

TEST(modPopup, DayMenuOffersTheTwoOtherDays)
{
    CommandBars bars;
    struct Case {
        int currentDay;
        std::vector<std::pair<int, QString>> items;
    };
    const QString today = QStringLiteral("今日の天気"), tomorrow = QStringLiteral("明日の天気"),
                  after = QStringLiteral("あさっての天気");
    const Case cases[] = {
        {0, {{402, tomorrow}, {403, after}}},
        {1, {{401, today}, {403, after}}},
        {2, {{401, today}, {402, tomorrow}}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.currentDay);
        auto bar = BuildDayMenu(bars, c.currentDay);
        EXPECT_EQ(bar->Name(), QStringLiteral("Popup"));
        ASSERT_EQ(bar->Count(), static_cast<int>(c.items.size()));
        for (int i = 1; i <= bar->Count(); ++i) {
            EXPECT_EQ(bar->Item(i).Id(), c.items[static_cast<size_t>(i - 1)].first);
            EXPECT_EQ(bar->Item(i).Caption(), c.items[static_cast<size_t>(i - 1)].second);
            EXPECT_FALSE(bar->Item(i).Separator());
        }
    }

    // Shown at the cursor, the choice comes back as the command identifier.
    auto bar = BuildDayMenu(bars, 1);
    MenuProbe probe;
    EXPECT_EQ(showAndPick(bars, *bar, 0, 0, 403, probe), 403);
    EXPECT_EQ(probe.entries.size(), 2u);
}

TEST(modPopup, CityMenuListsTheOtherCitiesOfThePrefectureWithExactIdentifiers)
{
    auto areas = loadAreas();
    ASSERT_TRUE(areas);
    CommandBars bars;
    commandMenu::CityCommandMap cities;

    auto bar = BuildCityMenu(bars, areas, QStringLiteral("016020"), cities);
    ASSERT_TRUE(bar);
    ASSERT_EQ(bar->Count(), 2);
    EXPECT_EQ(bar->Item(1).Caption(), QStringLiteral("札幌"));
    EXPECT_EQ(bar->Item(2).Caption(), QStringLiteral("倶知安"));
    for (int i = 1; i <= 2; ++i)
        EXPECT_GE(bar->Item(i).Id(), 10000);
    // The command comes back as the city's identifier with its leading zero.
    commandMenu::Command c = commandMenu::CommandFor(bar->Item(1).Id(), cities, 1, QStringLiteral("016020"));
    EXPECT_EQ(c.Kind, commandMenu::CommandKind::City);
    EXPECT_EQ(c.CityID, QStringLiteral("016010"));
    EXPECT_EQ(c.Day, 1);
    EXPECT_EQ(commandMenu::CommandFor(bar->Item(2).Id(), cities, 1, {}).CityID, QStringLiteral("016030"));

    // A prefecture whose identifiers are not all numbers.
    bar = BuildCityMenu(bars, areas, QStringLiteral("130040"), cities);
    ASSERT_TRUE(bar);
    ASSERT_EQ(bar->Count(), 2);
    EXPECT_EQ(bar->Item(1).Caption(), QStringLiteral("大島"));
    EXPECT_EQ(commandMenu::CommandFor(bar->Item(1).Id(), cities, 0, {}).CityID, QStringLiteral("oshima"));
    EXPECT_EQ(commandMenu::CommandFor(bar->Item(2).Id(), cities, 0, {}).CityID, QStringLiteral("130030"));
    EXPECT_NE(bar->Item(1).Id(), bar->Item(2).Id());

    // One city in the prefecture: a menu without items.
    bar = BuildCityMenu(bars, areas, QStringLiteral("130010"), cities);
    ASSERT_TRUE(bar);
    EXPECT_EQ(bar->Count(), 0);

    // A city the list does not hold, or no list at all: no menu, and nothing is shown.
    EXPECT_EQ(BuildCityMenu(bars, areas, QStringLiteral("999999"), cities), nullptr);
    EXPECT_EQ(BuildCityMenu(bars, nullptr, QStringLiteral("016010"), cities), nullptr);
    EXPECT_EQ(cities.Count(), 0);
    EXPECT_EQ(ShowCityMenu(bars, areas, QStringLiteral("999999"), cities, QPoint(10, 10)), 0);
}

TEST(modPopup, OnlyWebLinksAreOpened)
{
    QList<QUrl> opened;
    const UrlOpener opener = [&](const QUrl &u) {
        opened << u;
        return true;
    };
    const QString accepted[] = {
        QStringLiteral("http://127.0.0.1:8931/forecast/area/hokkaido/016010/today.html"),
        QStringLiteral("https://weather.example.jp/x?a=1"), QStringLiteral("HTTP://WEATHER.EXAMPLE.JP/"),
        QStringLiteral("\n  http://weather.example.jp/\n"), // the document's text around the address
    };
    for (const QString &url : accepted)
        EXPECT_TRUE(OpenLink(nullptr, url, opener)) << url.toStdString();
    ASSERT_EQ(opened.size(), 4);
    EXPECT_EQ(opened[0].port(), 8931);
    EXPECT_EQ(opened[3], QUrl(QStringLiteral("http://weather.example.jp/")));

    const QString refused[] = {
        QStringLiteral("file:///etc/passwd"),
        QStringLiteral("javascript:alert(1)"),
        QStringLiteral("/usr/bin/xterm"),
        QStringLiteral("../../.local/share/applications/evil.desktop"),
        QStringLiteral("evil.desktop"),
        QStringLiteral("ftp://weather.example.jp/"),
        QStringLiteral("http://"),
        QStringLiteral("http:relative/path"),
        QStringLiteral("smb://host/share"),
        QString(),
    };
    for (const QString &url : refused) {
        EXPECT_FALSE(IsOpenableLink(url)) << url.toStdString();
        EXPECT_FALSE(OpenLink(nullptr, url, opener)) << url.toStdString();
    }
    EXPECT_EQ(opened.size(), 4);
}
