#include "CommandBars.h"

#include "Twips.h"

#include <QAction>
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

std::unique_ptr<QMenu> CommandBars::BuildMenu(CommandBar &Bar)
{
    auto menu = std::make_unique<QMenu>();
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

int CommandBars::ShowPopup(CommandBar &Bar, int x, int y)
{
    // The menu must belong to the screen the point lies on, so convert with that screen's factor.
    const QScreen *screen = QGuiApplication::screenAt(twips::TwipsToPixels(QPoint(x, y)));
    const QPoint at = twips::TwipsToPixels(QPoint(x, y), screen);

    std::unique_ptr<QMenu> menu = BuildMenu(Bar);
    m_activeMenu = menu.get();
    QAction *chosen = menu->exec(at);
    const bool wasChosen = chosen != nullptr;
    const int id = wasChosen ? chosen->data().toInt() : 0;
    m_activeMenu = nullptr;
    menu.reset();

    // Reported after the menu is gone: the handler may open another menu or the pop-up.
    if (wasChosen)
        emit Execute(id);
    return id;
}
