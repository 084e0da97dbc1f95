#pragma once

class QWidget;

namespace platform {

/// Keeps a top-level window out of task bars and pagers (X11: _NET_WM_STATE_SKIP_TASKBAR and _SKIP_PAGER,
/// set before the window is first shown; Qt keeps them when it writes its own states). Elsewhere nothing.
/// For windows that must not be "tool" windows: window managers hide a tool window with the program's other
/// windows whenever the program is not the active one, and this program's windows never are.
void KeepOutOfTaskbar(QWidget &window);

/// Marks a menu window as one that may hold the keyboard while open (X11: _XWAYLAND_MAY_GRAB_KEYBOARD, which
/// GNOME's Xwayland honours for a client's grab; without it the menu of an X client there never sees a key).
void AllowKeyboardGrab(QWidget &menu);

} // namespace platform
