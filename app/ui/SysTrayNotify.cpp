#include "SysTrayNotify.h"

namespace SysTrayNotify {

Decoded Decode(int value)
{
    switch (value) {
    case WM_MOUSEMOVE: return {Event::MouseMove, 0};
    case WM_LBUTTONDOWN: return {Event::MouseDown, vbLeftButton};
    case WM_LBUTTONUP: return {Event::MouseUp, vbLeftButton};
    case WM_LBUTTONDBLCLK: return {Event::DoubleClick, vbLeftButton};
    case WM_RBUTTONDOWN: return {Event::MouseDown, vbRightButton};
    case WM_RBUTTONUP: return {Event::MouseUp, vbRightButton};
    case WM_RBUTTONDBLCLK: return {Event::DoubleClick, vbRightButton};
    case NIN_BALLOONSHOW: return {Event::BalloonShow, 0};
    case NIN_BALLOONHIDE: return {Event::BalloonHide, 0};
    case NIN_BALLOONTIMEOUT: return {Event::BalloonTimeOut, 0};
    case NIN_BALLOONUSERCLICK: return {Event::BalloonClicked, 0};
    default: return {};
    }
}

QList<int> FromActivation(QSystemTrayIcon::ActivationReason reason)
{
    // Qt reports one activation per click (on the press for XEmbed hosts, on the host's request for
    // StatusNotifierItem hosts); the program expects the press and the release.
    switch (reason) {
    case QSystemTrayIcon::Context: return {WM_RBUTTONDOWN, WM_RBUTTONUP};
    case QSystemTrayIcon::Trigger: return {WM_LBUTTONDOWN, WM_LBUTTONUP};
    case QSystemTrayIcon::DoubleClick: return {WM_LBUTTONDBLCLK};
    case QSystemTrayIcon::MiddleClick:
    case QSystemTrayIcon::Unknown: break;
    }
    return {};
}

} // namespace SysTrayNotify
