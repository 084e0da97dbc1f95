#include "frmMain.h"

#include "AppSettings.h"
#include "CommandBars.h"
#include "CommandMenu.h"
#include "DesktopNotifier.h"
#include "PopupControl.h"
#include "RefreshScheduler.h"
#include "RetrievalPorts.h"
#include "Twips.h"
#include "c32BitIcon.h"
#include "cAreas.h"
#include "cForecastSource.h"
#include "cInet.h"
#include "cRetrievalCycle.h"
#include "cWarningAnnouncer.h"
#include "cWeather.h"
#include "cWeatherIni.h"
#include "fSysTray.h"
#include "fWeather.h"
#include "modPopup.h"
#include "modShellExecute.h"
#include "roWeather.h"

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QMenu>
#include <QTimer>

#include <utility>

namespace {

const QString kWaitingTip = QStringLiteral("待機中です....");

// The widget as the retrieval cycle sees it; created on first use through the form.
class WidgetView final : public IWeatherView {
public:
    explicit WidgetView(frmMain &form)
        : m_form(form)
    {
    }
    bool Visible() const override { return m_form.WeatherWidget().isVisible(); }
    void Hide() override { m_form.WeatherWidget().hide(); }
    void GetCenter(int &x, int &y) const override { m_form.WeatherWidget().GetCenter(x, y); }
    void Draw(int x, int y, const QString &city, const QString &telop, const QString &minimum, const QString &maximum,
              const QString &picturePath, bool topMost) override
    {
        m_form.WeatherWidget().Draw(x, y, city, telop, minimum, maximum, picturePath, topMost);
    }
    void SetToolTipText(const QString &title, const QString &body, int icon) override
    {
        m_form.WeatherWidget().SetToolTipText(title, body, icon);
    }
    void SetWarningMark(WarningLevel level) override { m_form.WeatherWidget().SetWarningMark(level); }

private:
    frmMain &m_form;
};

class TrayView final : public ITrayView {
public:
    TrayView(std::function<void(bool)> setIcon, std::function<void(WarningLevel)> setMark,
             std::function<fSysTray *()> tray)
        : m_setIcon(std::move(setIcon))
        , m_setMark(std::move(setMark))
        , m_tray(std::move(tray))
    {
    }
    void SetToolTip(const QString &text) override
    {
        if (fSysTray *tray = m_tray())
            tray->setToolTip(text);
    }
    void SetFailureIcon(bool failure) override { m_setIcon(failure); }
    void SetWarningMark(WarningLevel level) override { m_setMark(level); }

private:
    std::function<void(bool)> m_setIcon;
    std::function<void(WarningLevel)> m_setMark;
    std::function<fSysTray *()> m_tray;
};

QString defaultProgramDir()
{
    return QCoreApplication::applicationDirPath();
}

} // namespace

frmMain::frmMain(QWidget *parent, QString programDir)
    : QWidget(parent)
    , m_programDir(programDir.isEmpty() ? defaultProgramDir() : std::move(programDir))
    , m_tmrCheck(new QTimer(this))
    , m_roWeather(new roWeather(this))
    , m_commandBars(new CommandBars(this))
    , m_popup(std::make_unique<PopupControl>())
    , m_inet(std::make_unique<cInet>())
    , m_clock([] { return QDateTime::currentDateTime(); })
    , m_settingsDialog([] { return false; })
{
    setWindowTitle(QStringLiteral("CloudPane"));
    setObjectName(QStringLiteral("frmMain"));
    m_tmrCheck->setInterval(1000);
    connect(m_tmrCheck, &QTimer::timeout, this, &frmMain::tmrCheck_Timer);

    m_source = std::make_unique<cForecastSource>(*m_inet, AppSettings(),
                                                 [this](const QString &file, std::shared_ptr<cWeather> &weather) {
                                                     return m_roWeather->GetWeather(file, weather);
                                                 });
    m_trayView = std::make_unique<TrayView>([this](bool failure) { SetTrayIcon(failure); },
                                            [this](WarningLevel level) { SetTrayWarningMark(level); },
                                            [this] { return m_systray; });
    m_widgetView = std::make_unique<WidgetView>(*this);
    m_cycle = std::make_unique<cRetrievalCycle>(
        AppSettings(), *m_source, *m_trayView, [this]() -> IWeatherView & { return *m_widgetView; }, m_programDir);
    m_notifier = new FreedesktopNotifier(c32BitIcon::LoadIconGroup(QStringLiteral("AAA")), this);
    m_announcer = std::make_unique<cWarningAnnouncer>(AppSettings(), *m_notifier);
    connect(m_notifier, &FreedesktopNotifier::DetailsRequested, this, [this] {
        if (!Busy())
            ShowDetails();
    });

    connect(m_commandBars, &CommandBars::Update, this, &frmMain::OnCommandUpdate);
    connect(&m_gate, &cInteractionGate::BusyChanged, this, &frmMain::RefreshTrayHostMenu);
    // A right click during a download or the settings dialog: the menu opens once it is over, as a click
    // queued behind a download on an XEmbed tray does.
    connect(&m_gate, &cInteractionGate::MenuDue, this, [this] { OnTrayMouseUp(2); });
    connect(m_popup.get(), &PopupControl::ItemClick, this, &frmMain::OnPopupItemClick);
}

