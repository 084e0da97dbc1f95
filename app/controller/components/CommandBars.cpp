#include "CommandBars.h"

#include "PlatformStartup.h"

#include "Twips.h"
#include "WindowHints.h"

#include <QAction>
#include <QApplication>
#include <QDebug>
#include <QGuiApplication>
#include <QMenu>
#include <QPointer>
#include <QScreen>

#include <stdexcept>
#include <utility>

CommandBarControl::CommandBarControl(int Id, QString Caption)
    : m_id(Id)
    , m_caption(std::move(Caption))
{
}

CommandBar::CommandBar(QString Name)
    : m_name(std::move(Name))
{
}

CommandBarControl &CommandBar::AddButton(int Id, const QString &Caption)
{
    m_controls.push_back(std::make_unique<CommandBarControl>(Id, Caption));
    return *m_controls.back();
}

CommandBarControl &CommandBar::Item(int Index)
{
    if (Index < 1 || Index > Count())
        throw std::out_of_range("CommandBar::Item: position out of range");
    return *m_controls[static_cast<size_t>(Index - 1)];
}

CommandBarControl *CommandBar::FindControl(int Id)
{
    for (auto &c : m_controls)
        if (c->Id() == Id)
            return c.get();
    return nullptr;
}

CommandBars::CommandBars(QObject *parent)
    : QObject(parent)
{
}

std::unique_ptr<CommandBar> CommandBars::AddPopupBar(const QString &Name) const
{
    return std::make_unique<CommandBar>(Name);
}

std::unique_ptr<QMenu> CommandBars::BuildMenu(CommandBar &Bar, QWidget *Parent)
{
    auto menu = std::make_unique<QMenu>(Parent);
    menu->setObjectName(Bar.Name());
    for (const auto &control : Bar) {
        emit Update(control.get());
        if (control->Separator() && !menu->actions().isEmpty())
            menu->addSeparator();
        QAction *action = menu->addAction(control->Caption());
        action->setData(control->Id());
        action->setEnabled(control->Enabled());
    }
    return menu;
}

bool CommandBars::CanPlaceMenu(const QWidget *Anchor)
{
    // A Wayland pop-up needs a parent surface; without one Qt makes the menu an ordinary window.
    if (!platform::IsWaylandSession())
        return true;
    return Anchor != nullptr && Anchor->isVisible();
}

void CommandBars::CloseAllMenus()
{
    // Innermost first: closing a menu returns its exec, and the outer one is the active pop-up next.
    for (int guard = 0; guard < 16; ++guard) {
        QWidget *popup = QApplication::activePopupWidget();
        if (popup == nullptr)
            return;
        popup->close();
    }
}

int CommandBars::ShowPopup(CommandBar &Bar, int x, int y, QWidget *Anchor)
{
    if (!CanPlaceMenu(Anchor)) {
        qInfo("menu not opened: no shown window of the program to attach it to on Wayland");
        return 0;
    }
    // The menu must belong to the screen the point lies on, so convert with that screen's factor.
    const QScreen *screen = QGuiApplication::screenAt(twips::TwipsToPixels(QPoint(x, y)));
    const QPoint at = twips::TwipsToPixels(QPoint(x, y), screen);

    std::unique_ptr<QMenu> menu = BuildMenu(Bar, Anchor);
    platform::AllowKeyboardGrab(*menu);
    // Where the window system gives a menu no grab (an X client's menu under a Wayland compositor), a click on
    // another program or the desktop reaches the menu only as the program losing the keyboard.
    const QPointer<QMenu> guard(menu.get());
    const auto closeOnDeactivation =
        connect(qGuiApp, &QGuiApplication::applicationStateChanged, menu.get(), [guard](Qt::ApplicationState s) {
            if (s != Qt::ApplicationActive && guard)
                guard->close();
        });
    m_activeMenu = menu.get();
    QAction *chosen = menu->exec(at);
    disconnect(closeOnDeactivation);
    const bool wasChosen = chosen != nullptr;
    const int id = wasChosen ? chosen->data().toInt() : 0;
    m_activeMenu = nullptr;
    menu.reset();

    // Reported after the menu is gone: the handler may open another menu or the pop-up.
    if (wasChosen)
        emit Execute(id);
    return id;
}
