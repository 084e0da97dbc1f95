#pragma once

#include <QImage>
#include <QPoint>
#include <QString>

#include <functional>
#include <memory>

class cAreas;
class cWeather;
class CommandBar;
class CommandBars;
class PopupControl;
class QUrl;
class QWidget;

namespace commandMenu {
class CityCommandMap;
}

/// The contents of the details pop-up and of its day and city menus.
namespace modPopup {

/// Identifiers of the pop-up's clickable items.
enum PopupItemId : int {
    IdClose = 2,      ///< close picture
    IdDayTitle = 3,   ///< day title: opens the day menu
    IdPinpoint = 4,   ///< "ピンポイント": opens the city menu
    IdDescription = 5 ///< description: opens the forecast's page
};

/// Width of the pop-up in pixels.
inline constexpr int PopupWidth = 300;
/// Height of the pop-up in pixels.
inline constexpr int PopupHeight = 180;

/// A bitmap file from disk; a null image when it cannot be loaded.
QImage LoadBitmapFile(const QString &FileName);

/// The close button picture: ProgramDir (empty = the program's folder) + "/Res/Close.bmp".
QString ClosePicturePath(const QString &ProgramDir = QString());

/// "今日の天気" for "today", "明日の天気" for "tomorrow", "あさっての天気" for anything else.
QString DayTitle(const QString &Forecastday);

/// Fills the pop-up with the forecast content (no forecast reads as empty texts) and sizes it; the caller
/// shows it. ProgramDir (empty = the program's folder) locates Res/Close.bmp.
void FillForecastPopup(PopupControl &Popup, const std::shared_ptr<cWeather> &Weather, const QString &IconFilePath,
                       const QString &ProgramDir = QString());

/// Fills the pop-up with the failure content for an error text and sizes it; the caller shows it.
void FillFailurePopup(PopupControl &Popup, const QString &ErrorText, const QString &IconFilePath,
                      const QString &ProgramDir = QString());

/// What a click on a pop-up item asks the main form to do.
enum class ClickAction {
    None,
    Close,
    DayMenu,
    CityMenu,
    OpenLink
};

/// The action of a clicked item's identifier; the description opens the link only when there is one.
ClickAction ActionForItem(int Id, const QString &Link);

/// The day menu: the two days other than CurrentDay, in day order (401 today, 402 tomorrow, 403 the day after).
std::unique_ptr<CommandBar> BuildDayMenu(const CommandBars &Bars, int CurrentDay);

/// The city menu: the other cities of the prefecture that holds LastAccessCityID, in list order, with command
/// identifiers remembered in Cities. nullptr when the area list holds no such city (then nothing is shown).
std::unique_ptr<CommandBar> BuildCityMenu(const CommandBars &Bars, const std::shared_ptr<cAreas> &AreaList,
                                          const QString &LastAccessCityID, commandMenu::CityCommandMap &Cities);

/// Builds the day menu and shows it at the cursor (screen pixels) as a menu of Anchor (the pop-up); returns the
/// chosen identifier or 0.
int ShowDayMenu(CommandBars &Bars, int CurrentDay, const QPoint &CursorPixels, QWidget *Anchor = nullptr);

/// Builds the city menu and shows it at the cursor (screen pixels); returns the chosen identifier, 0 when none
/// was chosen or no menu could be built.
int ShowCityMenu(CommandBars &Bars, const std::shared_ptr<cAreas> &AreaList, const QString &LastAccessCityID,
                 commandMenu::CityCommandMap &Cities, const QPoint &CursorPixels, QWidget *Anchor = nullptr);

/// True for an absolute http or https address with a host: the only links a document may make us open.
bool IsOpenableLink(const QString &URL);

/// Opens a URL.
using UrlOpener = std::function<bool(const QUrl &)>;

/// Opens a forecast link in the browser when IsOpenableLink allows it (other texts are ignored); the opener
/// defaults to QDesktopServices::openUrl. Returns true when the link was handed to the opener.
bool OpenLink(QWidget *Owner, const QString &URL, const UrlOpener &Opener = {});

} // namespace modPopup