frmMain::~frmMain() = default;

void frmMain::Load()
{
    ApplySkin();
    c32BitIcon().SetIcon(this, QStringLiteral("AAA"), true);
    m_systray = new fSysTray(this);
    BuildTrayHostMenu();
    ConnectTray();
    m_systray->setToolTip(kWaitingTip);
    m_systray->setIconHandle(c32BitIcon::LoadIconGroup(QStringLiteral("AAA")));
}

void frmMain::ApplySkin()
{
    // The skin is a style sheet; a missing or unreadable file leaves Qt's own look.
    QFile skin(AppSettings().SkinFile());
    if (skin.open(QIODevice::ReadOnly | QIODevice::Text))
        qApp->setStyleSheet(QString::fromUtf8(skin.readAll()));
}

void frmMain::ConnectTray()
{
    connect(m_systray, &fSysTray::SysTrayMouseDown, this, [this](int button) {
        if (button == 2 && m_gate.AcceptsCommand())
            m_systray->ShowMenu();
    });
    connect(m_systray, &fSysTray::SysTrayMouseUp, this, &frmMain::OnTrayMouseUp);
}

void frmMain::OnTrayMouseUp(int button)
{
    if (button != 2)
        return;
    const QPoint at = twips::PixelsToTwips(QCursor::pos());
    // A StatusNotifierItem host waits for the answer to its ContextMenu call: open the menu after answering.
    QMetaObject::invokeMethod(
        this, [this, at] { OnMenuRequest(at); }, Qt::QueuedConnection);
}

void frmMain::OnMenuRequest(QPoint twipsAt)
{
    if (m_gate.RequestMenu())
        ShowPopUpMenu(twipsAt.x(), twipsAt.y());
}

void frmMain::BuildTrayHostMenu()
{
    const auto bar = commandMenu::BuildCommandMenu(*m_commandBars);
    m_trayMenu = m_commandBars->BuildMenu(*bar);
    connect(m_trayMenu.get(), &QMenu::aboutToShow, this, &frmMain::RefreshTrayHostMenu);
    // Queued: the host's click is a D-Bus call, answered before the command (a retrieval, a dialog) runs.
    connect(
        m_trayMenu.get(), &QMenu::triggered, this, [this](QAction *action) { ExecuteCommand(action->data().toInt()); },
        Qt::QueuedConnection);
    RefreshTrayHostMenu();
    m_systray->SetHostMenu(m_trayMenu.get());
}

void frmMain::RefreshTrayHostMenu()
{
    if (!m_trayMenu)
        return;
    const auto bar = commandMenu::BuildCommandMenu(*m_commandBars);
    for (QAction *action : m_trayMenu->actions()) {
        CommandBarControl *control = action->isSeparator() ? nullptr : bar->FindControl(action->data().toInt());
        if (control == nullptr)
            continue;
        OnCommandUpdate(control);
        // Greyed out while a download runs: the host shows the menu, but nothing in it can start.
        action->setEnabled(control->Enabled() && m_gate.AcceptsCommand());
    }
}

void frmMain::Start()
{
    m_tmrCheck->start();
    m_startSave = std::make_unique<cWeatherIni::SaveBatch>(AppSettings());
    AppSettings().setLastAccessDate(RefreshScheduler::BackdatedAccessDate(m_clock(), AppSettings().Span()));
    // The first tick is due at once: show the forecast without waiting a whole timer interval.
    QTimer::singleShot(0, this, &frmMain::tmrCheck_Timer);
    if (!m_quitRequested) {
        QEventLoop loop;
        m_loop = &loop;
        loop.exec();
        m_loop = nullptr;
    }
    m_startSave.reset();
    delete m_systray;
    m_systray = nullptr;
    m_trayMenu.reset();
    m_tmrCheck->stop();
}

void frmMain::setQuitRequested(bool value)
{
    m_quitRequested = value;
    if (value && m_loop != nullptr)
        m_loop->quit();
}

