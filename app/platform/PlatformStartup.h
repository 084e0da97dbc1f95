#pragma once

namespace platform {

/// Picks the Qt platform plugin before QApplication is built: on a Wayland session with an X server
/// (XWayland) the program runs as an X11 client, because frameless shaped windows, a placement chosen by the
/// program and the XEmbed tray only work there. An explicit QT_QPA_PLATFORM is left as it is.
void ChoosePlatformBeforeQApplication();

/// True when the program runs as a Wayland client (not through XWayland); asked after QApplication is built.
bool IsWaylandSession();

} // namespace platform
