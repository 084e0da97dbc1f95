#pragma once

class QWidget;

namespace platform {

/// Keeps a top-level window out of task bars and pagers (X11: _NET_WM_STATE_SKIP_TASKBAR and _SKIP_PAGER,
/// set before the window is first shown; Qt keeps them when it writes its own states). Elsewhere nothing.
/// For windows that must not be "tool" windows: window managers hide a tool window with the program's other
/// windows whenever the program is not the active one, and this program's windows never are.
void KeepOutOfTaskbar(QWidget &window);

} // namespace platform