void frmMain::Unload()
{
    if (m_weatherWidget != nullptr) {
        int x = 0;
        int y = 0;
        m_weatherWidget->GetCenter(x, y);
        AppSettings().setPosX(x);
        AppSettings().setPosY(y);
        m_weatherWidget->hide();
        delete m_weatherWidget;
        m_weatherWidget = nullptr;
    }
    m_areaList.reset();
    m_popup->Close();
    QFile::remove(IconFilePath());
}

void frmMain::tmrCheck_Timer()
{
    m_tmrCheck->stop();
    // What a tick changes goes to the file in one save (or is retried, after a save that failed).
    const auto startSave = std::move(m_startSave);
    const cWeatherIni::SaveBatch save(AppSettings());
    const QDateTime now = m_clock();
    // A tick inside a running retrieval (the pop-up's day and city ones keep the timer going) waits its turn.
    const auto decision = !m_gate.AcceptsCommand() ? TickDecision::NotDue
                                                   : RefreshScheduler::DecideTick(now, AppSettings().LastAccessDate(),
                                                                                  AppSettings().Span(), PopupState());
    if (decision == TickDecision::Retrieve) {
        StoreWidgetPositionIfVisible();
        int day = 0;
        RetrieveWeather(day, QString());
        AppSettings().setLastAccessDate(RefreshScheduler::FormatAccessDate(m_clock()));
    }
    ResumeTimer();
}

bool frmMain::RetrieveWeather(int day, const QString &cityID)
{
    m_gate.Begin();
    const bool result = m_cycle->RetrieveWeather(day, cityID);
    m_announcer->AfterRetrieval(CurrentWeather().get(), cityID.isEmpty() ? AppSettings().CityID() : cityID, day);
    m_gate.End();
    Q_EMIT RetrievalFinished();
    return result;
}

std::shared_ptr<cWeather> frmMain::CurrentWeather() const
{
    return m_cycle->CurrentWeather();
}

QString frmMain::LastError() const
{
    return m_cycle->LastError();
}

QString frmMain::IconFilePath() const
{
    return m_cycle->IconFilePath();
}

fWeather &frmMain::WeatherWidget()
{
    if (m_weatherWidget == nullptr) {
        m_weatherWidget = new fWeather(this);
        connect(m_weatherWidget, &fWeather::PopUpMenuRequested, this,
                [this](int x, int y) { OnMenuRequest(twips::PixelsToTwips(QPoint(x, y))); });
    }
    return *m_weatherWidget;
}

std::shared_ptr<cAreas> frmMain::AreaList()
{
    if (!m_areaList) {
        std::shared_ptr<cAreas> areas;
        if (m_roWeather->GetArea(AppSettings().ForecastmapPath(), areas))
            m_areaList = areas;
    }
    return m_areaList;
}

int frmMain::PopupState() const
{
    return m_popup->State();
}

void frmMain::SetTrayIcon(bool failure)
{
    m_trayFailure = failure;
    const QString group = failure ? QStringLiteral("BBB") : QStringLiteral("AAA");
    c32BitIcon().SetIcon(this, group, true);
    if (m_systray == nullptr)
        return;
    // Each look is drawn once: the same icon again leaves the tray alone.
    const WarningLevel mark = failure ? WarningLevel::None : m_trayMark;
    const int look = (failure ? 100 : 0) + static_cast<int>(mark);
    auto it = m_trayIcons.find(look);
    if (it == m_trayIcons.end())
        it = m_trayIcons.insert(look, warningmark::Marked(c32BitIcon::LoadIconGroup(group), mark));
    m_systray->setIconHandle(*it);
}

void frmMain::SetTrayWarningMark(WarningLevel level)
{
    if (level == m_trayMark)
        return;
    m_trayMark = level;
    SetTrayIcon(m_trayFailure);
}

void frmMain::StoreWidgetPositionIfVisible()
{
    if (m_weatherWidget == nullptr || !m_weatherWidget->isVisible())
        return;
    int x = 0;
    int y = 0;
    m_weatherWidget->GetCenter(x, y);
    AppSettings().setPosX(x);
    AppSettings().setPosY(y);
}

void frmMain::ResumeTimer()
{
    if (!m_quitRequested)
        m_tmrCheck->start();
}

QWidget *frmMain::MenuAnchor() const
{
    if (m_popup->isVisible())
        return m_popup.get();
    if (m_weatherWidget != nullptr && m_weatherWidget->isVisible())
        return m_weatherWidget;
    return nullptr;
}

