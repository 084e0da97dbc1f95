#pragma once

#include "CommandBars.h"

#include <QAction>
#include <QMenu>
#include <QStringList>
#include <QTest>
#include <QTimer>

#include <vector>

// What a shown menu looked like, read while it was open.
struct MenuEntry {
    int id = 0;
    QString caption;
    bool enabled = true;
    bool separatorAbove = false;
};

struct MenuProbe {
    std::vector<MenuEntry> entries;
    QPoint pos;
    bool seen = false;
};

// Shows the bar through the component and, while it is open, records it and clicks the item with pickId (or
// presses Escape when there is none). Returns what ShowPopup returned.
inline int showAndPick(CommandBars &bars, CommandBar &bar, int xTwips, int yTwips, int pickId, MenuProbe &probe)
{
    QTimer::singleShot(0, &bars, [&] {
        QMenu *menu = bars.ActiveMenu();
        if (!menu)
            return;
        probe.seen = true;
        probe.pos = menu->pos();
        bool separator = false;
        QAction *pick = nullptr;
        for (QAction *a : menu->actions()) {
            if (a->isSeparator()) {
                separator = true;
                continue;
            }
            probe.entries.push_back({a->data().toInt(), a->text(), a->isEnabled(), separator});
            separator = false;
            if (a->data().toInt() == pickId)
                pick = a;
        }
        if (pick && pick->isEnabled())
            QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(pick).center());
        // A disabled item ignores the click; close the menu so the test goes on.
        if (menu->isVisible())
            menu->close();
    });
    return bars.ShowPopup(bar, xTwips, yTwips);
}
