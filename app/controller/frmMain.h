#pragma once

#include "CommandMenu.h"
#include "WarningMark.h"
#include "cInteractionGate.h"
#include "cWeatherIni.h"

#include <QDateTime>
#include <QHash>
#include <QIcon>
#include <QPoint>
#include <QWidget>

#include <functional>
#include <memory>

class QEventLoop;
class QMenu;
class QTimer;
class cAreas;
class cInet;
class cRetrievalCycle;
class cWarningAnnouncer;
class FreedesktopNotifier;
class cWeather;
class fSysTray;
class fWeather;
class roWeather;
class CommandBars;
class CommandBarControl;
class PopupControl;
class PopupControlItem;
class IForecastSource;
class ITrayView;
class IWeatherView;

/// The hidden main form ("CloudPane"): owns the timer, the transfer component, the forecast control, the
/// menus and the pop-up, the tray icon and the desktop widget, and runs the program until the user quits.
class frmMain : public QWidget {
    Q_OBJECT
public:
    /// Command identifiers of the command menu.
    enum Command {
        RefreshCommand = 301,
        DetailsCommand = 302,
        OptionsCommand = 303,
        QuitCommand = 304,
        HelpCommand = 305
    };

    /// A hidden form; `programDir` holds Res/, Styles/ and "Icon.tmp" (the executable's folder by default).
    explicit frmMain(QWidget *parent = nullptr, QString programDir = QString());
    ~frmMain() override;

    /// Load step: skin, icon "AAA", tray form, waiting tool tip.
    void Load();
    /// Starts the timer, back-dates the last access and runs the event loop until the user quits.
    void Start();
    /// Unload step: widget position stored, widget released, "Icon.tmp" deleted.
    void Unload();

    /// Set by the quit command; ends `Start`.
    bool QuitRequested() const { return m_quitRequested; }
    /// Asks `Start` to return.
    void setQuitRequested(bool value);

    /// One tick of the refresh timer.
    void tmrCheck_Timer();
    /// Fetches a day's forecast for a city (empty: the configured one) and shows it. Always true.
    bool RetrieveWeather(int day, const QString &cityID);
    /// Builds the command menu and shows it at (x, y) in twips.
    void ShowPopUpMenu(int x, int y);
    /// Runs a command of the menus (301-305, 401-403, cities from 10000).
    void ExecuteCommand(int id);

    /// The forecast of the last successful parse, or none.
    std::shared_ptr<cWeather> CurrentWeather() const;
    /// The failure text of the last retrieval.
    QString LastError() const;
    /// The picture the widget shows.
    QString IconFilePath() const;
    /// The desktop widget, created on first use.
    fWeather &WeatherWidget();
    /// The widget when it exists, else nullptr.
    fWeather *ExistingWeatherWidget() const { return m_weatherWidget; }
    /// The tray icon form (nullptr before Load and after Start has ended).
    fSysTray *objSystray() const { return m_systray; }
    /// The refresh timer.
    QTimer *tmrCheck() const { return m_tmrCheck; }
    /// The pop-up component.
    PopupControl *Popup() const { return m_popup.get(); }
    /// The menu component.
    CommandBars *Menus() const { return m_commandBars; }
    /// The parsed area list, loaded from `ForecastmapPath` on first use (none when it cannot be read).
    std::shared_ptr<cAreas> AreaList();

    /// True while a retrieval or the settings dialog runs: the tray, the widget and the pop-up take no command then.
    bool Busy() const { return m_gate.Busy(); }
    /// The command menu a StatusNotifierItem host shows for the tray icon (its items follow the menu's rules).
    QMenu *TrayHostMenu() const { return m_trayMenu.get(); }

    /// Replaces the clock the timer reads (tests).
    void setClock(std::function<QDateTime()> clock) { m_clock = std::move(clock); }
    /// The settings dialog the options command opens (start-up hands it in; none until then); returns whether
    /// it saved.
    void setSettingsDialog(std::function<bool()> dialog) { m_settingsDialog = std::move(dialog); }

signals:
    /// A retrieval has finished (after the widget and the tray were updated).
    void RetrievalFinished();

private:
    void ApplySkin();
    void ConnectTray();
    void OnTrayMouseUp(int button);
    void OnMenuRequest(QPoint twipsAt);
    void OnCommandUpdate(CommandBarControl *control);
    void OnPopupItemClick(PopupControlItem *item);
    void RetrieveAndShowDetails(int day, const QString &cityID);
    void StoreWidgetPositionIfVisible();
    void RefreshNow();
    void OpenOptions();
    void OpenHelp();
    void ShowDetails();
    void SetTrayIcon(bool failure);
    void SetTrayWarningMark(WarningLevel level);
    int PopupState() const;
    void ResumeTimer();
    QWidget *MenuAnchor() const;
    void Quit();
    void BuildTrayHostMenu();
    void RefreshTrayHostMenu();

    QString m_programDir;
    QTimer *m_tmrCheck;
    roWeather *m_roWeather;
    CommandBars *m_commandBars;
    std::unique_ptr<PopupControl> m_popup; // a window of its own: this form is never shown
    fSysTray *m_systray = nullptr;
    fWeather *m_weatherWidget = nullptr;
    std::unique_ptr<cInet> m_inet;
    /// Start-up's settings go to the file in one save with the first tick's.
    std::unique_ptr<cWeatherIni::SaveBatch> m_startSave;
    std::unique_ptr<IForecastSource> m_source;
    std::unique_ptr<ITrayView> m_trayView;
    std::unique_ptr<IWeatherView> m_widgetView;
    std::unique_ptr<cRetrievalCycle> m_cycle;
    FreedesktopNotifier *m_notifier;
    std::unique_ptr<cWarningAnnouncer> m_announcer;
    bool m_trayFailure = false;
    WarningLevel m_trayMark = WarningLevel::None;
    QHash<int, QIcon> m_trayIcons; ///< failure and mark -> the icon drawn for them
    std::shared_ptr<cAreas> m_areaList;
    commandMenu::CityCommandMap m_cityCommands;
    std::unique_ptr<QMenu> m_trayMenu;
    cInteractionGate m_gate;
    QEventLoop *m_loop = nullptr;
    bool m_quitRequested = false;
    std::function<QDateTime()> m_clock;
    std::function<bool()> m_settingsDialog;
};