void frmMain::Quit()
{
    // A menu or the pop-up runs a loop of its own inside ours: end them first, or ours waits for them.
    CommandBars::CloseAllMenus();
    m_popup->Close();
    setQuitRequested(true);
}

void frmMain::ShowPopUpMenu(int x, int y)
{
    const auto menu = commandMenu::BuildCommandMenu(*m_commandBars);
    const int chosen = m_commandBars->ShowPopup(*menu, x, y, MenuAnchor());
    if (chosen != 0)
        ExecuteCommand(chosen);
}

void frmMain::OnCommandUpdate(CommandBarControl *control)
{
    if (control != nullptr)
        commandMenu::UpdateCommand(*control, CurrentWeather() != nullptr, LastError());
}

void frmMain::ExecuteCommand(int id)
{
    // Never a second retrieval inside a running one (a host's menu click is a D-Bus call, which arrives
    // during a download, unlike mouse input).
    if (!m_gate.AcceptsCommand())
        return;
    const auto command =
        commandMenu::CommandFor(id, m_cityCommands, m_cycle->CurrentDay(), AppSettings().LastAccessCityID());
    switch (command.Kind) {
    case commandMenu::CommandKind::Refresh: RefreshNow(); break;
    case commandMenu::CommandKind::Details: ShowDetails(); break;
    case commandMenu::CommandKind::Options: OpenOptions(); break;
    case commandMenu::CommandKind::Help: OpenHelp(); break;
    case commandMenu::CommandKind::Quit: Quit(); break;
    case commandMenu::CommandKind::Day:
    case commandMenu::CommandKind::City: RetrieveAndShowDetails(command.Day, command.CityID); break;
    case commandMenu::CommandKind::None: break;
    }
}

void frmMain::RefreshNow()
{
    StoreWidgetPositionIfVisible();
    if (PopupState() == PopupControl::StateShown)
        m_popup->Close();
    // The refresh and options commands stop the timer around their retrieval (the day and city ones do not).
    m_tmrCheck->stop();
    int day = 0;
    RetrieveWeather(day, AppSettings().CityID());
    ResumeTimer();
}

void frmMain::OpenOptions()
{
    StoreWidgetPositionIfVisible();
    m_tmrCheck->stop();
    m_gate.Begin();
    if (m_settingsDialog()) {
        int day = 0;
        RetrieveWeather(day, QString());
    }
    m_gate.End();
    ResumeTimer();
}

void frmMain::OpenHelp()
{
    // As before, a help document that cannot be opened is not reported.
    (void)modShellExecute::OpenDocument(this, commandMenu::HelpFilePath(m_programDir));
}

void frmMain::ShowDetails()
{
    if (!LastError().isEmpty())
        modPopup::FillFailurePopup(*m_popup, LastError(), IconFilePath(), m_programDir);
    else
        modPopup::FillForecastPopup(*m_popup, CurrentWeather(), IconFilePath(), m_programDir);
    m_popup->Show(m_weatherWidget != nullptr && m_weatherWidget->isVisible() ? m_weatherWidget->geometry().center()
                                                                             : QCursor::pos());
}

void frmMain::RetrieveAndShowDetails(int day, const QString &cityID)
{
    RetrieveWeather(day, cityID);
    ShowDetails();
}

void frmMain::OnPopupItemClick(PopupControlItem *item)
{
    if (item == nullptr)
        return;
    const auto weather = CurrentWeather();
    const QString link = weather ? weather->Link() : QString();
    const auto action = modPopup::ActionForItem(item->Id(), link);
    // The day and city menus lead to retrievals: none while one runs.
    if ((action == modPopup::ClickAction::DayMenu || action == modPopup::ClickAction::CityMenu) &&
        !m_gate.AcceptsCommand())
        return;
    int chosen = 0;
    switch (action) {
    case modPopup::ClickAction::Close: m_popup->Close(); return;
    case modPopup::ClickAction::DayMenu:
        StoreWidgetPositionIfVisible();
        chosen = modPopup::ShowDayMenu(*m_commandBars, m_cycle->CurrentDay(), QCursor::pos(), m_popup.get());
        break;
    case modPopup::ClickAction::CityMenu:
        StoreWidgetPositionIfVisible();
        chosen = modPopup::ShowCityMenu(*m_commandBars, AreaList(), AppSettings().LastAccessCityID(), m_cityCommands,
                                        QCursor::pos(), m_popup.get());
        break;
    case modPopup::ClickAction::OpenLink: modPopup::OpenLink(this, link); return;
    case modPopup::ClickAction::None: return;
    }
    if (chosen != 0)
        ExecuteCommand(chosen);
}
