#include "WindowHints.h"

#include <QGuiApplication>
#include <QWidget>

#include <xcb/xcb.h>

#include <array>
#include <cstdlib>
#include <memory>

namespace platform {
namespace {

xcb_atom_t internAtom(xcb_connection_t *connection, const char *name, uint16_t length)
{
    const std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> reply(
        xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 0, length, name), nullptr), &std::free);
    return reply ? reply->atom : XCB_ATOM_NONE;
}

xcb_connection_t *x11Connection()
{
    auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 != nullptr ? x11->connection() : nullptr;
}

} // namespace

void AllowKeyboardGrab(QWidget &menu)
{
    xcb_connection_t *connection = x11Connection();
    if (connection == nullptr || !menu.isWindow())
        return;
    static constexpr char kMayGrab[] = "_XWAYLAND_MAY_GRAB_KEYBOARD";
    const xcb_atom_t mayGrab = internAtom(connection, kMayGrab, sizeof kMayGrab - 1);
    if (mayGrab == XCB_ATOM_NONE)
        return;
    const uint32_t yes = 1;
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, static_cast<xcb_window_t>(menu.winId()), mayGrab,
                        XCB_ATOM_CARDINAL, 32, 1, &yes);
    xcb_flush(connection);
}

void KeepOutOfTaskbar(QWidget &window)
{
    xcb_connection_t *connection = x11Connection();
    if (connection == nullptr || !window.isWindow())
        return;
    const auto id = static_cast<xcb_window_t>(window.winId());
    static constexpr char kState[] = "_NET_WM_STATE";
    static constexpr char kSkipTaskbar[] = "_NET_WM_STATE_SKIP_TASKBAR";
    static constexpr char kSkipPager[] = "_NET_WM_STATE_SKIP_PAGER";
    const xcb_atom_t state = internAtom(connection, kState, sizeof kState - 1);
    const std::array<xcb_atom_t, 2> skip{internAtom(connection, kSkipTaskbar, sizeof kSkipTaskbar - 1),
                                         internAtom(connection, kSkipPager, sizeof kSkipPager - 1)};
    if (state == XCB_ATOM_NONE || skip[0] == XCB_ATOM_NONE || skip[1] == XCB_ATOM_NONE)
        return;
    xcb_change_property(connection, XCB_PROP_MODE_APPEND, id, state, XCB_ATOM_ATOM, 32, skip.size(), skip.data());
    xcb_flush(connection);
}

} // namespace platform
