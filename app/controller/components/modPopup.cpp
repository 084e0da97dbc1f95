#include "modPopup.h"

#include "CommandBars.h"
#include "CommandMenu.h"
#include "PopupControl.h"
#include "Twips.h"

#include "cAreas.h"
#include "cCities.h"
#include "cPrefs.h"
#include "cTemperature.h"
#include "cWeather.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QStringList>
#include <QUrl>

namespace modPopup {
namespace {

// Text-format flags of the items.
constexpr int kLine = 36;      // single line, left, vertically centred
constexpr int kRightLine = 34; // single line, right
constexpr int kWrapped = 16;   // top-left, wrapped

constexpr int kStatesNormal = 1;
constexpr int kStatesAll = 7;

const QColor kPanelBack(219, 233, 251);
const QColor kPanelBorder(255, 255, 255);
const QColor kInnerBack(191, 219, 255);
const QColor kInnerBorder(200, 200, 200);
const QColor kGreyText(105, 112, 121);
const QColor kOrangeText(254, 153, 22);

QString programDir(const QString &dir)
{
    return dir.isEmpty() ? QCoreApplication::applicationDirPath() : dir;
}

void addBackground(PopupControl &popup)
{
    popup.AddItem(0, 0, 300, 180, QString(), kPanelBack, kPanelBorder);
    popup.AddItem(5, 25, 295, 175, QString(), kInnerBack, kInnerBorder);
}

void addCloseButton(PopupControl &popup, const QString &dir)
{
    PopupControlItem &item = popup.AddItem(278, 6, 294, 19, QString());
    item.SetImage(LoadBitmapFile(ClosePicturePath(dir)), QColor(0, 0, 0), kStatesAll);
    item.setId(IdClose);
}

void finish(PopupControl &popup)
{
    popup.setDisplayOption(4);
    popup.SetSize(PopupWidth, PopupHeight);
}

// The forecast's values, empty when there is no forecast.
struct ForecastTexts {
    QString area, pref, city, publictime, telop, minC, maxC, description, link, forecastday;
};

ForecastTexts textsOf(const std::shared_ptr<cWeather> &w)
{
    ForecastTexts t;
    if (!w)
        return t;
    t.area = w->LocationArea();
    t.pref = w->LocationPref();
    t.city = w->LocationCity();
    t.publictime = w->Publictime();
    t.telop = w->Telop();
    t.description = w->Description();
    t.link = w->Link();
    t.forecastday = w->Forecastday();
    const auto temperature = w->Temperature();
    if (temperature) {
        t.minC = temperature->MinCelsius();
        t.maxC = temperature->MaxCelsius();
    }
    return t;
}

} // namespace

QImage LoadBitmapFile(const QString &FileName)
{
    if (FileName.isEmpty() || !QFileInfo(FileName).isFile())
        return {};
    return QImage(FileName);
}

QString ClosePicturePath(const QString &ProgramDir)
{
    return programDir(ProgramDir) + QStringLiteral("/Res/Close.bmp");
}

QString DayTitle(const QString &Forecastday)
{
    if (Forecastday == QLatin1String("today"))
        return QStringLiteral("今日の天気");
    if (Forecastday == QLatin1String("tomorrow"))
        return QStringLiteral("明日の天気");
    return QStringLiteral("あさっての天気");
}

void FillForecastPopup(PopupControl &Popup, const std::shared_ptr<cWeather> &Weather, const QString &IconFilePath,
                       const QString &ProgramDir)
{
    const ForecastTexts t = textsOf(Weather);
    Popup.RemoveAllItems();
    Popup.RemoveAllImages();
    addBackground(Popup);

    PopupControlItem *item =
        &Popup.AddItem(5, 0, 170, 25, t.area + QLatin1Char(' ') + t.pref + QLatin1Char(' ') + t.city);
    item->setTextAlignment(kLine);
    item->setTextColor(kGreyText);
    item->setBold(true);

    item = &Popup.AddItem(172, 0, 177, 25, QStringLiteral("-"));
    item->setTextAlignment(kLine);
    item->setTextColor(kGreyText);
    item->setBold(true);

    item = &Popup.AddItem(10, 30, 290, 45, t.publictime + QStringLiteral(" 発表"));
    item->setTextAlignment(kLine);
    item->setTextColor(Qt::black);
    item->setBold(true);

    item = &Popup.AddItem(20, 55, 300, 180, QString());
    item->SetImage(LoadBitmapFile(IconFilePath), QColor(255, 255, 255), kStatesNormal);

    item = &Popup.AddItem(100, 55, 290, 85,
                          t.telop + QStringLiteral("  ") + t.minC + QLatin1Char('/') + t.maxC + QStringLiteral("℃"));
    item->setTextAlignment(kLine);
    item->setFontSize(12);
    item->setTextColor(Qt::black);
    item->setBold(true);

    item = &Popup.AddItem(10, 100, 290, 170, t.description);
    item->setTextAlignment(kWrapped);
    item->setTextColor(Qt::black);
    item->setHyperlink(!t.link.isEmpty());
    item->setId(IdDescription);

    item = &Popup.AddItem(150, 150, 290, 170, QStringLiteral("ピンポイント"));
    item->setTextAlignment(kRightLine);
    item->setTextColor(kOrangeText);
    item->setBold(true);
    item->setHyperlink(true);
    item->setId(IdPinpoint);

    item = &Popup.AddItem(185, 0, 268, 25, DayTitle(t.forecastday));
    item->setTextAlignment(kLine);
    item->setTextColor(kOrangeText);
    item->setBold(true);
    item->setHyperlink(true);
    item->setId(IdDayTitle);

    addCloseButton(Popup, ProgramDir);
    finish(Popup);
}

void FillFailurePopup(PopupControl &Popup, const QString &ErrorText, const QString &IconFilePath,
                      const QString &ProgramDir)
{
    Popup.RemoveAllItems();
    Popup.RemoveAllImages();
    addBackground(Popup);

    PopupControlItem *item = &Popup.AddItem(5, 0, 290, 25, QStringLiteral("天気情報を取得できませんでした"));
    item->setTextAlignment(kLine);
    item->setTextColor(QColor(255, 0, 0));
    item->setBold(true);

    item = &Popup.AddItem(20, 45, 300, 180, QString());
    item->SetImage(LoadBitmapFile(IconFilePath), QColor(255, 0, 255), kStatesNormal);

    item = &Popup.AddItem(100, 55, 290, 85, QStringLiteral("取得失敗"));
    item->setTextAlignment(kLine);
    item->setFontSize(12);
    item->setTextColor(Qt::black);
    item->setBold(true);

    item = &Popup.AddItem(10, 100, 290, 150, ErrorText);
    item->setTextAlignment(kWrapped);
    item->setTextColor(Qt::black);

    addCloseButton(Popup, ProgramDir);
    finish(Popup);
}

ClickAction ActionForItem(int Id, const QString &Link)
{
    switch (Id) {
    case IdClose: return ClickAction::Close;
    case IdDayTitle: return ClickAction::DayMenu;
    case IdPinpoint: return ClickAction::CityMenu;
    case IdDescription: return Link.isEmpty() ? ClickAction::None : ClickAction::OpenLink;
    default: return ClickAction::None;
    }
}

std::unique_ptr<CommandBar> BuildDayMenu(const CommandBars &Bars, int CurrentDay)
{
    auto bar = Bars.AddPopupBar(QStringLiteral("Popup"));
    if (CurrentDay != 0)
        bar->AddButton(commandMenu::CmdToday, QStringLiteral("今日の天気"));
    if (CurrentDay != 1)
        bar->AddButton(commandMenu::CmdTomorrow, QStringLiteral("明日の天気"));
    if (CurrentDay != 2)
        bar->AddButton(commandMenu::CmdDayAfterTomorrow, QStringLiteral("あさっての天気"));
    return bar;
}

std::unique_ptr<CommandBar> BuildCityMenu(const CommandBars &Bars, const std::shared_ptr<cAreas> &AreaList,
                                          const QString &LastAccessCityID, commandMenu::CityCommandMap &Cities)
{
    Cities.Clear();
    if (!AreaList)
        return nullptr;

    std::shared_ptr<cCities> siblings;
    for (const auto &area : *AreaList) {
        for (const auto &pref : *area->Prefs()) {
            for (const auto &city : *pref->Cities()) {
                if (city->ID() == LastAccessCityID) {
                    siblings = pref->Cities();
                    break;
                }
            }
            if (siblings)
                break;
        }
        if (siblings)
            break;
    }
    if (!siblings)
        return nullptr;

    QStringList ids;
    QStringList titles;
    for (const auto &city : *siblings) {
        if (city->ID() == LastAccessCityID)
            continue;
        ids << city->ID();
        titles << city->Title();
    }
    const std::vector<int> commands = Cities.Assign(ids);

    auto bar = Bars.AddPopupBar(QStringLiteral("Popup"));
    for (qsizetype i = 0; i < titles.size(); ++i)
        bar->AddButton(commands[static_cast<size_t>(i)], titles[i]);
    return bar;
}

int ShowDayMenu(CommandBars &Bars, int CurrentDay, const QPoint &CursorPixels, QWidget *Anchor)
{
    auto bar = BuildDayMenu(Bars, CurrentDay);
    const QPoint at = twips::PixelsToTwips(CursorPixels);
    return Bars.ShowPopup(*bar, at.x(), at.y(), Anchor);
}

int ShowCityMenu(CommandBars &Bars, const std::shared_ptr<cAreas> &AreaList, const QString &LastAccessCityID,
                 commandMenu::CityCommandMap &Cities, const QPoint &CursorPixels, QWidget *Anchor)
{
    auto bar = BuildCityMenu(Bars, AreaList, LastAccessCityID, Cities);
    if (!bar)
        return 0;
    const QPoint at = twips::PixelsToTwips(CursorPixels);
    return Bars.ShowPopup(*bar, at.x(), at.y(), Anchor);
}

bool IsOpenableLink(const QString &URL)
{
    const QUrl url(URL.trimmed(), QUrl::StrictMode);
    if (!url.isValid() || url.isRelative() || url.host().isEmpty())
        return false;
    const QString scheme = url.scheme().toLower();
    return scheme == QLatin1String("http") || scheme == QLatin1String("https");
}

bool OpenLink(QWidget * /*Owner*/, const QString &URL, const UrlOpener &Opener)
{
    // The address comes from a downloaded document: never hand the desktop a file, a script or a launcher.
    if (!IsOpenableLink(URL))
        return false;
    const QUrl url(URL.trimmed(), QUrl::StrictMode);
    if (Opener)
        Opener(url);
    else
        QDesktopServices::openUrl(url);
    return true;
}

} // namespace modPopup
