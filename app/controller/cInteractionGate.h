#pragma once

#include <QObject>

/// Whether the user may act now. A retrieval or a modal dialog holds the gate (holds nest); while it is held
/// no command starts, and a request for the command menu waits: the menu is due once the last hold ends, once
/// however many requests came meanwhile. The tray, the widget and the pop-up ask it before they act.
class cInteractionGate : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    /// A retrieval or a dialog begins; the first hold raises BusyChanged(true).
    void Begin();
    /// It has ended; the last one raises BusyChanged(false), then MenuDue when a menu request waited.
    void End();
    /// True while held.
    bool Busy() const { return m_holds > 0; }
    /// Whether a command (a menu choice, a pop-up's day or city menu, a timer tick's retrieval) may start now.
    bool AcceptsCommand() const { return !Busy(); }
    /// The user asked for the command menu: true when it may open now, else false and MenuDue follows the end.
    bool RequestMenu();

signals:
    /// The gate was taken (true) or released (false).
    void BusyChanged(bool busy);
    /// A menu request that waited may be served now.
    void MenuDue();

private:
    int m_holds = 0;
    bool m_menuWaiting = false;
};
