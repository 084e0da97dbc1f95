#pragma once

#include <QList>
#include <QSystemTrayIcon>

/// The tray icon's notifications as the shell numbers them, and their decoding into the tray form's events.
namespace SysTrayNotify {

/// Notification values.
enum Message : int {
    WM_MOUSEMOVE = 0x200,
    WM_LBUTTONDOWN = 0x201,
    WM_LBUTTONUP = 0x202,
    WM_LBUTTONDBLCLK = 0x203,
    WM_RBUTTONDOWN = 0x204,
    WM_RBUTTONUP = 0x205,
    WM_RBUTTONDBLCLK = 0x206,
    NIN_BALLOONSHOW = 0x402,
    NIN_BALLOONHIDE = 0x403,
    NIN_BALLOONTIMEOUT = 0x404,
    NIN_BALLOONUSERCLICK = 0x405
};

/// Mouse buttons of the events.
enum Button : int {
    vbLeftButton = 1,
    vbRightButton = 2
};

/// Events of the tray form.
enum class Event {
    None,
    MouseMove,
    MouseDown,
    MouseUp,
    DoubleClick,
    BalloonShow,
    BalloonHide,
    BalloonTimeOut,
    BalloonClicked
};

/// One decoded notification: the event and, for mouse buttons, the button (0 otherwise).
struct Decoded {
    Event event = Event::None;
    int button = 0;
    bool operator==(const Decoded &) const = default;
};

/// The event a notification value stands for; Event::None for values the form ignores.
Decoded Decode(int value);

/// The notification values a Qt tray activation stands for, in the order the shell would send them.
QList<int> FromActivation(QSystemTrayIcon::ActivationReason reason);

} // namespace SysTrayNotify
